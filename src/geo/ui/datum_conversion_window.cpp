#include "geo/ui/datum_conversion_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/number_format.h"
#include "geo/datum.h"
#include "geo/datum_catalogue.h"
#include "geo/ui/position_control.h"
#include "geo/ui/record_list_window.h"
#include "store/database.h"

namespace tavrik {

DatumConversionWindow::DatumConversionWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setWindowTitle(tr("Datum conversion"));
  m_datum1 = new QComboBox(this);
  m_datum1->setObjectName(QStringLiteral("datum1"));
  m_datum2 = new QComboBox(this);
  m_datum2->setObjectName(QStringLiteral("datum2"));
  for (QComboBox* b : {m_datum1, m_datum2}) b->setMinimumWidth(280);

  // The grid notation and its ellipsoid are the user's settings, as everywhere.
  double a = kWgs84MajorAxis, bAxis = 6356752.3142;
  auto rs = app.db.openRecordset(QStringLiteral("SELECT * FROM Ellipsoids WHERE Ellipse = %1").arg(app.settings.system.ellipse));
  if (!rs->eof() && rs->number(QStringLiteral("majoraxis")) > 0 && rs->number(QStringLiteral("minoraxis")) > 0) {
    a = rs->number(QStringLiteral("majoraxis"));
    bAxis = rs->number(QStringLiteral("minoraxis"));
  }
  rs->close();
  auto positionControl = [&](const char* name) {
    auto* p = new PositionControl(this);
    p->setObjectName(QLatin1String(name));
    p->setSoundPlayer(&app.sound);
    p->setMajoraxis(a);
    p->setMinoraxis(bAxis);
    p->setGrid(app.settings.system.grid);
    return p;
  };
  m_position1 = positionControl("Position1");
  m_position2 = positionControl("Position2");
  m_position2->setLocked(true);
  m_position1->setPosition(app.nav.Latitude, app.nav.Longitude);

  m_height1 = new QLineEdit(formatNumber(0.0, u"0.0"), this);
  m_height1->setObjectName(QStringLiteral("height1"));
  m_height2 = new QLineEdit(this);
  m_height2->setObjectName(QStringLiteral("height2"));
  m_height2->setReadOnly(true);
  for (QLineEdit* e : {m_height1, m_height2}) e->setMaximumWidth(110);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("From datum"), this), 0, 0);
  grid->addWidget(m_datum1, 0, 1);
  grid->addWidget(m_position1, 1, 1);
  grid->addWidget(new QLabel(tr("Height (m)"), this), 2, 0);
  grid->addWidget(m_height1, 2, 1, Qt::AlignLeft);
  grid->addWidget(new QLabel(tr("To datum"), this), 3, 0);
  grid->addWidget(m_datum2, 3, 1);
  grid->addWidget(m_position2, 4, 1);
  grid->addWidget(new QLabel(tr("Height (m)"), this), 5, 0);
  grid->addWidget(m_height2, 5, 1, Qt::AlignLeft);

  auto* convertButton = new QPushButton(tr("C&onvert"), this);
  convertButton->setObjectName(QStringLiteral("Command1"));
  convertButton->setDefault(true);
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("Command2"));
  connect(convertButton, &QPushButton::clicked, this, &DatumConversionWindow::convert);
  connect(close, &QPushButton::clicked, this, [this] { closeWindow(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(convertButton);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);

  // The receiver's datum to the chart's is the usual question: start from the GPS datum.
  fillDatums(m_datum1, app.settings.system.gpsDatum > 0 ? app.settings.system.gpsDatum : kWgs84Datum);
  fillDatums(m_datum2, kWgs84Datum);
  connect(m_datum1, &QComboBox::currentIndexChanged, this, &DatumConversionWindow::convert);
  connect(m_datum2, &QComboBox::currentIndexChanged, this, &DatumConversionWindow::convert);
  connect(m_position1, &PositionControl::positionEdited, this, &DatumConversionWindow::convert);
  connect(m_height1, &QLineEdit::editingFinished, this, &DatumConversionWindow::convert);
  convert();
}

void DatumConversionWindow::fillDatums(QComboBox* box, int select) {
  box->clear();
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Datums WHERE DATUM > 0 ORDER BY description"));
  for (; !rs->eof(); rs->moveNext())
    box->addItem(rs->text(QStringLiteral("description")), rs->integer(QStringLiteral("datum")));
  rs->close();
  box->setCurrentIndex(box->findData(select));
}

void DatumConversionWindow::convert() {
  CalcRecord r;
  r.Lat1 = m_position1->latitude();
  r.Lon1 = m_position1->longitude();
  r.Height1 = parseLocaleNumber(m_height1->text());  // not a number: 0
  r.Datum1 = m_datum1->currentIndex() >= 0 ? m_datum1->currentData().toInt() : 0;
  r.Datum2 = m_datum2->currentIndex() >= 0 ? m_datum2->currentData().toInt() : 0;
  DatumConvert(r, m_app.datumLookup);
  m_position2->setPosition(r.Lat2, r.Lon2);
  m_height2->setText(formatNumber(r.Height2, u"0.0"));
}

}  // namespace tavrik
