#include "app/app.h"


namespace tavrik {

QWidget* WindowRegistry::create(const QString& objectName, App& app) const {
  const auto it = m_factories.find(objectName);
  return it == m_factories.end() ? nullptr : it->second(app);
}

App::App(const AppPaths& p, const Clock& c, Prompter& pr, SoundPlayer& s)
    : paths(p), ini(p.settingsFile()), clock(c), prompter(pr), sound(s) {
  receiver.resetRadarTargets = [this] { radar.reset(); };
}

App::~App() = default;

void App::loadSettings() {
  settings.load(ini, paths);
  receiver.applySettings();
}

void App::saveSettings() {
  settings.save(ini);
  ini.sync();
}

}  // namespace tavrik
