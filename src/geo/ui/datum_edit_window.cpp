#include "geo/ui/datum_edit_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "geo/ui/record_list_window.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace tavrik {

namespace {

QString shiftText(double v) { return formatNumber(v, u"0.####"); }

void report(App& app, const StoreResult& r) {
  if (r.message) app.prompter.information(MessageText(r.message));
  else ShowError(app.prompter, r.error, r.detail);
}

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

  auto* ok = new QPushButton(tr("&OK"), this);
  ok->setObjectName(QStringLiteral("cmdOK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  connect(ok, &QPushButton::clicked, this, [this] { save(); });
  connect(cancel, &QPushButton::clicked, this, [this] { closeWindow(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* note = new QLabel(tr("The shift is from this datum to WGS-84."), this);
  note->setObjectName(QStringLiteral("Label1"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(note);
  layout->addStretch();
  layout->addLayout(buttons);
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
  Database& db = m_app.db;
  auto rs = db.openRecordset(QStringLiteral("Datums"));
  if (!rs->lastResult()) {
    report(m_app, rs->lastResult());
    return false;
  }
  // Rows are found by description, so two rows must not share one.
  if (description.compare(m_original, Qt::CaseInsensitive) != 0 &&
      rs->findFirst(sqlEquals(QStringLiteral("description"), description))) {
    m_app.prompter.information(MessageText(Msg::NameExists));
    return false;
  }
  StoreResult r;
  if (m_original.isEmpty()) {
    r = rs->addNew();
    const QVariant key = nextKey(db, QStringLiteral("Datums"), QStringLiteral("datum"));
    if (r && key.isValid()) r = rs->setValue(QStringLiteral("datum"), key);
  } else if (!rs->findFirst(sqlEquals(QStringLiteral("description"), m_original))) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return false;
  } else {
    r = rs->edit();
  }
  if (r) r = rs->setValue(QStringLiteral("description"), description);
  if (r) r = rs->setValue(QStringLiteral("ellipse"), m_ellipse->currentData().toLongLong());
  if (r) r = rs->setValue(QStringLiteral("x"), parseLocaleNumber(m_x->text()));
  if (r) r = rs->setValue(QStringLiteral("y"), parseLocaleNumber(m_y->text()));
  if (r) r = rs->setValue(QStringLiteral("z"), parseLocaleNumber(m_z->text()));
  if (r) r = rs->update();
  if (!r) {
    if (rs->editing()) rs->cancelUpdate();
    report(m_app, r);
    return false;
  }
  rs->close();
  m_original = description;
  emit saved(description);
  closeWindow(this);
  return true;
}

}  // namespace tavrik
