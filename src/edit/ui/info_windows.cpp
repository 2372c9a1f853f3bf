#include "edit/ui/info_windows.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/position_control.h"

namespace tavrik {

namespace {
// A name relative to the info database's folder unless it holds ":" or is absolute.
QString InFolder(const App& app, const QString& name) {
  const QString n = name.trimmed();
  if (n.isEmpty() || n.contains(QLatin1Char(':')) || QFileInfo(n).isAbsolute()) return n;
  return InfoFolder(app) + QLatin1Char('/') + QString(n).replace(QLatin1Char('\\'), QLatin1Char('/'));
}
}  // namespace

QString InfoFolder(const App& app) {
  return app.infoDb.isOpen() ? QFileInfo(app.infoDb.path()).absolutePath() : QString();
}

bool OpenInfoDatabaseFile(App& app, const QString& path) {
  InfoHeader header;
  const StoreResult r = OpenInfoDatabase(app.infoDb, path, header);
  if (!r.ok()) {
    ShowError(app.prompter, r.error, r.detail);
    return false;
  }
  app.requests.redrawOverlays = true;
  if (app.windows.open) app.windows.open(QStringLiteral("gpsinfo"));
  return true;
}

bool OpenInfoDocument(App& app, const QString& name) {
  const int result = OpenDocument(InfoFolder(app), name, [](const QUrl& url) { return QDesktopServices::openUrl(url); });
  if (result == DocumentResult::Opened) return true;
  app.prompter.exclamation(OpenDocumentMessage(result));
  return false;
}

InfoHeaderWindow::InfoHeaderWindow(App& app, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("gpsinfo"));
  setWindowTitle(QStringLiteral("Information"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QHBoxLayout(this);
  m_icon = new QLabel(this);
  m_text = new QLabel(this);
  m_text->setObjectName(QStringLiteral("Label1"));
  layout->addWidget(m_icon, 0, Qt::AlignTop);
  layout->addWidget(m_text, 1);
  auto* close = new QPushButton(QStringLiteral("&OK"), this);
  layout->addWidget(close, 0, Qt::AlignBottom);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  const auto rows = app.infoDb.isOpen()
                        ? app.infoDb.rows(QStringLiteral("SELECT Name, Version, Copyright, Area, Icon FROM Version"))
                        : std::vector<QVariantList>{};
  if (rows.empty()) {
    m_text->setText(kNoInformationAvailable);
    return;
  }
  const QVariantList& v = rows.front();
  m_text->setText(QStringLiteral("%1\nVersion %2\n%3\n%4")
                      .arg(v.value(0).toString().trimmed(), v.value(1).toString().trimmed(),
                           v.value(2).toString().trimmed(), v.value(3).toString().trimmed()));
  const QPixmap icon(InFolder(app, v.value(4).toString()));
  if (!icon.isNull()) m_icon->setPixmap(icon.scaled(32, 32, Qt::KeepAspectRatio));
}

QString InfoHeaderWindow::text() const { return m_text->text(); }

InfoPointWindow::InfoPointWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsainfo"));
  setWindowTitle(QStringLiteral("Info point"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  m_position = new PositionControl(this);
  m_position->setObjectName(QStringLiteral("Position1"));
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("Name"));
  m_name->setMaxLength(50);
  auto* fileRow = new QHBoxLayout;
  m_file = new QLineEdit(this);
  m_file->setObjectName(QStringLiteral("File"));
  m_file->setMaxLength(100);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QStringLiteral("Browse"));
  fileRow->addWidget(m_file);
  fileRow->addWidget(browse);
  m_icon = new QToolButton(this);
  m_icon->setObjectName(QStringLiteral("Icon"));
  m_icon->setIconSize(QSize(32, 32));
  m_onlyChart = new QCheckBox(QStringLiteral("Only on this chart"), this);
  m_onlyChart->setObjectName(QStringLiteral("Chart"));
  form->addRow(QStringLiteral("Position"), m_position);
  form->addRow(QStringLiteral("Name"), m_name);
  form->addRow(QStringLiteral("File"), fileRow);
  form->addRow(QStringLiteral("Icon"), m_icon);
  form->addRow(QString(), m_onlyChart);
  layout->addLayout(form);
  auto* row = new QHBoxLayout;
  m_delete = new QPushButton(QStringLiteral("&Delete"), this);
  m_delete->setObjectName(QStringLiteral("Delete"));
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("Cancel"));
  row->addWidget(m_delete);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (store()) close();
  });
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);
  connect(m_delete, &QPushButton::clicked, this, [this] { remove(); });
  connect(browse, &QPushButton::clicked, this, [this] {
    // A file below the info database's folder is kept relative, so the database and
    // its files can be handed on together.
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("File"), InfoFolder(m_app),
                                                        QStringLiteral("All files (*)"));
    if (chosen.isEmpty()) return;
    const QString folder = InfoFolder(m_app);
    m_file->setText(!folder.isEmpty() && chosen.startsWith(folder + QLatin1Char('/')) ? chosen.mid(folder.size() + 1)
                                                                                      : chosen);
  });
  connect(m_icon, &QToolButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Icon"), InfoFolder(m_app),
                                                        QStringLiteral("Icons (*.ico *.png *.bmp)"));
    if (chosen.isEmpty()) return;
    const QString folder = InfoFolder(m_app);
    m_point.icon = chosen.startsWith(folder + QLatin1Char('/')) ? chosen.mid(folder.size() + 1) : chosen;
    showIcon();
  });

  const long key = m_app.edit.editInfo;
  if (key != 0 && ReadInfoPoint(m_app.infoDb, key, m_point)) {
    m_position->setPosition(m_point.latitude, m_point.longitude);
    m_name->setText(m_point.name);
    m_file->setText(m_point.file);
    m_onlyChart->setChecked(!m_point.chart.trimmed().isEmpty());
  } else {
    m_point = InfoPoint();
    EditState& e = m_app.edit;
    const bool current = e.markLatitude == 0 && e.markLongitude == 0;
    m_position->setPosition(current ? m_app.nav.Latitude : e.markLatitude, current ? m_app.nav.Longitude : e.markLongitude);
    // The database's default icon, when it has one.
    const QVariant icon = m_app.infoDb.isOpen() ? m_app.infoDb.scalar(QStringLiteral("SELECT Icon FROM Version")) : QVariant();
    m_point.icon = icon.toString().trimmed();
    m_delete->hide();
  }
  m_app.edit.editInfo = 0;
  showIcon();
  if (!m_app.infoDb.isOpen()) setEnabled(false);
}

void InfoPointWindow::showIcon() {
  const QPixmap pm(InFolder(m_app, m_point.icon));
  m_icon->setIcon(pm.isNull() ? QIcon(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fileinfo-32.png")) : QIcon(pm));
}

bool InfoPointWindow::store() {
  if (m_name->text().trimmed().isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    m_name->setFocus();
    return false;
  }
  if (m_file->text().trimmed().isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    m_file->setFocus();
    return false;
  }
  m_point.latitude = m_position->latitude();
  m_point.longitude = m_position->longitude();
  m_point.name = m_name->text();
  m_point.file = m_file->text();
  m_point.chart = m_onlyChart->isChecked() ? m_app.activeChart : QStringLiteral(" ");
  const StoreResult r = SaveInfoPoint(m_app.infoDb, m_point, m_app.clock.now());
  if (!r.ok()) {
    ShowError(m_app.prompter, r.error, r.detail);
    return false;
  }
  m_app.requests.redrawOverlays = true;
  return true;
}

void InfoPointWindow::remove() {
  if (!m_app.prompter.question(MessageText(Msg::SureDeleteSelection))) return;
  const StoreResult r = DeleteInfoPoint(m_app.infoDb, m_point.key);
  if (!r.ok()) {
    ShowError(m_app.prompter, r.error, r.detail);
    return;
  }
  m_app.requests.redrawOverlays = true;
  close();
}

}  // namespace tavrik
