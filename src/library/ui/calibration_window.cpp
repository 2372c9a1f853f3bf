#include "library/ui/calibration_window.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/app.h"
#include "chart/chart_record.h"
#include "core/messages.h"
#include "geo/ui/position_control.h"
#include "library/calibration_save.h"
#include "library/chart_library_store.h"
#include "library/library_texts.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

constexpr int kGlasSize = 160;
constexpr int kGlasFactor = 4;

QString units(double v) { return QString::number(v, 'f', 0); }

}  // namespace

CalibrationWindow::CalibrationWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpscalib"));
  setWindowTitle(QStringLiteral("Chart calibration"));
  setFocusPolicy(Qt::StrongFocus);
  m_chart = new QLabel;
  m_chart->setObjectName(QStringLiteral("chart"));
  m_chart->setMouseTracking(true);
  m_chart->installEventFilter(this);
  m_chart->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_scroll = new QScrollArea(this);
  m_scroll->setWidget(m_chart);
  m_scroll->horizontalScrollBar()->setObjectName(QStringLiteral("HScroll1"));
  m_scroll->verticalScrollBar()->setObjectName(QStringLiteral("VScroll1"));
  m_glas = new QLabel(this);
  m_glas->setObjectName(QStringLiteral("glas"));
  m_glas->setFixedSize(kGlasSize, kGlasSize);
  m_glas->setFrameShape(QFrame::Box);

  m_tabs = new QTabBar(this);
  m_tabs->setObjectName(QStringLiteral("TabStrip1"));
  m_pages = new QStackedWidget(this);
  for (int i = 0; i < 3; ++i) {
    m_tabs->addTab(QStringLiteral("Point %1").arg(i + 1));
    auto* page = new QWidget(m_pages);
    auto* grid = new QGridLayout(page);
    m_x[i] = new QLabel(page);
    m_x[i]->setObjectName(QStringLiteral("x%1").arg(i + 1));
    m_y[i] = new QLabel(page);
    m_y[i]->setObjectName(QStringLiteral("y%1").arg(i + 1));
    m_positions[i] = new PositionControl(page);
    m_positions[i]->setObjectName(QStringLiteral("Position%1").arg(i + 1));
    m_wplists[i] = new QComboBox(page);
    m_wplists[i]->setObjectName(QStringLiteral("wplist%1").arg(i + 1));
    m_wplists[i]->addItem(QString(), 0);
    for (const QVariantList& r : app.db.rows(QStringLiteral("SELECT Waypoint, description FROM Waypoints ORDER BY description")))
      m_wplists[i]->addItem(r.value(1).toString(), r.value(0));
    connect(m_wplists[i], &QComboBox::activated, this, [this, i](int index) {
      const QVariant key = m_wplists[i]->itemData(index);
      const auto rows = m_app.db.rows(QStringLiteral("SELECT latitude, longitude FROM Waypoints WHERE Waypoint = ") + key.toString());
      if (rows.empty()) return;
      m_positions[i]->setLatitude(rows[0].value(0).toDouble());
      m_positions[i]->setLongitude(rows[0].value(1).toDouble());
    });
    grid->addWidget(new QLabel(QStringLiteral("X:"), page), 0, 0);
    grid->addWidget(m_x[i], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y:"), page), 0, 2);
    grid->addWidget(m_y[i], 0, 3);
    grid->addWidget(m_positions[i], 1, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Waypoint:"), page), 2, 0);
    grid->addWidget(m_wplists[i], 2, 1, 1, 3);
    m_pages->addWidget(page);
  }
  m_tabs->addTab(QStringLiteral("Margins"));
  auto* marginPage = new QWidget(m_pages);
  auto* marginGrid = new QGridLayout(marginPage);
  const char* const optionNames[] = {"Top", "Bottom", "Left", "Right"};
  const char* const labelNames[] = {"t_marge", "b_marge", "l_marge", "r_marge"};
  for (int i = 0; i < 4; ++i) {
    m_options[i] = new QRadioButton(QString::fromLatin1(optionNames[i]), marginPage);
    m_options[i]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
    m_margins[i] = new QLabel(QStringLiteral("0"), marginPage);
    m_margins[i]->setObjectName(QString::fromLatin1(labelNames[i]));
    marginGrid->addWidget(m_options[i], i, 0);
    marginGrid->addWidget(m_margins[i], i, 1);
  }
  m_options[0]->setChecked(true);
  m_pages->addWidget(marginPage);
  connect(m_tabs, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);

  m_mercator = new QCheckBox(QStringLiteral("Mercator"), this);
  m_mercator->setObjectName(QStringLiteral("mercator"));
  m_mercator->setChecked(true);
  m_datum = new QComboBox(this);
  m_datum->setObjectName(QStringLiteral("datum"));
  for (const QVariantList& r : app.db.rows(QStringLiteral("SELECT * FROM Datums OrdER BY description")))
    m_datum->addItem(r.value(2).toString(), r.value(0));
  m_datum->setCurrentIndex(-1);
  m_desc = new QLineEdit(this);
  m_desc->setObjectName(QStringLiteral("desc"));
  m_scale = new QLineEdit(this);
  m_scale->setObjectName(QStringLiteral("ch_scale"));
  m_depth = new QLineEdit(this);
  m_depth->setObjectName(QStringLiteral("ch_depth"));
  m_date = new QLineEdit(this);
  m_date->setObjectName(QStringLiteral("ch_date"));
  for (QLineEdit* e : {m_desc, m_scale, m_depth, m_date}) e->installEventFilter(this);

  auto* loadButton = new QPushButton(QStringLiteral("&Load..."), this);
  loadButton->setObjectName(QStringLiteral("load"));
  auto* saveButton = new QPushButton(QStringLiteral("&Save"), this);
  saveButton->setObjectName(QStringLiteral("save"));
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  connect(loadButton, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load"), m_app.settings.LastCalibDir,
        QStringLiteral("All formats (*.bmp *.BMP *.dib *.DIB *.rle *.RLE *.jpg *.JPG *.jpeg *.gif *.GIF *.png *.PNG *.tif "
                       "*.TIF *.tiff *.pbm *.pgm *.ppm *.wmf *.WMF *.emf *.EMF *.pcx *.PCX *.cht *.CHT);;"
                       "Windows (*.bmp *.BMP);;Windows (*.dib *.DIB);;Windows (*.rle *.RLE);;JPEG (*.jpg *.JPG *.jpeg);;"
                       "GIF (*.gif *.GIF);;PNG (*.png *.PNG);;TIFF (*.tif *.TIF *.tiff)"));
    if (f.isEmpty()) return;
    m_app.settings.LastCalibDir = QFileInfo(f).absolutePath();
    load(f);
  });
  connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Description"), m_desc);
  fields->addRow(QStringLiteral("Datum"), m_datum);
  fields->addRow(QStringLiteral("Scale"), m_scale);
  fields->addRow(QStringLiteral("Depth"), m_depth);
  fields->addRow(QStringLiteral("Revised"), m_date);
  fields->addRow(QString(), m_mercator);
  auto* side = new QVBoxLayout;
  side->addWidget(m_glas, 0, Qt::AlignHCenter);
  side->addWidget(m_tabs);
  side->addWidget(m_pages);
  side->addLayout(fields);
  side->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(loadButton);
  buttons->addWidget(saveButton);
  buttons->addWidget(closeButton);
  side->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_scroll, 1);
  layout->addLayout(side);
  clear();
  resize(1000, 680);
}

bool CalibrationWindow::load(const QString& path) {
  static const QStringList unreadable{QStringLiteral("wmf"), QStringLiteral("emf"), QStringLiteral("pcx"), QStringLiteral("cht")};
  QImageReader reader(path);
  QImage image;
  if (!unreadable.contains(QFileInfo(path).suffix().toLower())) image = reader.read();
  if (image.isNull()) {
    m_app.prompter.information(unreadable.contains(QFileInfo(path).suffix().toLower()) || reader.error() == QImageReader::UnsupportedFormatError
                                   ? library_text::cannotReadPicture(path)
                                   : MessageText(Msg::LoadingBitmapFailed) + QStringLiteral(" (") + path + QStringLiteral(")"));
    return false;
  }
  clear();
  m_file = QFileInfo(path).absoluteFilePath();
  m_image = image;
  m_chart->setVisible(true);
  m_glas->setVisible(true);
  updateMarks();
  if (const std::optional<CalibrationForm> f = calibrationOfBitmap(m_app.db, m_file)) {
    m_mercator->setChecked(f->mercator);
    for (int i = 0; i < 3; ++i) {
      m_x[i]->setText(units(f->x[i]));
      m_y[i]->setText(units(f->y[i]));
      m_positions[i]->setLatitude(f->latitude[i]);
      m_positions[i]->setLongitude(f->longitude[i]);
    }
    const double margins[4] = {f->topMargin, f->bottomMargin, f->leftMargin, f->rightMargin};
    for (int i = 0; i < 4; ++i) m_margins[i]->setText(units(margins[i]));
    m_desc->setText(f->description);
    m_datum->setCurrentIndex(m_datum->findData(f->datum.value_or(0)));
    m_scale->setText(f->scale);
    m_depth->setText(f->depth);
    m_date->setText(f->revised);
    updateMarks();
  }
  return true;
}

void CalibrationWindow::pointerAt(QPoint pixel) {
  m_last = pixel;
  if (m_image.isNull()) return;
  const int half = kGlasSize / kGlasFactor / 2;
  QImage part = m_image.copy(pixel.x() - half, pixel.y() - half, 2 * half, 2 * half)
                    .scaled(kGlasSize, kGlasSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  QPainter p(&part);
  p.setPen(QPen(Qt::red, 1));
  p.drawLine(kGlasSize / 2, 0, kGlasSize / 2, kGlasSize);
  p.drawLine(0, kGlasSize / 2, kGlasSize, kGlasSize / 2);
  p.end();
  m_glas->setPixmap(QPixmap::fromImage(part));
}

void CalibrationWindow::markAt(QPoint pixel) {
  pointerAt(pixel);
  if (m_file.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoChartLoaded));
    return;
  }
  const double x = pixel.x() * kTwipsPerPixel, y = pixel.y() * kTwipsPerPixel;
  const int tab = m_tabs->currentIndex();
  if (tab < 3) {
    m_x[tab]->setText(units(x));
    m_y[tab]->setText(units(y));
  } else {
    const double w = m_image.width() * kTwipsPerPixel, h = m_image.height() * kTwipsPerPixel;
    const double values[4] = {y, h - y, x, w - x};
    for (int i = 0; i < 4; ++i)
      if (m_options[i]->isChecked()) m_margins[i]->setText(units(values[i]));
  }
  updateMarks();
}

void CalibrationWindow::setTab(int index) { m_tabs->setCurrentIndex(index); }
void CalibrationWindow::setMarginOption(int option) { m_options[option]->setChecked(true); }

void CalibrationWindow::updateMarks() {
  if (m_image.isNull()) return;
  QImage shown = m_image.convertToFormat(QImage::Format_RGB32);
  QPainter p(&shown);
  for (int i = 0; i < 3; ++i) {
    if (m_x[i]->text().isEmpty()) continue;
    const QPointF at(m_x[i]->text().toDouble() / kTwipsPerPixel, m_y[i]->text().toDouble() / kTwipsPerPixel);
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(at - QPointF(8, 0), at + QPointF(8, 0));
    p.drawLine(at - QPointF(0, 8), at + QPointF(0, 8));
    p.drawText(at + QPointF(6, -6), QString::number(i + 1));
  }
  p.setPen(QPen(Qt::blue, 1, Qt::DashLine));
  const double t = m_margins[0]->text().toDouble() / kTwipsPerPixel, b = m_margins[1]->text().toDouble() / kTwipsPerPixel;
  const double l = m_margins[2]->text().toDouble() / kTwipsPerPixel, r = m_margins[3]->text().toDouble() / kTwipsPerPixel;
  p.drawRect(QRectF(l, t, shown.width() - l - r - 1, shown.height() - t - b - 1));
  p.end();
  m_chart->setPixmap(QPixmap::fromImage(shown));
  m_chart->resize(shown.size());
}

bool CalibrationWindow::save() {
  CalibrationForm f;
  f.description = m_desc->text();
  f.bitmap = m_file;
  f.mercator = m_mercator->isChecked();
  for (int i = 0; i < 3; ++i) {
    f.latitude[i] = m_positions[i]->latitude();
    f.longitude[i] = m_positions[i]->longitude();
    f.x[i] = m_x[i]->text().toDouble();
    f.y[i] = m_y[i]->text().toDouble();
  }
  f.maxx = m_image.width() * kTwipsPerPixel;
  f.maxy = m_image.height() * kTwipsPerPixel;
  f.topMargin = m_margins[0]->text().toDouble();
  f.bottomMargin = m_margins[1]->text().toDouble();
  f.leftMargin = m_margins[2]->text().toDouble();
  f.rightMargin = m_margins[3]->text().toDouble();
  if (m_datum->currentIndex() >= 0) f.datum = m_datum->currentData().toInt();
  f.scale = m_scale->text();
  f.depth = m_depth->text();
  f.revised = m_date->text();
  const CalibrationSave s = prepareCalibrationSave(f);
  if (s.message) {
    m_app.prompter.information(MessageText(s.message));
    if (s.message == Msg::NoDescriptionEntered) m_desc->setFocus();
    return false;
  }
  if (s.askConsistency && !m_app.prompter.question(MessageText(Msg::NotMercatorProceed))) return false;
  qint64 key = 0;
  StoreResult r = m_app.db.beginTrans();
  if (r.ok()) r = storeChartRow(m_app.db, s.row, m_app.clock.now(), &key);
  if (r.ok()) r = m_app.db.commitTrans();
  if (!r.ok()) {
    m_app.db.rollback();
    m_app.prompter.exclamation(ErrorReportText(r.error, r.detail));
    return false;
  }
  m_app.requests.redrawOverlays = true;
  clear();
  return true;
}

void CalibrationWindow::clear() {
  for (int i = 0; i < 3; ++i) {
    m_x[i]->clear();
    m_y[i]->clear();
  }
  for (QLabel* m : m_margins) m->setText(QStringLiteral("0"));
  for (QLineEdit* e : {m_desc, m_scale, m_depth, m_date}) e->clear();
  m_scroll->horizontalScrollBar()->setValue(0);
  m_scroll->verticalScrollBar()->setValue(0);
  m_chart->clear();
  m_glas->clear();
  m_chart->setVisible(false);
  m_glas->setVisible(false);
  m_image = QImage();
  m_file.clear();
}

bool CalibrationWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_chart) {
    if (event->type() == QEvent::MouseMove) pointerAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      markAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    return false;
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return false;
    if (edit == m_date) {  // gpscal
      QDialog dialog(this);
      dialog.setObjectName(QStringLiteral("gpscal"));
      dialog.setWindowTitle(QStringLiteral("Date"));
      auto* calendar = new QCalendarWidget(&dialog);
      auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
      auto* l = new QVBoxLayout(&dialog);
      l->addWidget(calendar);
      l->addWidget(box);
      connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
      connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
      connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
      if (dialog.exec() == QDialog::Accepted) edit->setText(calendar->selectedDate().toString(QStringLiteral("dd/MM/yyyy")));
    } else {  // gpsnum
      bool ok = false;
      const QString text = QInputDialog::getText(this, QStringLiteral("Enter"), QString(), QLineEdit::Normal, edit->text(), &ok);
      if (ok) edit->setText(text);
    }
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CalibrationWindow::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int steps = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
  QScrollBar* h = m_scroll->horizontalScrollBar();
  QScrollBar* v = m_scroll->verticalScrollBar();
  QPoint move;
  switch (event->key()) {
    case Qt::Key_Left: move = {-1, 0}; break;
    case Qt::Key_Right: move = {1, 0}; break;
    case Qt::Key_Up: move = {0, -1}; break;
    case Qt::Key_Down: move = {0, 1}; break;
    default: return QWidget::keyPressEvent(event);
  }
  if (ctrl) {  // the pointer by one screen pixel, for fine placement
    QCursor::setPos(QCursor::pos() + move);
    pointerAt(m_last + move);
    return;
  }
  h->setValue(std::clamp(h->value() + move.x() * steps * h->singleStep(), h->minimum(), h->maximum()));
  v->setValue(std::clamp(v->value() + move.y() * steps * v->singleStep(), v->minimum(), v->maximum()));
}

}  // namespace tavrik
