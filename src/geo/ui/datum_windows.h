#pragma once
// The datum and ellipsoid windows: the lists `gpsdatum` and `gpselips` and their edit
// windows `gpsedatum` and `gpseelips`, and the datum conversion window `gpsdconv`,
// opened from the Setup menu.

namespace tavrik {

class App;
class MainWindow;

void registerDatumWindows(App& app);
// The Setup menu entries s_datums, s_ellipsoids and s_dconv.
void addDatumMenuEntries(MainWindow& window);

}  // namespace tavrik
