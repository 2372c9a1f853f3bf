#include "chart/ui/chart_menu.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QPrinter>

#include "app/app.h"
#include "chart/night_palette.h"
#include "chart/raster_chart.h"
#include "chart/ui/chart_info_window.h"
#include "chart/ui/chart_window.h"
#include "chart/ui/color_window.h"
#include "chart/ui/overview_window.h"
#include "chart/ui/zoom_window.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "store/system_row.h"

namespace tavrik {

void registerChartWindows(App& app) {
  app.windows.add(QStringLiteral("gpschart"), [](App& a) { return new ChartWindow(a); });
  app.windows.add(QStringLiteral("gpszoom"), [](App& a) { return new ZoomWindow(a); });
  app.windows.add(QStringLiteral("gpscolor"), [](App& a) { return new ColorWindow(a); });
  app.windows.add(QStringLiteral("gpschartinfo"), [](App& a) { return new ChartInfoWindow(a); });
  app.windows.add(QStringLiteral("gpstshow"), [](App& a) { return new OverviewWindow(a); });
}

ChartWindow* findChartWindow(MainWindow& window) {
  return qobject_cast<ChartWindow*>(window.findWindow(QStringLiteral("gpschart")));
}

ChartWindow* openChartWindow(MainWindow& window) {
  return qobject_cast<ChartWindow*>(window.openWindow(QStringLiteral("gpschart")));
}

namespace {
QWidget* frameOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()) ? w->parentWidget() : w; }
}  // namespace

ChartMenu::ChartMenu(App& app, MainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  m_menu = window.ensureMenu(QStringLiteral("m_chart"), QStringLiteral("Cha&rt"));
  auto add = [this](const char* name, const QString& text, auto&& run) {
    QAction* a = m_menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, run);
    return a;
  };
  add("ch_open", QStringLiteral("&Open chart file..."), [this] {
    const QString file = QFileDialog::getOpenFileName(
        &m_window, QStringLiteral("Open chart"), m_app.settings.ChartDir,
        QStringLiteral("Charts (*.kap *.KAP *.bsb *.BSB *.bmp *.BMP *.jpg *.JPG *.gif *.GIF *.png *.PNG *.tif *.TIF *.dib *.rle);;"
                       "All files (*)"));
    if (!file.isEmpty()) openChartFile(file);
  });
  m_show = add("ch_window", QStringLiteral("Chart &window"), [this] {
    ChartWindow* c = findChartWindow(m_window);
    if (!c) openChartWindow(m_window);
    else frameOf(c)->setVisible(!frameOf(c)->isVisible());
    refresh();
  });
  m_show->setCheckable(true);
  m_menu->addSeparator();
  add("ch_zoom", QStringLiteral("&Zoom..."), [this] { m_window.openWindow(QStringLiteral("gpszoom")); });
  add("ch_refresh", QStringLiteral("&Refresh"), [this] { m_app.requests.redrawAll = true; });
  add("ch_position", QStringLiteral("&Centre on position"), [this] { m_app.requests.centreOnPosition = true; });
  add("ch_search", QStringLiteral("&Search chart"), [this] { m_app.requests.searchChart = true; });
  add("ch_folder", QStringLiteral("Start with &folder..."), [this] {
    // The folders by name, and the whole chart table.
    QStringList names{QStringLiteral("(all charts)")};
    std::vector<int> keys{0};
    if (m_app.db.isOpen()) {
      auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM [Folders] OrdER BY description"));
      for (; !rs->eof(); rs->moveNext()) {
        names << rs->text("description").trimmed();
        keys.push_back(static_cast<int>(rs->integer("folder")));
      }
    }
    int current = 0;
    for (size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == m_app.settings.system.folder) current = static_cast<int>(i);
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(&m_window, QStringLiteral("Start with folder"), QStringLiteral("Folder"), names, current,
                              false, &ok);
    if (!ok) return;
    const int i = static_cast<int>(names.indexOf(chosen));
    if (i >= 0) startWithFolder(keys[static_cast<size_t>(i)], i == 0 ? QString() : chosen);
  });
  m_positioning = add("ch_positioning", QStringLiteral("Automatic &positioning"), [this] {
    m_app.settings.system.positioning = !m_app.settings.system.positioning;
    refresh();
  });
  m_positioning->setCheckable(true);
  m_menu->addSeparator();
  m_rulers = add("ch_rulers", QStringLiteral("R&ulers"), [this] {
    m_app.settings.Rulers = !m_app.settings.Rulers;
    m_app.requests.redrawAll = true;
  });
  m_crosshairs = add("ch_crosshairs", QStringLiteral("Cross&hairs"), [this] {
    m_app.settings.Crosshairs = !m_app.settings.Crosshairs;
    m_app.requests.redrawAll = true;
  });
  m_circles = add("ch_circles", QStringLiteral("Range &circles"), [this] {
    m_app.settings.ChartCircles = !m_app.settings.ChartCircles;
    m_app.requests.redrawOverlays = true;
  });
  m_courseLine = add("ch_courseline", QStringLiteral("Course &line"), [this] {
    m_app.settings.ChartCourseLine = !m_app.settings.ChartCourseLine;
    m_app.requests.redrawCourseLine = true;
  });
  m_waypoints = add("ch_waypoints", QStringLiteral("Show &waypoints"), [this] {
    // All waypoints, or none: the selection the waypoint windows narrow down.
    m_app.selections.displayedWaypoints =
        m_app.selections.displayedWaypoints.isEmpty() ? DisplayWaypointsQuery({"ALL"}, {"ALL"}) : QString();
    m_app.requests.redrawOverlays = true;
  });
  for (QAction* a : {m_rulers, m_crosshairs, m_circles, m_courseLine, m_waypoints}) a->setCheckable(true);
  m_night = add("ch_night", QStringLiteral("&Night screen"), [this] { setNightScreen(!m_app.nightScreen); });
  m_night->setCheckable(true);
  m_night->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  add("ch_overview", QStringLiteral("Show o&verview..."), [this] { m_window.openWindow(QStringLiteral("gpstshow")); });
  add("ch_colors", QStringLiteral("C&olors..."), [this] { m_window.openWindow(QStringLiteral("gpscolor")); });
  m_info = add("ch_info", QStringLiteral("Chart &information..."), [this] {
    ChartWindow* c = findChartWindow(m_window);
    if (!c || !c->chart()) {
      m_app.prompter.information(MessageText(Msg::NoChartLoaded));
      return;
    }
    const QString title = c->chart()->description, text = c->chart()->information;
    if (auto* info = qobject_cast<ChartInfoWindow*>(m_window.openWindow(QStringLiteral("gpschartinfo"))))
      info->setInformation(title, text);
  });
  add("ch_print", QStringLiteral("&Print chart..."), [this] { printChart(); });
  add("ch_fileinfo", QStringLiteral("Chart &file information..."), [this] {
    const QString file = QFileDialog::getOpenFileName(&m_window, QStringLiteral("Chart information"),
                                                      m_app.settings.ChartDir,
                                                      QStringLiteral("BSB/KAP charts (*.kap *.KAP);;All files (*)"));
    if (!file.isEmpty()) showFileInformation(file);
  });
  connect(m_menu, &QMenu::aboutToShow, this, [this] { refresh(); });
  refresh();
}

void setNightScreen(MainWindow& window, bool on) {
  if (auto* menu = window.findChild<ChartMenu*>()) {
    menu->setNightScreen(on);
    return;
  }
  window.app().nightScreen = on;
  window.app().requests.nightScreenChanged = true;
}

void toggleNightScreen(MainWindow& window) { setNightScreen(window, !window.app().nightScreen); }

void ChartMenu::setNightScreen(bool on) {
  if (m_app.nightScreen != on) {
    m_app.nightScreen = on;
    m_app.requests.nightScreenChanged = true;
    QMdiArea* area = m_window.mdiArea();
    if (on) {
      m_dayPaletteSet = m_window.testAttribute(Qt::WA_SetPalette);
      m_dayPalette = m_window.palette();
      m_dayBackground = area->background();
      m_window.setPalette(NightWindowPalette());
      area->setBackground(QColor(16, 0, 0));
    } else {
      // A palette of the style's own is given back by unsetting, not by copying it.
      m_window.setPalette(m_dayPaletteSet ? m_dayPalette : QPalette());
      area->setBackground(m_dayBackground);
    }
  }
  refresh();
}

void ChartMenu::printChart() {
  ChartWindow* c = findChartWindow(m_window);
  if (!c || !c->chart()) {
    m_app.prompter.information(MessageText(Msg::NoChartLoaded));
    return;
  }
  const bool noPrinter = QPrinterInfo::availablePrinters().isEmpty();
  // The preview is shown window-modal without an own event loop; the printer lives as
  // long as the dialog. Without a printer the preview still shows the page, and its
  // print button offers a PDF file.
  auto* preview = new QPrintPreviewDialog(&m_window);
  preview->setObjectName(QStringLiteral("ch_printpreview"));
  preview->setAttribute(Qt::WA_DeleteOnClose);
  preview->setWindowTitle(QStringLiteral("Print chart - ") + c->chart()->description);
  if (noPrinter) preview->printer()->setOutputFormat(QPrinter::PdfFormat);
  QPointer<ChartWindow> chart(c);
  connect(preview, &QPrintPreviewDialog::paintRequested, this, [chart](QPrinter* printer) {
    if (chart) chart->DumpChartToPrinter(*printer);
  });
  preview->open();
  if (noPrinter)
    m_app.prompter.information(QStringLiteral("No printer is configured: the preview shows the chart, and printing "
                                              "from it writes a PDF file."));
}

void ChartMenu::refresh() {
  m_night->setChecked(m_app.nightScreen);
  ChartWindow* c = findChartWindow(m_window);
  m_show->setChecked(c && frameOf(c)->isVisible());
  m_rulers->setChecked(m_app.settings.Rulers);
  m_crosshairs->setChecked(m_app.settings.Crosshairs);
  m_circles->setChecked(m_app.settings.ChartCircles);
  m_courseLine->setChecked(m_app.settings.ChartCourseLine);
  m_waypoints->setChecked(!m_app.selections.displayedWaypoints.isEmpty());
  m_positioning->setChecked(m_app.settings.system.positioning);
}

void ChartMenu::startWithFolder(int folderKey, const QString& name) {
  m_app.settings.system.folder = folderKey;
  m_app.panels[Panel::Folder] = name;
  if (m_app.db.isOpen()) {
    const StoreResult r = writeSystemRow(m_app.db, m_app.settings.system);
    if (r.ok())
      m_app.db.execute(QStringLiteral("UPDATE System SET [Folder name] = ? WHERE Id = 1"),
                       {name.isEmpty() ? QStringLiteral(" ") : name});
  }
  // The chart for the position from the chosen folder.
  m_app.requests.searchChart = true;
}

void ChartMenu::showFileInformation(const QString& path) {
  // What the file says about itself, or why it cannot be read.
  if (auto* info = qobject_cast<ChartInfoWindow*>(m_window.openWindow(QStringLiteral("gpschartinfo"))))
    info->setInformation(fileNamePart(path), chartInformationText(path));
}

bool ChartMenu::openChartFile(const QString& path) {
  if (QFileInfo(path).suffix().compare(QStringLiteral("BSB"), Qt::CaseInsensitive) == 0) return chooseChartSetPanel(path);
  ChartWindow* c = openChartWindow(m_window);
  if (!c) return false;
  return c->loadChartFile(path);
}

bool ChartMenu::chooseChartSetPanel(const QString& path) {
  // A chart-set file holds no image: its panels are charts of their own.
  const ChartSetResult r = readChartSetFile(path);
  if (!r.set) {
    m_app.prompter.exclamation(MessageText(Msg::CannotLoadBsb) + " : " + r.error);
    return false;
  }
  QStringList items, paths;
  for (const ChartSetPanel& p : r.set->panels) {
    if (p.path.isEmpty()) continue;
    items << QStringLiteral("%1 (%2, %3)").arg(p.name, p.type.toLower(), QFileInfo(p.path).fileName());
    paths << p.path;
  }
  if (items.isEmpty()) {
    m_app.prompter.exclamation(QStringLiteral("None of the panels of %1 is in its folder : %2")
                                   .arg(r.set->name.isEmpty() ? QFileInfo(path).fileName() : r.set->name,
                                        QFileInfo(path).absolutePath()));
    return false;
  }
  // Window-modal without an own event loop; the choice loads when it is made.
  auto* dialog = new QInputDialog(&m_window);
  dialog->setObjectName(QStringLiteral("ch_panels"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QStringLiteral("Chart panels - ") + (r.set->name.isEmpty() ? QFileInfo(path).fileName() : r.set->name));
  dialog->setLabelText(QStringLiteral("Panel to open:"));
  dialog->setComboBoxItems(items);
  dialog->setComboBoxEditable(false);
  connect(dialog, &QInputDialog::textValueSelected, this, [this, items, paths](const QString& chosen) {
    const qsizetype i = items.indexOf(chosen);
    if (i < 0) return;
    if (ChartWindow* c = openChartWindow(m_window)) c->loadChartFile(paths[i]);
  });
  dialog->open();
  return true;
}

}  // namespace tavrik
