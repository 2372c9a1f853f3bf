#pragma once
// The windows of other vessels and their menu entries.

namespace tavrik {

class App;
class MainWindow;

void registerShipWindows(App& app);
// Communication "Call &ships..." and Setup "S&hips...", "&Telephones..." and "&Modem...".
void addShipMenuEntries(MainWindow& window);

}  // namespace tavrik
