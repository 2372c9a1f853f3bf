#include "nmea/ui/nmea_setup_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/number_format.h"

namespace tavrik {

bool validTalkerId(const QString& id) { return id.size() == 3 && id.startsWith(QLatin1Char('$')); }

namespace {
bool flagSet(const QString& flags, int j) { return j < flags.size() && flags[j] == QLatin1Char('1'); }
QString flagText(const std::array<QCheckBox*, kSentenceCount>& boxes) {
  QString s;
  for (QCheckBox* b : boxes) s += b->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
  return s;
}
// Booleans are stored as the program stores them: -1 true, 0 false.
bool boolSetting(const QString& v) { return leniNumber(v) != 0; }
}  // namespace

NmeaSetupWindow::NmeaSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpscnmea"));
  setWindowTitle(QStringLiteral("Setup NMEA"));
  m_tabs = new QTabWidget(this);
  m_tabs->setObjectName(QStringLiteral("TabStrip1"));
  for (int k = 0; k < kTalkerCount; ++k) m_tabs->addTab(buildTab(k), m_app.settings.IDIn[k]);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_tabs);
  top->addWidget(buttons);
}

QWidget* NmeaSetupWindow::buildTab(int k) {
  const AppSettings& s = m_app.settings;
  TalkerTab& t = m_talkers[k];
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  auto* idRow = new QHBoxLayout;
  idRow->addWidget(new QLabel(QStringLiteral("Talker id"), page));
  t.id = new QLineEdit(s.IDIn[k], page);
  t.id->setObjectName(QStringLiteral("talker%1").arg(k));
  t.id->setMaxLength(3);
  t.id->setFixedWidth(60);
  connect(t.id, &QLineEdit::textEdited, this, [this, k](const QString& text) {
    QLineEdit* e = m_talkers[k].id;
    const QString upper = text.toUpper();
    if (upper != text) {
      const int pos = e->cursorPosition();
      e->setText(upper);
      e->setCursorPosition(pos);
    }
    m_tabs->setTabText(k, upper);
  });
  idRow->addWidget(t.id);
  idRow->addStretch();
  v->addLayout(idRow);

  const auto boxes = [&](const QString& title, const QString& prefix, const QString& flags,
                         std::array<QCheckBox*, kSentenceCount>& out) {
    auto* group = new QGroupBox(title, page);
    auto* grid = new QGridLayout(group);
    for (int j = 0; j < kSentenceCount; ++j) {
      auto* b = new QCheckBox(QLatin1String(kSentenceNames[j]), group);
      b->setObjectName(QStringLiteral("%1%2_%3").arg(prefix).arg(k).arg(QLatin1String(kSentenceNames[j])));
      b->setChecked(flagSet(flags, j));
      grid->addWidget(b, j / 6, j % 6);
      out[j] = b;
    }
    return group;
  };
  v->addWidget(boxes(QStringLiteral("NMEA input"), QStringLiteral("in"), s.NMEAIn[k], t.in));
  v->addWidget(boxes(QStringLiteral("NMEA output"), QStringLiteral("out"), s.NMEAOut[k], t.out));
  t.all = new QCheckBox(QStringLiteral("All NMEA"), page);
  t.all->setObjectName(QStringLiteral("all%1").arg(k));
  v->addWidget(t.all);
  // "All NMEA" repeats everything, so the single output boxes are ticked and locked.
  connect(t.all, &QCheckBox::toggled, this, [this, k](bool on) {
    for (QCheckBox* b : m_talkers[k].out) {
      if (on) b->setChecked(true);
      b->setEnabled(!on);
    }
  });
  t.all->setChecked(boolSetting(s.AllNMEA[k]));
  v->addStretch();
  return page;
}

bool NmeaSetupWindow::accept() {
  for (int k = 0; k < kTalkerCount; ++k) {
    if (!validTalkerId(m_talkers[k].id->text())) {
      m_app.sound.beep();
      m_tabs->setCurrentIndex(k);
      m_talkers[k].id->setFocus();
      return false;
    }
  }
  AppSettings& s = m_app.settings;
  for (int k = 0; k < kTalkerCount; ++k) {
    const TalkerTab& t = m_talkers[k];
    s.IDIn[k] = t.id->text();
    s.NMEAIn[k] = flagText(t.in);
    s.NMEAOut[k] = flagText(t.out);
    s.AllNMEA[k] = t.all->isChecked() ? QStringLiteral("-1") : QStringLiteral("0");
  }
  if (onStored) onStored();
  close();
  return true;
}

}  // namespace tavrik
