#pragma once
// The toolbar: which of the 29 buttons ("but1".."but29") stand where. The "Toolbar"
// settings `Button1`..`ButtonN` hold a button number 0..28 (shown as key "but" +
// (number + 1)), -2 for a separator, -1 for the chart list and -3 for an empty place.
// A button is shown only when its command can run in this build.

#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace tavrik {

inline constexpr int kToolbarEmpty = -3;
inline constexpr int kToolbarSeparator = -2;
inline constexpr int kToolbarChartList = -1;
inline constexpr int kToolbarButtonCount = 29;

struct ToolbarButton {
  int number;           // 0..28
  const char* key;      // "but1".."but29"
  const char* label;    // short text on the button
  const char* toolTip;
  // What a click does: either the object name of the window it opens, or the name
  // of a main-window command (see MainWindow::addCommand).
  const char* window;   // may be nullptr
  const char* command;  // may be nullptr
};

const std::array<ToolbarButton, kToolbarButtonCount>& toolbarButtons();
// nullptr outside 0..28.
const ToolbarButton* toolbarButton(int number);

// The arrangement used when no "Button" setting exists.
std::vector<int> builtInToolbarLayout();

// Reads a stored layout: values outside -3..28 become empty places. An empty stored layout gives the built-in one.
std::vector<int> effectiveToolbarLayout(const std::vector<int>& stored);

// The layout as shown: empty places and buttons whose command cannot run are
// dropped (the chart list only when chartListAvailable), separators are kept only
// between two shown items and never doubled.
std::vector<int> visibleToolbarLayout(const std::vector<int>& layout, const std::function<bool(int)>& buttonAvailable,
                                      bool chartListAvailable);

}  // namespace tavrik
