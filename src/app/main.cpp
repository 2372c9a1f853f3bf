// tavrik: the navigation program.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>

#include "app/app.h"
#include "app/startup.h"
#include "core/command_line.h"
#include "core/ui/main_window.h"
#include "core/ui/message_box_prompter.h"

namespace {

bool haveDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool wantsScreenshot(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (QByteArray(argv[i]).startsWith("--screenshot")) return true;
  return false;
}

// A screenshot run looks and leaves: the settings file is put back as it was found (or
// removed when there was none), so the next normal start keeps its window state. Made
// before the App and gone after it, whatever the App wrote on the way.
class SettingsFileKeeper {
 public:
  SettingsFileKeeper(QString path, bool active) : m_path(std::move(path)), m_active(active) {
    if (!m_active) return;
    QFile f(m_path);
    m_existed = f.open(QIODevice::ReadOnly);
    if (m_existed) m_bytes = f.readAll();
  }
  ~SettingsFileKeeper() {
    if (!m_active) return;
    if (!m_existed) {
      QFile::remove(m_path);
      return;
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly) || f.write(m_bytes) != m_bytes.size() || !f.commit())
      std::fprintf(stderr, "tavrik: cannot restore %s\n", qPrintable(m_path));
  }
  SettingsFileKeeper(const SettingsFileKeeper&) = delete;
  SettingsFileKeeper& operator=(const SettingsFileKeeper&) = delete;

 private:
  QString m_path;
  bool m_active;
  bool m_existed = false;
  QByteArray m_bytes;
};

}  // namespace

int main(int argc, char** argv) {
  if (!haveDisplay()) {
    if (wantsScreenshot(argc, argv)) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
      std::fprintf(stderr,
                   "tavrik: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                   "Start it from a desktop session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen;\n"
                   "'tavrik --screenshot FILE.png' renders the main window without a display.\n");
      return 1;
    }
  }
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavrik"));
  QApplication::setApplicationVersion(QStringLiteral(TAVRIK_VERSION));
  QApplication::setOrganizationName(QStringLiteral("Tavrik"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Tavrik: navigation for small vessels.\n"
      "Options written with '/' as the program has always taken them: /u:USER, /p:PASSWORD, "
      "/c (start communication), /s (search a chart), /l (load the last chart)."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption home(QStringLiteral("home"),
                                QStringLiteral("Keep database, settings and files in DIR (else TAVRIK_HOME, "
                                               "else ~/.local/share/tavrik and ~/.config/tavrik)."),
                                QStringLiteral("DIR"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Render the main window after start-up into FILE.png and exit."),
                                      QStringLiteral("FILE.png"));
  const QCommandLineOption screenshotAfter(QStringLiteral("screenshot-after"),
                                           QStringLiteral("Take the screenshot SECONDS after start-up (default 0.5)."),
                                           QStringLiteral("SECONDS"), QStringLiteral("0.5"));
  parser.addOption(home);
  parser.addOption(screenshot);
  parser.addOption(screenshotAfter);
  tavrik::addStartupOptions(parser);
  parser.process(qapp);

  // Everything that is not one of our own options forms the old "/" command line.
  // Files a file manager hands over are opened after start-up, not read as options.
  QStringList slashWords;
  for (const QString& arg : parser.positionalArguments())
    if (!QFileInfo(arg).isFile()) slashWords << arg;
  const tavrik::SlashOptions slash = tavrik::parseSlashOptions(slashWords.join(' '));

  const tavrik::AppPaths paths = tavrik::AppPaths::resolve(parser.value(home));
  if (!paths.ensureExists()) {
    std::fprintf(stderr, "tavrik: cannot create the program folder %s\n", qPrintable(paths.programFolder()));
    return 1;
  }
  const SettingsFileKeeper keeper(paths.settingsFile(), parser.isSet(screenshot));
  tavrik::SystemClock clock;
  tavrik::MessageBoxPrompter prompter;
  tavrik::QtSoundPlayer sound;
  tavrik::App app(paths, clock, prompter, sound);
  app.options.loginUser = slash.user;
  app.options.loginPassword = slash.password;
  app.options.startCommunication = slash.startCommunication;
  app.options.searchChart = slash.searchChart;
  app.options.loadLastChart = slash.loadLastChart;

  tavrik::MainWindow window(app);
  prompter.setParent(&window);
  // A screenshot run has nobody to answer a message box.
  prompter.setUnattended(parser.isSet(screenshot));
  tavrik::Startup startup(app, window);
  if (!startup.run(parser)) return 1;

  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    const double seconds = parser.value(screenshotAfter).toDouble();
    QTimer::singleShot(static_cast<int>(qMax(0.0, seconds) * 1000), &window, [&] {
      const bool ok = window.grab().save(file, "PNG");
      if (!ok) std::fprintf(stderr, "tavrik: cannot write %s\n", qPrintable(file));
      // The shutdown that follows closes the windows (and asks what they ask) once.
      QApplication::exit(ok ? 0 : 1);
    });
  }
  const int rc = QApplication::exec();
  startup.shutdown();
  // The goodbye sound plays to its end (bounded) before the process takes it away.
  sound.finishPlaying(10000);
  return rc;
}
