#include "geo/ui/ellipsoid_edit_window.h"

#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/record_list_window.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace tavrik {

using Box = EllipsoidEditor::Box;

EllipsoidEditWindow::EllipsoidEditWindow(App& app, QWidget* parent)
    : RecordEditWindow(parent), m_app(app) {
  setWindowTitle(tr("Ellipsoid"));
  auto lineEdit = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->installEventFilter(this);
    return e;
  };
  m_desc = lineEdit("desc");
  m_desc->setMinimumWidth(240);
  m_majoraxis = lineEdit("majoraxis");
  m_minoraxis = lineEdit("minoraxis");
  m_da = lineEdit("da");
  m_df = lineEdit("df");
  for (Box b : {Box::MajorAxis, Box::MinorAxis, Box::Da, Box::Df}) {
    connect(box(b), &QLineEdit::textChanged, this, [this, b](const QString& text) {
      m_editor.changed(b, text);
      show(b);
    });
  }

  auto* form = new QFormLayout;
  form->addRow(tr("Description"), m_desc);
  form->addRow(tr("Major axis a (m)"), m_majoraxis);
  form->addRow(tr("Minor axis b (m)"), m_minoraxis);
  form->addRow(tr("da = 6378137 - a (m)"), m_da);
  form->addRow(tr("df = (1/298.257223563 - f) x 10000"), m_df);
  auto* note = new QLabel(tr("da and df are the differences from WGS-84."), this);
  note->setObjectName(QStringLiteral("Label1"));

  layOut(form, note);
}

QLineEdit* EllipsoidEditWindow::box(Box b) const {
  switch (b) {
    case Box::MajorAxis: return m_majoraxis;
    case Box::MinorAxis: return m_minoraxis;
    case Box::Da: return m_da;
    case Box::Df: return m_df;
    case Box::None: break;
  }
  return nullptr;
}

bool EllipsoidEditWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    Box focus = Box::None;
    for (Box b : {Box::MajorAxis, Box::MinorAxis, Box::Da, Box::Df})
      if (watched == box(b)) focus = b;
    m_editor.setFocus(focus);
  }
  return RecordEditWindow::eventFilter(watched, event);
}

void EllipsoidEditWindow::show(Box except) {
  // Writing a partner box fires its change, which the editor ignores as an echo
  // because that box does not hold the focus.
  for (Box b : {Box::MajorAxis, Box::MinorAxis, Box::Da, Box::Df}) {
    if (b == except) continue;
    const QString t = m_editor.text(b);
    if (box(b)->text() != t) box(b)->setText(t);
  }
}

bool EllipsoidEditWindow::start(const QString& description) {
  QString text;
  double a = 0, b = 0;
  if (!description.isEmpty()) {
    auto rs = m_app.db.openRecordset(QStringLiteral("Ellipsoids"));
    if (!rs->findFirst(sqlEquals(QStringLiteral("description"), description))) {
      m_app.prompter.information(MessageText(Msg::NoRecordSelected));
      return false;
    }
    text = rs->text(QStringLiteral("description"));
    a = rs->number(QStringLiteral("majoraxis"));
    b = rs->number(QStringLiteral("minoraxis"));
    rs->close();
  }
  m_original = description;
  // Filling the boxes is no typing: no box counts as focused meanwhile.
  const Box focus = m_editor.focus();
  m_editor.setFocus(Box::None);
  m_desc->setText(text);
  if (description.isEmpty()) {
    for (Box x : {Box::MajorAxis, Box::MinorAxis, Box::Da, Box::Df}) box(x)->clear();
  } else {
    m_editor.load(a, b);
    show(Box::None);
  }
  m_editor.setFocus(focus);
  m_desc->setFocus();
  return true;
}

bool EllipsoidEditWindow::save() {
  const QString description = m_desc->text().trimmed();
  if (description.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    return false;
  }
  if (const int message = m_editor.saveCheck()) {
    m_app.prompter.information(MessageText(message));
    return false;
  }
  return storeRow(m_app, QStringLiteral("Ellipsoids"), QStringLiteral("ellipse"), description, [this](Recordset& rs) {
    StoreResult r = rs.setValue(QStringLiteral("majoraxis"), m_editor.majorAxis());
    if (r) r = rs.setValue(QStringLiteral("minoraxis"), m_editor.minorAxis());
    return r;
  });
}

}  // namespace tavrik
