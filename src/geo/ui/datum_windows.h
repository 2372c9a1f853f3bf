#pragma once
// The datum and ellipsoid windows: the lists `gpsdatum` and `gpselips` and their edit
// windows `gpsedatum` and `gpseelips`.

namespace tavrik {

class WindowRegistry;

void registerDatumWindows(WindowRegistry& windows);

}  // namespace tavrik
