#include "geo/ui/datum_edit_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "geo/ui/record_list_window.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace tavrik {

namespace {

QString shiftText(double v) { return formatNumber(v, u"0.####"); }

}  // namespace

bool ellipsoidsEntered(App& app) {
  auto rs = app.db.openRecordset(QStringLiteral("SELECT * FROM Ellipsoids"));
  const bool any = !rs->eof();
  rs->close();
  if (!any) app.prompter.information(MessageText(Msg::NoEllipsoids));
  return any;
}

DatumEditWindow::DatumEditWindow(App& app, QWidget* parent) : RecordEditWindow(parent), m_app(app) {
  setWindowTitle(tr("Datum"));
  auto lineEdit = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    return e;
  };
  m_desc = lineEdit("desc");
  m_desc->setMinimumWidth(260);
  m_ellipse = new QComboBox(this);
  m_ellipse->setObjectName(QStringLiteral("ellipse"));
  m_x = lineEdit("x");
  m_y = lineEdit("y");
  m_z = lineEdit("z");
  for (QLineEdit* e : {m_x, m_y, m_z}) e->setMaximumWidth(120);

  auto* form = new QFormLayout;
  form->addRow(tr("Description"), m_desc);
  form->addRow(tr("Ellipsoid"), m_ellipse);
  form->addRow(tr("Shift X (m)"), m_x);
  form->addRow(tr("Shift Y (m)"), m_y);
  form->addRow(tr("Shift Z (m)"), m_z);

  auto* note = new QLabel(tr("The shift is from this datum to WGS-84."), this);
  note->setObjectName(QStringLiteral("Label1"));
  layOut(form, note);
}

void DatumEditWindow::loadEllipsoids() {
  m_ellipse->clear();
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Ellipsoids"));
  for (; !rs->eof(); rs->moveNext())
    m_ellipse->addItem(rs->text(QStringLiteral("description")), rs->integer(QStringLiteral("ellipse")));
  rs->close();
  m_ellipse->setCurrentIndex(-1);
}

bool DatumEditWindow::start(const QString& description) {
  loadEllipsoids();
  m_original = description;
  if (description.isEmpty()) {
    // A new row: no ellipsoid yet and no shift.
    m_desc->clear();
    m_x->setText(shiftText(0));
    m_y->setText(shiftText(0));
    m_z->setText(shiftText(0));
    m_desc->setFocus();
    return true;
  }
  auto rs = m_app.db.openRecordset(QStringLiteral("Datums"));
  if (!rs->findFirst(sqlEquals(QStringLiteral("description"), description))) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return false;
  }
  m_desc->setText(rs->text(QStringLiteral("description")));
  m_ellipse->setCurrentIndex(m_ellipse->findData(rs->integer(QStringLiteral("ellipse"))));
  m_x->setText(shiftText(rs->number(QStringLiteral("x"))));
  m_y->setText(shiftText(rs->number(QStringLiteral("y"))));
  m_z->setText(shiftText(rs->number(QStringLiteral("z"))));
  rs->close();
  return true;
}

bool DatumEditWindow::save() {
  const QString description = m_desc->text().trimmed();
  if (description.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    return false;
  }
  if (m_ellipse->currentIndex() < 0) {
    m_app.prompter.information(MessageText(Msg::NoEllipseSelected));
    return false;
  }
  return storeRow(m_app, QStringLiteral("Datums"), QStringLiteral("datum"), description, [this](Recordset& rs) {
    StoreResult r = rs.setValue(QStringLiteral("ellipse"), m_ellipse->currentData().toLongLong());
    if (r) r = rs.setValue(QStringLiteral("x"), parseLocaleNumber(m_x->text()));
    if (r) r = rs.setValue(QStringLiteral("y"), parseLocaleNumber(m_y->text()));
    if (r) r = rs.setValue(QStringLiteral("z"), parseLocaleNumber(m_z->text()));
    return r;
  });
}

}  // namespace tavrik
