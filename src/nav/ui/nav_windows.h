#pragma once
// The alarm windows and their menu entries: the sound settings `gpssound`, the anchor
// watch `gpswatch` and man over board `gpsmob`.

namespace tavrik {

class App;
class MainWindow;

void registerNavWindows(App& app);
// Setup "&Sound..." and Navigation "&Anchor watch..." (the "MOB" entry is the main
// window's own).
void addNavMenuEntries(MainWindow& window);

}  // namespace tavrik
