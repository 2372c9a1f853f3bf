#include "library/ui/library_windows.h"
#include "library/ui/calibration_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

#include "app/app.h"
#include "chart/raster_chart.h"
#include "chart/ui/chart_info_window.h"
#include "core/messages.h"
#include "core/shared_selections.h"
#include "core/ui/main_window.h"
#include "library/bsb_import.h"
#include "library/chart_library_store.h"
#include "library/chart_manager.h"
#include "library/exchange_file.h"
#include "library/file_names.h"
#include "library/nkf_header.h"

namespace tavrik {
namespace {

const QString kAutoImportSection = QStringLiteral("AutoImport");

QString chartDirectory(App& app) {
  return app.settings.ChartDir.trimmed().isEmpty() ? app.paths.chartsFolder() : app.settings.ChartDir.trimmed();
}

// Asks for a directory, as the chart manager's directory dialog does; empty when cancelled.
QString askDirectory(QWidget* parent, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Select directory"), start, QFileDialog::ShowDirsOnly);
}

void fillDatums(App& app, QComboBox* combo) {
  for (const QVariantList& r : app.db.rows(QStringLiteral("Select Datum, Description from Datums order by description")))
    combo->addItem(r.value(1).toString(), r.value(0));
}

void reportOutcome(App& app, const QString& file, const ImportOutcome& out) {
  if (!out.ok) app.prompter.exclamation(out.error, fileNamePart(file));
  else if (!out.warnings.isEmpty()) app.prompter.information(out.warnings.join('\n'), fileNamePart(file));
}

void importExchange(App& app, MainWindow& window, ExchangeKind kind) {
  static const char* const filters[] = {"Tavrik waypoints (*.WP *.wp)", "Tavrik routes (*.RT *.rt)",
                                        "Tavrik trackdata (*.TRC *.trc)"};
  const QString file = QFileDialog::getOpenFileName(&window, QStringLiteral("Import"), QDir::currentPath(),
                                                    QString::fromLatin1(filters[static_cast<int>(kind)]));
  if (file.isEmpty()) return;  // cancelled: no change
  reportOutcome(app, file, importExchangeFile(app.db, file, kind, {app.settings.system.gpsDatum, app.clock.now()}));
  app.requests.redrawOverlays = true;
}

}  // namespace

int importChiFiles(App& app, const QStringList& files, QWidget*) {
  if (files.isEmpty()) return 0;
  const QString dir = QFileInfo(files.first()).absolutePath();
  const QString charts = chartDirectory(app);
  bool copy = false;
  if (detectChiVersion(files.first()) != ChiVersion::WaveAtlas &&
      QDir::cleanPath(dir).compare(QDir::cleanPath(charts), Qt::CaseInsensitive) != 0)
    copy = app.prompter.question(MessageText(Msg::CopyChartsFrom) + dir + MessageText(Msg::CopyChartsTo) + charts + "?");
  app.settings.LastCHIImportDir = dir;
  int imported = 0;
  for (const QString& file : files) {
    if (detectChiVersion(file) == ChiVersion::Invalid) {
      app.prompter.information(MessageText(Msg::NotChartInformationFile), fileNamePart(file));
      continue;
    }
    ChiImportOptions o;
    o.copyImages = copy;
    o.chartDirectory = charts;
    o.now = app.clock.now();
    o.confirmOverwrite = [&app](const QString& target) {
      return app.prompter.question(MessageText(Msg::BitmapExistsOverwrite) + "\n" + target);
    };
    const ImportOutcome out = importChiFile(app.db, file, o);
    reportOutcome(app, file, out);
    imported += out.ok ? 1 : 0;
  }
  app.requests.redrawOverlays = true;
  return imported;
}

void registerLibraryWindows(App& app) {
  app.windows.add(QStringLiteral("gpsbsb"), [](App& a) { return new BsbImportWindow(a); });
  app.windows.add(QStringLiteral("FormChartManager"), [](App& a) { return new ChartManagerWindow(a); });
  app.windows.add(QStringLiteral("gpsdelchart"), [](App& a) { return new ChartDeleteWindow(a); });
  app.windows.add(QStringLiteral("gpsfolders"), [](App& a) { return new FolderWindow(a); });
  app.windows.add(QStringLiteral("gpschiexport"), [](App& a) { return new ChiExportWindow(a); });
  app.windows.add(QStringLiteral("FormAutoImport"), [](App& a) { return new AutoImportWindow(a); });
  app.windows.add(QStringLiteral("gpscalib"), [](App& a) { return new CalibrationWindow(a); });
  app.windows.add(QStringLiteral("gpsnkf"), [](App& a) { return new NkfImportWindow(a); });
}

void installLibraryMenus(App& app, MainWindow& window) {
  QMenu* file = window.menu(QStringLiteral("m_file"));
  if (!file) return;
  QAction* before = file->actions().isEmpty() ? nullptr : file->actions().last();
  const auto add = [&](QMenu* menu, const char* text, const char* name, std::function<void()> run, QAction* at) {
    auto* a = new QAction(QString::fromUtf8(text), menu);
    a->setObjectName(QString::fromLatin1(name));
    menu->insertAction(at, a);
    QObject::connect(a, &QAction::triggered, &window, std::move(run));
  };
  const auto open = [&app](const char* name) {
    return [&app, name] {
      if (app.windows.open) app.windows.open(QString::fromLatin1(name));
    };
  };
  add(file, "&Import chart information file...", "m_chiimport", [&app, &window] {
    const QStringList files = QFileDialog::getOpenFileNames(&window, QStringLiteral("Import chart information file"),
                                                            app.settings.LastCHIImportDir,
                                                            QStringLiteral("Chart information files (*.chi *.CHI)"));
    importChiFiles(app, files, &window);
  }, before);
  add(file, "&Export chart information file...", "m_chiexport", open("gpschiexport"), before);
  add(file, "Import &BSB charts...", "m_bsbimport", open("gpsbsb"), before);
  add(file, "Import &EuroSea charts...", "m_nkfimport", open("gpsnkf"), before);
  add(file, "Chart &manager...", "m_chartmanager", open("FormChartManager"), before);
  add(file, "&Delete charts...", "m_delchart", open("gpsdelchart"), before);
  add(file, "Chart &folders...", "m_folders", open("gpsfolders"), before);
  add(file, "Chart &calibration...", "m_calib", open("gpscalib"), before);
  auto* tavrik = new QMenu(QStringLiteral("&Tavrik"), file);
  tavrik->menuAction()->setObjectName(QStringLiteral("m_tavrik"));
  file->insertMenu(before, tavrik);
  add(tavrik, "Import &waypoints...", "w_import", [&app, &window] { importExchange(app, window, ExchangeKind::Waypoints); }, nullptr);
  add(tavrik, "Import &route...", "g_import", [&app, &window] { importExchange(app, window, ExchangeKind::Route); }, nullptr);
  add(tavrik, "Import &track...", "m_trcimport", [&app, &window] { importExchange(app, window, ExchangeKind::Track); }, nullptr);
  file->insertSeparator(before);
}

void offerAutoImport(App& app) {
  if (!app.ini.keys(kAutoImportSection).isEmpty() && app.windows.open) app.windows.open(QStringLiteral("FormAutoImport"));
}

// ---- BSB import ----

BsbImportWindow::BsbImportWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsbsb"));
  setWindowTitle(QStringLiteral("Select Charts"));
  m_directory = new QLineEdit(this);
  m_directory->setObjectName(QStringLiteral("Dir1"));
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  m_files = new QListWidget(this);
  m_files->setObjectName(QStringLiteral("File1"));
  m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_folder = new QComboBox(this);
  m_folder->setObjectName(QStringLiteral("Folder"));
  m_folder->setEditable(true);
  for (const FolderEntry& f : listFolders(app.db)) m_folder->addItem(f.description, f.key);
  m_folder->setCurrentText(QString());
  m_datum = new QComboBox(this);
  m_datum->setObjectName(QStringLiteral("Datum"));
  fillDatums(app, m_datum);
  m_progress = new QProgressBar(this);
  m_progress->setVisible(false);
  m_import = new QPushButton(QStringLiteral("&Import"), this);
  auto* info = new QPushButton(QStringLiteral("Show info"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);

  auto* dirRow = new QHBoxLayout;
  dirRow->addWidget(m_directory, 1);
  dirRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Folder"), m_folder);
  form->addRow(QStringLiteral("Datum"), m_datum);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(info);
  buttons->addStretch(1);
  buttons->addWidget(m_import);
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(dirRow);
  layout->addWidget(m_files, 1);
  layout->addLayout(form);
  layout->addWidget(m_progress);
  layout->addLayout(buttons);

  connect(browse, &QPushButton::clicked, this, [this] {
    const QString d = askDirectory(this, m_directory->text());
    if (!d.isEmpty()) setDirectory(d);
  });
  connect(m_directory, &QLineEdit::editingFinished, this, [this] { setDirectory(m_directory->text()); });
  connect(info, &QPushButton::clicked, this, [this] {
    QListWidgetItem* item = m_files->currentItem();
    if (!item) return m_app.prompter.information(MessageText(Msg::NoChartSelected));
    const QString path = QDir(m_directory->text()).filePath(item->text());
    if (auto* w = qobject_cast<ChartInfoWindow*>(m_app.windows.open ? m_app.windows.open(QStringLiteral("gpschartinfo")) : nullptr))
      w->setInformation(item->text(), chartInformationText(path));
  });
  connect(m_import, &QPushButton::clicked, this, [this] { importSelected(); });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  setDirectory(app.settings.LastBSBImportDir.isEmpty() ? QDir::homePath() : app.settings.LastBSBImportDir);
  resize(460, 420);
}

void BsbImportWindow::setDirectory(const QString& dir) {
  m_directory->setText(dir);
  m_files->clear();
  m_files->addItems(QDir(dir).entryList({QStringLiteral("*.kap"), QStringLiteral("*.KAP")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

bool BsbImportWindow::importSelected() {
  QStringList files;
  for (QListWidgetItem* item : m_files->selectedItems()) files << QDir(m_directory->text()).filePath(item->text());
  if (files.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoChartSelected));
    return false;
  }
  if (m_datum->currentIndex() < 0) {
    m_app.prompter.information(MessageText(Msg::NoChartDatum));
    return false;
  }
  m_app.settings.LastBSBImportDir = m_directory->text();
  for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(w == m_progress);
  m_progress->setRange(0, static_cast<int>(files.size()));
  m_progress->setValue(0);
  m_progress->setVisible(true);
  // One file per timer tick, so the progress bar moves and the window stays alive.
  auto importer = std::make_shared<BsbImporter>(m_app.db, BsbImportOptions{m_folder->currentText().trimmed(),
                                                                           m_datum->currentData().toInt(), m_app.clock.now()});
  auto failures = std::make_shared<QStringList>();
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this, timer, files, importer, failures] {
    const int i = m_progress->value();
    if (i < files.size()) {
      const ImportOutcome out = importer->importFile(files[i]);
      if (!out.ok) *failures << out.error;
      m_progress->setValue(i + 1);
      return;
    }
    timer->stop();
    timer->deleteLater();
    if (!failures->isEmpty()) m_app.prompter.exclamation(failures->join('\n'));
    m_app.requests.redrawOverlays = true;
    close();
  });
  timer->start(0);
  return true;
}

// ---- Chart manager ----

ChartManagerWindow::ChartManagerWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("FormChartManager"));
  setWindowTitle(QStringLiteral("Chart manager"));
  m_folders = new QComboBox(this);
  m_charts = new QListWidget(this);
  m_charts->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_description = new QLineEdit(this);
  m_path = new QLineEdit(this);
  m_bitmap = new QLineEdit(this);
  auto* changePath = new QPushButton(QStringLiteral("Change path"), this);
  auto* changeBitmap = new QPushButton(QStringLiteral("Change bitmap"), this);
  auto* applyButton = new QPushButton(QStringLiteral("Apply"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  m_info = new QPushButton(QStringLiteral("Info"), this);
  m_info->setEnabled(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
  layout->addWidget(m_folders);
  layout->addWidget(new QLabel(QStringLiteral("Charts:"), this));
  layout->addWidget(m_charts, 1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Description:"), m_description);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(m_path, 1);
  pathRow->addWidget(changePath);
  form->addRow(QStringLiteral("Path:"), pathRow);
  auto* bitmapRow = new QHBoxLayout;
  bitmapRow->addWidget(m_bitmap, 1);
  bitmapRow->addWidget(changeBitmap);
  form->addRow(QStringLiteral("Bitmap:"), bitmapRow);
  layout->addLayout(form);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_info);
  buttons->addStretch(1);
  buttons->addWidget(applyButton);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);

  for (const FolderEntry& f : listFolders(app.db)) m_folders->addItem(f.description, f.key);
  connect(m_folders, &QComboBox::currentIndexChanged, this, &ChartManagerWindow::selectFolder);
  connect(m_charts, &QListWidget::itemSelectionChanged, this, &ChartManagerWindow::showChart);
  connect(changePath, &QPushButton::clicked, this, [this] {
    const QString d = askDirectory(this, m_path->text());
    if (!d.isEmpty()) m_path->setText(withTrailingSeparator(d));
  });
  connect(changeBitmap, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Change bitmap"), m_path->text(),
                                                   QStringLiteral("All files (*)"));
    if (f.isEmpty()) return;
    m_path->setText(directoryPart(f));
    m_bitmap->setText(fileNamePart(f));
  });
  connect(applyButton, &QPushButton::clicked, this, &ChartManagerWindow::apply);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  connect(m_info, &QPushButton::clicked, this, [this] {
    const QString path = withTrailingSeparator(m_path->text()) + m_bitmap->text();
    if (auto* w = qobject_cast<ChartInfoWindow*>(m_app.windows.open ? m_app.windows.open(QStringLiteral("gpschartinfo")) : nullptr))
      w->setInformation(m_description->text(), chartInformationText(path));
  });
  selectFolder(m_folders->currentIndex());
  resize(520, 480);
}

void ChartManagerWindow::selectFolder(int index) {
  m_charts->clear();
  if (index < 0) return;
  for (const ChartRow& row : chartsOfFolder(m_app.db, m_folders->itemData(index).toLongLong())) {
    auto* item = new QListWidgetItem(row.description, m_charts);
    item->setData(Qt::UserRole, row.chart);
    item->setData(Qt::UserRole + 1, row.bitmap);
    item->setData(Qt::UserRole + 2, row.bsb);
  }
}

void ChartManagerWindow::showChart() {
  const QList<QListWidgetItem*> items = m_charts->selectedItems();
  if (items.isEmpty()) return;
  QListWidgetItem* item = items.size() == 1 ? items.first() : m_charts->currentItem();
  if (!item) return;
  m_description->setText(item->text());
  m_path->setText(directoryPart(item->data(Qt::UserRole + 1).toString()));
  m_bitmap->setText(fileNamePart(item->data(Qt::UserRole + 1).toString()));
  m_description->setEnabled(items.size() == 1);
  m_bitmap->setEnabled(items.size() == 1);
  m_info->setEnabled(items.size() == 1 && item->data(Qt::UserRole + 2).toBool());
}

void ChartManagerWindow::apply() {
  const QList<QListWidgetItem*> items = m_charts->selectedItems();
  if (items.isEmpty()) return m_app.prompter.information(MessageText(Msg::NoChartSelected));
  ManagerOutcome out;
  if (items.size() == 1) {
    out = applyChartChange(m_app.db, items.first()->data(Qt::UserRole).toLongLong(), m_description->text(), m_path->text(),
                           m_bitmap->text());
  } else {
    std::vector<qint64> keys;
    for (QListWidgetItem* item : items) keys.push_back(item->data(Qt::UserRole).toLongLong());
    out = moveChartsToDirectory(m_app.db, keys, m_path->text());
  }
  if (!out.ok) return m_app.prompter.information(out.message);
  m_app.prompter.information((QStringList{out.message} + out.skipped).join('\n'));
  selectFolder(m_folders->currentIndex());
}

// ---- Chart deletion ----

ChartDeleteWindow::ChartDeleteWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsdelchart"));
  setWindowTitle(QStringLiteral("Delete charts"));
  m_folders = new QComboBox(this);
  m_charts = new QListWidget(this);
  m_charts->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
  layout->addWidget(m_folders);
  layout->addWidget(new QLabel(QStringLiteral("Charts:"), this));
  layout->addWidget(m_charts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(deleteButton);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);
  for (const FolderEntry& f : listFolders(app.db)) m_folders->addItem(f.description, f.key);
  connect(m_folders, &QComboBox::currentIndexChanged, this, &ChartDeleteWindow::selectFolder);
  connect(deleteButton, &QPushButton::clicked, this, &ChartDeleteWindow::deleteSelected);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  selectFolder(m_folders->currentIndex());
  resize(420, 420);
}

void ChartDeleteWindow::selectFolder(int index) {
  m_charts->clear();
  if (index < 0) return;
  for (const ChartRow& row : chartsOfFolder(m_app.db, m_folders->itemData(index).toLongLong()))
    (new QListWidgetItem(row.description, m_charts))->setData(Qt::UserRole, row.chart);
}

bool ChartDeleteWindow::deleteSelected() {
  std::vector<qint64> keys;
  for (QListWidgetItem* item : m_charts->selectedItems()) keys.push_back(item->data(Qt::UserRole).toLongLong());
  if (keys.empty()) {
    m_app.prompter.information(MessageText(Msg::NoChartSelected));
    return false;
  }
  if (!m_app.prompter.question(MessageText(Msg::SureDeleteSelection) + QStringLiteral("\n%1 chart(s)").arg(keys.size())))
    return false;
  // The chart on screen keeps its loaded image until another chart is loaded.
  const ManagerOutcome out = deleteCharts(m_app.db, keys);
  if (!out.ok) m_app.prompter.exclamation(out.message);
  m_app.requests.redrawOverlays = true;
  selectFolder(m_folders->currentIndex());
  return out.ok;
}

// ---- Chart folders ----

FolderWindow::FolderWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsfolders"));
  setWindowTitle(QStringLiteral("Chart folders"));
  m_folders = new QListWidget(this);
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("name"));
  auto* addButton = new QPushButton(QStringLiteral("&Add"), this);
  auto* renameButton = new QPushButton(QStringLiteral("&Rename"), this);
  auto* deleteButton = new QPushButton(QStringLiteral("&Delete"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
  layout->addWidget(m_folders, 1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name:"), m_name);
  layout->addLayout(form);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addButton);
  buttons->addWidget(renameButton);
  buttons->addWidget(deleteButton);
  buttons->addStretch(1);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);
  connect(m_folders, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) m_name->setText(item->text());
  });
  connect(addButton, &QPushButton::clicked, this, &FolderWindow::addFolder);
  connect(renameButton, &QPushButton::clicked, this, &FolderWindow::renameSelected);
  connect(deleteButton, &QPushButton::clicked, this, &FolderWindow::deleteSelected);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  fill();
  resize(360, 380);
}

void FolderWindow::fill(qint64 select) {
  m_folders->clear();
  for (const FolderEntry& f : listFolders(m_app.db)) {
    auto* item = new QListWidgetItem(f.description, m_folders);
    item->setData(Qt::UserRole, f.key);
    if (f.key == select) m_folders->setCurrentItem(item);
  }
}

qint64 FolderWindow::selectedFolder() const {
  const QListWidgetItem* item = m_folders->currentItem();
  return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

bool FolderWindow::addFolder() {
  qint64 key = 0;
  const ManagerOutcome out = tavrik::addFolder(m_app.db, m_name->text(), m_app.clock.now(), &key);
  if (!out.ok) {
    m_app.prompter.information(out.message);
    return false;
  }
  fill(key);
  return true;
}

bool FolderWindow::renameSelected() {
  const qint64 key = selectedFolder();
  if (!key) {
    m_app.prompter.information(MessageText(Msg::NoFolderSelected));
    return false;
  }
  const ManagerOutcome out = renameFolder(m_app.db, key, m_name->text());
  if (!out.ok) {
    m_app.prompter.information(out.message);
    return false;
  }
  // The status panel names the current folder.
  if (m_app.settings.system.folder == key) m_app.panels[Panel::Folder] = m_name->text().trimmed();
  fill(key);
  return true;
}

bool FolderWindow::deleteSelected() {
  const qint64 key = selectedFolder();
  if (!key) {
    m_app.prompter.information(MessageText(Msg::NoFolderSelected));
    return false;
  }
  if (chartCountOfFolder(m_app.db, key) > 0 && !m_app.prompter.question(MessageText(Msg::SureDelete) + m_folders->currentItem()->text()))
    return false;
  const ManagerOutcome out = deleteFolder(m_app.db, key);
  if (!out.ok) {
    m_app.prompter.information(out.message);
    return false;
  }
  if (m_app.settings.system.folder == key) {
    m_app.settings.system.folder = 0;
    m_app.panels[Panel::Folder].clear();
    m_app.selections.folderCharts.clear();
  }
  fill();
  m_name->clear();
  return true;
}

// ---- Chart information export ----

ChiExportWindow::ChiExportWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpschiexport"));
  setWindowTitle(QStringLiteral("Export chart information file"));
  m_charts = new QListWidget(this);
  m_charts->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const QVariantList& r : app.db.rows(QStringLiteral("SELECT description FROM Charts ORDER BY description")))
    m_charts->addItem(r.value(0).toString());
  m_v2 = new QRadioButton(QStringLiteral("Version 2.0"), this);
  auto* v3 = new QRadioButton(QStringLiteral("Version 3.0"), this);
  v3->setChecked(true);
  m_folders = new QCheckBox(QStringLiteral("Inclusive folders"), this);
  connect(m_v2, &QRadioButton::toggled, m_folders, [this](bool v2) { m_folders->setEnabled(!v2); });
  auto* exportButton = new QPushButton(QStringLiteral("&Export"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_charts, 1);
  auto* options = new QHBoxLayout;
  options->addWidget(m_v2);
  options->addWidget(v3);
  options->addWidget(m_folders);
  layout->addLayout(options);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(exportButton);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);
  connect(exportButton, &QPushButton::clicked, this, [this] {
    if (m_charts->selectedItems().isEmpty()) return m_app.prompter.information(MessageText(Msg::NoChartSelected));
    QFileDialog dialog(this, QStringLiteral("Export chart information file"), m_app.settings.LastCHIExportDir,
                       QStringLiteral("Chart information files (*.chi)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("chi"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    if (exportTo(dialog.selectedFiles().first())) close();
  });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  resize(420, 440);
}

bool ChiExportWindow::exportTo(const QString& path) {
  QStringList names;
  for (QListWidgetItem* item : m_charts->selectedItems()) names << item->text();
  QString error;
  const bool ok = exportChiFile(m_app.db, names, {m_v2->isChecked() ? ChiVersion::V2 : ChiVersion::V3,
                                                  !m_v2->isChecked() && m_folders->isChecked()}, path, &error);
  if (!ok) m_app.prompter.exclamation(error);
  else m_app.settings.LastCHIExportDir = QFileInfo(path).absolutePath();
  return ok;
}

// ---- NKF/EuroSea import ----

NkfImportWindow::NkfImportWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsnkf"));
  setWindowTitle(QStringLiteral("Import EuroSea charts"));
  auto* choose = new QPushButton(QStringLiteral("&File..."), this);
  m_header = new QLabel(this);
  m_header->setObjectName(QStringLiteral("header"));
  m_header->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_folder = new QComboBox(this);
  m_folder->setEditable(true);
  for (const FolderEntry& f : listFolders(app.db)) m_folder->addItem(f.description, f.key);
  m_folder->setCurrentText(QString());
  m_datum = new QComboBox(this);
  fillDatums(app, m_datum);
  m_copy = new QCheckBox(QStringLiteral("Copy to default charts directory"), this);
  m_import = new QPushButton(QStringLiteral("&Import"), this);
  m_import->setEnabled(false);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(choose, 0, Qt::AlignLeft);
  layout->addWidget(new QLabel(QStringLiteral("NavKom header info"), this));
  layout->addWidget(m_header, 1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Folder"), m_folder);
  form->addRow(QStringLiteral("Datum"), m_datum);
  layout->addLayout(form);
  layout->addWidget(m_copy);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_import);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);
  connect(choose, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Import EuroSea charts"), m_app.settings.LastNKFImportDir,
                                                   QStringLiteral("EuroSea charts (*.nkf *.NKF);;All files (*)"));
    if (f.isEmpty()) return;
    m_app.settings.LastNKFImportDir = QFileInfo(f).absolutePath();
    setFile(f);
  });
  connect(m_import, &QPushButton::clicked, this, [this] {
    if (importFile()) close();
  });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  resize(460, 360);
}

bool NkfImportWindow::setFile(const QString& path) {
  const NkfHeaderResult r = readNkfHeaderFile(path);
  m_import->setEnabled(r.header.has_value());
  if (!r.header) {
    m_header->clear();
    m_app.prompter.exclamation(r.error);
    return false;
  }
  m_path = path;
  const NkfHeader& h = *r.header;
  m_header->setText(QStringLiteral("Description: %1\nAgency: %2\nScan date: %3\nEdition: %4\nDatum: %5\nScale: 1:%6")
                        .arg(h.description, h.agency, h.scanDate, h.edition, h.datum)
                        .arg(h.scale));
  return true;
}

bool NkfImportWindow::importFile() {
  if (m_path.isEmpty()) return false;
  NkfImportOptions o;
  o.folder = m_folder->currentText();
  o.datum = m_datum->currentData().toInt();
  o.copyToChartDirectory = m_copy->isChecked();
  o.chartDirectory = chartDirectory(m_app);
  o.now = m_app.clock.now();
  o.confirmOverwrite = [this](const QString& target) {
    return m_app.prompter.question(MessageText(Msg::BitmapExistsOverwrite) + "\n" + target);
  };
  const ImportOutcome out = importNkfFile(m_app.db, m_path, o);
  reportOutcome(m_app, m_path, out);
  if (out.ok) m_app.requests.redrawOverlays = true;
  return out.ok;
}

// ---- Auto import ----

AutoImportWindow::AutoImportWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("FormAutoImport"));
  setWindowTitle(QStringLiteral("Auto Import - The following new CHI files are found:"));
  m_files = new QListWidget(this);
  m_files->setSelectionMode(QAbstractItemView::MultiSelection);
  auto* importButton = new QPushButton(QStringLiteral("Import"), this);
  auto* all = new QPushButton(QStringLiteral("Select all"), this);
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_files, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(all);
  buttons->addStretch(1);
  buttons->addWidget(importButton);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);
  connect(importButton, &QPushButton::clicked, this, &AutoImportWindow::importSelected);
  connect(all, &QPushButton::clicked, m_files, &QListWidget::selectAll);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  fill();
  resize(520, 300);
}

void AutoImportWindow::fill() {
  m_files->clear();
  for (const QString& key : m_app.ini.keys(kAutoImportSection)) {
    auto* item = new QListWidgetItem(m_app.ini.get(kAutoImportSection, key), m_files);
    item->setData(Qt::UserRole, key);
  }
  m_files->selectAll();
}

void AutoImportWindow::importSelected() {
  QStringList files;
  for (QListWidgetItem* item : m_files->selectedItems()) files << item->text();
  importChiFiles(m_app, files, this);
  for (QListWidgetItem* item : m_files->selectedItems()) m_app.ini.remove(kAutoImportSection, item->data(Qt::UserRole).toString());
  m_app.ini.sync();
  fill();
  if (m_files->count() == 0) close();
}

}  // namespace tavrik
