#pragma once
// The datum and ellipsoid windows: the lists `gpsdatum` and `gpselips` and their edit
// windows `gpsedatum` and `gpseelips`, opened from the Setup menu.

namespace tavrik {

class App;
class MainWindow;

void registerDatumWindows(App& app);
// The Setup menu entries s_datums and s_ellipsoids.
void addDatumMenuEntries(MainWindow& window);

}  // namespace tavrik
