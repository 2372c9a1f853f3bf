#pragma once
// The windows of marks, drawn routes and zones, tracks and info points, and their menu
// entries.

namespace tavrik {

class App;
class MainWindow;

// Registers the windows and sets the App's edit hooks (moving a waypoint, saving a
// drawn route or zone).
void registerEditWindows(App& app);
// Waypoints "&Mark current position..." (`wp_mark`).
void installMarkEntries(App& app, MainWindow& window);
// File "&Open info database..." (`m_openinfo`).
void installInfoEntry(App& app, MainWindow& window);
// The "&Tracks" menu (`t_` entries).
void installTrackMenu(App& app, MainWindow& window);

}  // namespace tavrik
