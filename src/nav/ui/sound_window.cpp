#include "nav/ui/sound_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"

namespace tavrik {

namespace {

struct SoundField {
  const char* name;
  const char* caption;
  QString AppSettings::*value;
};

const std::array<SoundField, 5> kFields{{
    {"welcome", "Welcome", &AppSettings::SoundWelcome},
    {"goodbye", "Goodbye", &AppSettings::SoundGoodbye},
    {"anchor", "Anchor alarm", &AppSettings::SoundAnchor},
    {"approach", "Approach alarm", &AppSettings::SoundApproach},
    {"proximity", "Proximity alarm", &AppSettings::SoundProximity},
}};

}  // namespace

SoundWindow::SoundWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpssound"));
  setWindowTitle(QStringLiteral("Sound"));
  m_enabled = new QCheckBox(QStringLiteral("Sounds &enabled (off: alarms beep)"), this);
  m_enabled->setObjectName(QStringLiteral("Enabled"));
  m_enabled->setChecked(app.settings.SoundEnabled);
  auto* grid = new QGridLayout;
  for (int n = 0; n < static_cast<int>(kFields.size()); ++n) {
    const SoundField& f = kFields[n];
    grid->addWidget(new QLabel(QLatin1String(f.caption), this), n, 0);
    m_files[n] = new QLineEdit(app.settings.*f.value, this);
    m_files[n]->setObjectName(QLatin1String(f.name));
    m_files[n]->setMinimumWidth(220);
    grid->addWidget(m_files[n], n, 1);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QLatin1String(f.name) + QStringLiteral("_browse"));
    browse->setMaximumWidth(32);
    connect(browse, &QPushButton::clicked, this, [this, n] {
      const QString start = m_app.soundFile(m_files[n]->text());
      const QString chosen = QFileDialog::getOpenFileName(
          this, QStringLiteral("Sound file"), start.isEmpty() ? m_app.paths.programFolder() : start,
          QStringLiteral("Soundfiles (*.WAV *.wav);;All files (*)"));
      if (!chosen.isEmpty()) setChosenFile(n, chosen);
    });
    grid->addWidget(browse, n, 2);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_enabled);
  top->addLayout(grid);
  top->addWidget(buttons);
}

void SoundWindow::setChosenFile(int n, const QString& path) {
  QString file = path;
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".WAV");
  // Files of the program folder keep their bare name, as the defaults have it.
  const QFileInfo info(file);
  if (info.absolutePath() == QFileInfo(m_app.paths.programFolder()).absoluteFilePath()) file = info.fileName();
  m_files[n]->setText(file);
}

void SoundWindow::accept() {
  m_app.settings.SoundEnabled = m_enabled->isChecked();
  for (int n = 0; n < static_cast<int>(kFields.size()); ++n) m_app.settings.*kFields[n].value = m_files[n]->text().trimmed();
  close();
}

}  // namespace tavrik
