#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/number_format.h"
#include "core/ui/main_window.h"
#include "geo/grid_notation.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/position_control.h"

namespace tavrik {

// ---- Grid conversion -----------------------------------------------------------------

namespace {
const char* const kNotationNames[kGridCount] = {"Degrees and minutes", "Degrees, minutes and seconds", "UTM",
                                                "RD (Netherlands)", "National Grid (Britain)"};
}

GridConversionWindow::GridConversionWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setWindowTitle(tr("Grid conversion"));
  m_notation = new QComboBox(this);
  m_notation->setObjectName(QStringLiteral("grid"));
  for (const char* n : kNotationNames) m_notation->addItem(tr(n));
  m_entry = makePositionControl(app, QStringLiteral("Position1"), this);
  auto* layout = new QVBoxLayout(this);
  auto* entry = new QGroupBox(tr("Position"), this);
  auto* el = new QVBoxLayout(entry);
  auto* nrow = new QHBoxLayout;
  nrow->addWidget(new QLabel(tr("Enter as"), entry));
  nrow->addWidget(m_notation, 1);
  el->addLayout(nrow);
  el->addWidget(m_entry);
  layout->addWidget(entry);
  auto* results = new QGroupBox(tr("In every notation"), this);
  auto* rl = new QGridLayout(results);
  for (int g = 0; g < kGridCount; ++g) {
    rl->addWidget(new QLabel(tr(kNotationNames[g]), results), g, 0);
    auto* value = new QLabel(results);
    value->setObjectName(QStringLiteral("result%1").arg(g));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("00° 00' 00.00'' N / 000° 00' 00.00'' E")));
    rl->addWidget(value, g, 1);
    m_results.push_back(value);
  }
  rl->setColumnStretch(1, 1);
  layout->addWidget(results);
  layout->addStretch(1);
  connect(m_notation, &QComboBox::currentIndexChanged, this, [this](int g) {
    m_entry->setGrid(g);
    showResults();
  });
  connect(m_entry, &PositionControl::positionEdited, this, [this] { showResults(); });
  m_notation->setCurrentIndex(m_entry->grid());
  setPosition(app.nav.Latitude, app.nav.Longitude);
}

void GridConversionWindow::setEntryGrid(int grid) {
  if (grid >= 0 && grid < kGridCount) m_notation->setCurrentIndex(grid);
}

void GridConversionWindow::setPosition(double lat, double lon) {
  m_entry->setPosition(lat, lon);
  showResults();
}

QString GridConversionWindow::resultText(int grid) const {
  return grid >= 0 && grid < kGridCount ? m_results[static_cast<size_t>(grid)]->text() : QString();
}

void GridConversionWindow::showResults() {
  GridNotation n = m_entry->notation();
  for (int g = 0; g < kGridCount; ++g) {
    n.grid = g;
    const QString text = n.positionText(m_entry->latitude(), m_entry->longitude());
    m_results[static_cast<size_t>(g)]->setText(text.isEmpty() ? tr("(outside the grid)") : text);
  }
}

// ---- Registration and menu -------------------------------------------------------------

// The datum conversion window gpsdconv is registered with the datum windows.

void registerGridWindows(App& app) {
  app.windows.add(QStringLiteral("gpscalc"), [](App& a) -> QWidget* { return new MercatorCalcWindow(a); });
  app.windows.add(QStringLiteral("gpsgcalc"), [](App& a) -> QWidget* { return new GreatCircleWindow(a); });
  app.windows.add(QStringLiteral("gpsgrid"), [](App& a) -> QWidget* { return new GridConversionWindow(a); });
}

void addCalculationMenu(MainWindow& window) {
  QMenu* menu = window.ensureMenu(QStringLiteral("m_calc"), QObject::tr("Ca&lculations"));
  auto add = [&](const char* objectName, const QString& text, const QString& windowName) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(objectName));
    QObject::connect(a, &QAction::triggered, &window, [&window, windowName] { window.openWindow(windowName); });
  };
  add("calc_mercator", QObject::tr("&Mercator calculations..."), QStringLiteral("gpscalc"));
  add("calc_greatcircle", QObject::tr("&Great circle calculations..."), QStringLiteral("gpsgcalc"));
  add("calc_datum", QObject::tr("&Datum conversion..."), QStringLiteral("gpsdconv"));
  add("calc_grid", QObject::tr("G&rid conversion..."), QStringLiteral("gpsgrid"));
}

}  // namespace tavrik
