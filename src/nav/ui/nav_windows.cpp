#include "nav/ui/nav_windows.h"

#include <QAction>
#include <QMenu>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "nav/ui/anchor_watch_window.h"
#include "nav/ui/mob_window.h"
#include "nav/ui/sound_window.h"

namespace tavrik {

void registerNavWindows(App& app) {
  app.windows.add(QStringLiteral("gpssound"), [](App& a) { return new SoundWindow(a); });
  app.windows.add(QStringLiteral("gpswatch"), [](App& a) { return new AnchorWatchWindow(a); });
  app.windows.add(QStringLiteral("gpsmob"), [](App& a) { return new MobWindow(a); });
}

void addNavMenuEntries(MainWindow& window) {
  const auto add = [&window](QMenu* menu, const QString& text, const char* name, const char* target) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    QObject::connect(a, &QAction::triggered, &window, [&window, target] { window.openWindow(QLatin1String(target)); });
  };
  add(window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup")), QStringLiteral("&Sound..."), "s_sound",
      "gpssound");
  add(window.ensureMenu(QStringLiteral("m_nav"), QStringLiteral("&Navigation")), QStringLiteral("&Anchor watch..."),
      "n_watch", "gpswatch");
}

}  // namespace tavrik
