#include "log/ui/log_list_window.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "geo/ui/record_list_window.h"

namespace tavrik {

namespace {

GridNotation notationOf(const App& app) {
  GridNotation n;
  n.grid = app.settings.system.grid;
  n.decimals = app.settings.decimals();
  return n;
}

// Latitude and longitude halves of the position control's display text.
std::pair<QString, QString> positionParts(const GridNotation& n, double lat, double lon) {
  const QString text = n.positionText(lat, lon);
  const int slash = text.indexOf(QStringLiteral(" / "));
  if (slash < 0) return {text, QString()};
  return {text.left(slash), text.mid(slash + 3)};
}

// The locale's long time without the zone: every entry is in the computer's local
// time, and the zone would run into the next print column.
QString longTime(const QTime& t) {
  QString format = QLocale().timeFormat(QLocale::LongFormat);
  format.remove(QLatin1Char('t'));
  return QLocale().toString(t, format.trimmed());
}

}  // namespace

void LogTableModel::setRows(std::vector<LogRow> rows) {
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::UserRole)) return {};
  const LogRow& r = m_rows.at(static_cast<size_t>(index.row()));
  const bool sortValue = role == Qt::UserRole;
  const float f = m_units.UnitFactor;
  switch (index.column()) {
    case 0: return r.type;
    case 1: return sortValue ? QVariant(r.date) : QVariant(QLocale().toString(r.date.date(), QLocale::LongFormat));
    case 2: return sortValue ? QVariant(r.date.time()) : QVariant(longTime(r.date.time()));
    case 3: return sortValue ? QVariant(r.latitude) : QVariant(positionParts(m_notation, r.latitude, r.longitude).first);
    case 4: return sortValue ? QVariant(r.longitude) : QVariant(positionParts(m_notation, r.latitude, r.longitude).second);
    case 5: return sortValue ? QVariant(r.sogKn) : QVariant(formatNumber(r.sogKn * f, u"#0.0") + QLatin1Char(' ') + m_units.speedLabel());
    case 6: return sortValue ? QVariant(r.cogDeg) : QVariant(formatNumber(r.cogDeg, u"#0.0") + QStringLiteral("°"));
    case 7: return sortValue ? QVariant(r.distanceNm) : QVariant(formatNumber(r.distanceNm * f, u"#0.0") + QLatin1Char(' ') + m_units.distanceLabel());
    case 8: return sortValue ? QVariant(r.depthM) : QVariant(strNumber(static_cast<float>(r.depthM)).trimmed() + QStringLiteral("m"));
    case 9: return sortValue ? QVariant(r.windDirectionDeg) : QVariant(formatNumber(r.windDirectionDeg, u"#0.0") + QStringLiteral("°"));
    case 10: return sortValue ? QVariant(r.windSpeedKn) : QVariant(strNumber(static_cast<float>(r.windSpeedKn)).trimmed() + QStringLiteral("Kts"));
    case 11: return r.position;
    case 12: return r.memo;
  }
  return {};
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
  static const char* kHeadings[] = {"Type",  "Date",      "Time",           "Latitude",   "Longitude", "SOG",  "COG",
                                    "Trip", "Depth", "Wind direction", "Wind speed", "Position",  "Text"};
  return section >= 0 && section < 13 ? QString::fromLatin1(kHeadings[section]) : QString();
}

LogListWindow::LogListWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpslshow"));
  setWindowTitle(tr("Log"));
  m_model = new LogTableModel(app.settings.units, notationOf(app), this);
  m_sorted = new QSortFilterProxyModel(this);
  m_sorted->setSourceModel(m_model);
  m_sorted->setSortRole(Qt::UserRole);
  m_view = new QTableView(this);
  m_view->setObjectName(QStringLiteral("Grid1"));
  m_view->setModel(m_sorted);
  m_view->setSortingEnabled(true);
  m_view->sortByColumn(-1, Qt::AscendingOrder);  // date order as selected until a heading is clicked
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
  m_view->horizontalHeader()->setStretchLastSection(true);
  // Column widths from the first rows: measuring every row of a long log costs more
  // than showing it.
  m_view->horizontalHeader()->setResizeContentsPrecision(50);

  auto* exportButton = new QPushButton(tr("&Export CSV..."), this);
  exportButton->setObjectName(QStringLiteral("cmdExport"));
  auto* printButton = new QPushButton(tr("&Print..."), this);
  printButton->setObjectName(QStringLiteral("cmdPrint"));
  auto* closeButton = new QPushButton(tr("&Close"), this);
  closeButton->setObjectName(QStringLiteral("cmdClose"));
  connect(exportButton, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getSaveFileName(this, tr("Export log"), QString(), tr("CSV (*.csv)"));
    if (!file.isEmpty()) exportCsv(file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? file : file + ".csv");
  });
  connect(printButton, &QPushButton::clicked, this, [this] { printLogWithPreview(m_app, m_model->rows(), this); });
  connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(exportButton);
  buttons->addWidget(printButton);
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_view, 1);
  layout->addLayout(buttons);
  resize(900, 400);
  reload();
}

void LogListWindow::reload() {
  StoreResult r;
  std::vector<LogRow> rows;
  if (!m_app.logDisplay.LogQuery.isEmpty()) rows = readLogRows(m_app.db, m_app.logDisplay.LogQuery, &r);
  if (!r) ShowError(m_app.prompter, r.error, r.detail);
  m_model->setRows(std::move(rows));
  m_view->resizeColumnsToContents();
}

bool LogListWindow::exportCsv(const QString& file) {
  // Written aside and renamed, so a failed export leaves no half file.
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(logCsv(m_model->rows())) < 0 || !out.commit()) {
    ShowError(m_app.prompter, DbError::CannotOpen, file + QStringLiteral(": ") + out.errorString());
    return false;
  }
  return true;
}

int printLog(QPainter& painter, QPrinter& printer, const std::vector<LogRow>& rows, const Units& units,
             const GridNotation& notation, const std::function<bool()>& cancelled) {
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(std::max(4, static_cast<int>(page.width() / 200 / 0.6)));
  painter.setFont(font);
  const double column = page.width() / 200.0;
  const double lineHeight = QFontMetricsF(font).lineSpacing();
  const int linesPerPage = std::max(4, static_cast<int>(page.height() / lineHeight));
  int line = 0, pages = 1;
  const auto at = [&](int col, const QString& text) {
    painter.drawText(QPointF(col * column, (line + 1) * lineHeight), text);
  };
  const auto heading = [&] {
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    at(0, QStringLiteral("Log"));
    at(20, QStringLiteral("Date"));
    at(33, QStringLiteral("Time"));
    at(45, QStringLiteral("Position"));
    at(80, QStringLiteral("SOG"));
    at(95, QStringLiteral("COG"));
    at(108, QStringLiteral("Speed"));
    at(123, QStringLiteral("Course"));
    at(137, QStringLiteral("Trip"));
    at(154, QStringLiteral("Depth"));
    at(169, QStringLiteral("Wind dir"));
    at(184, QStringLiteral("Wind"));
    painter.setFont(font);
    line += 2;
  };
  heading();
  const QLocale locale;
  const QString speed = units.speedLabel(), distance = units.distanceLabel();
  for (const LogRow& r : rows) {
    if (cancelled && cancelled()) break;
    if (linesPerPage - line < 3) {
      printer.newPage();
      ++pages;
      line = 0;
      heading();
    }
    at(0, r.type);
    at(20, locale.toString(r.date.date(), QLocale::ShortFormat));
    at(33, longTime(r.date.time()));
    at(45, notation.positionText(r.latitude, r.longitude));
    at(80, formatNumber(r.sogKn * units.UnitFactor, u"0.0") + speed);
    at(95, formatNumber(r.cogDeg, u"0.0") + QStringLiteral("°"));
    at(108, formatNumber(r.waterSpeedKn * units.UnitFactor, u"0.0") + speed);
    at(123, formatNumber(r.headingMagDeg, u"0.0") + QStringLiteral("°"));
    at(137, formatNumber(r.distanceNm * units.UnitFactor, u"0.0") + distance);
    at(154, formatNumber(r.depthM, u"0.0") + QStringLiteral("m"));
    at(169, formatNumber(r.windDirectionDeg, u"0.0") + QStringLiteral("°"));
    at(184, formatNumber(r.windSpeedKn, u"0.0") + QStringLiteral("Kts"));
    ++line;
    if (!r.position.isEmpty()) {
      at(20, QStringLiteral("Position: ") + r.position);
      ++line;
    }
    if (!r.memo.isEmpty()) {
      // A memo of several lines prints each on its own line.
      for (const QString& part : r.memo.split(QLatin1Char('\n'))) {
        if (linesPerPage - line < 1) {
          printer.newPage();
          ++pages;
          line = 0;
          heading();
        }
        at(20, part);
        ++line;
      }
    }
  }
  return pages;
}

void printLogWithPreview(App& app, const std::vector<LogRow>& rows, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName(QStringLiteral("printpreview"));
  GridNotation notation;
  notation.grid = app.settings.system.grid;
  notation.decimals = app.settings.decimals();
  const Units units = app.settings.units;
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* p) {
    QPainter painter(p);
    printLog(painter, *p, rows, units, notation);
  });
  preview.exec();
}

void registerLogListWindow(App& app) {
  app.windows.add(QStringLiteral("gpslshow"), [](App& a) { return new LogListWindow(a); });
}

}  // namespace tavrik
