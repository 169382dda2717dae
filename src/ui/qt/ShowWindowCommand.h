#pragma once
// The menu bar's command that shows the main window: a "File" menu whose
// standard New group is replaced by "Show Window" with Command-N. On a Mac a
// menu bar without a parent is the application's global one, beside the
// application menu Qt makes itself (About, Hide, Quit).
#include <QMenuBar>
#include <functional>
#include <memory>

namespace velmora {

// Adds the command to `bar`; `showWindow` runs when it is chosen or its key pressed.
void addShowWindowCommand(QMenuBar& bar, std::function<void()> showWindow);

}  // namespace velmora
