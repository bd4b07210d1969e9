// Qt Widgets inside a host that has none: the application object is created on first need,
// on the calling thread, and kept for the life of the process.
#pragma once

#include <string>

namespace lumbrook::platform {

// Makes sure a QApplication exists on this thread. Returns true when windows can be shown.
// False, with `whyNot` set to a sentence for the user, when there is no display: none of
// QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY is set (Qt is then not started at all), or
// the display that is named cannot be reached (Qt falls back to its offscreen platform, which
// counts as no display unless QT_QPA_PLATFORM asked for it). Once started, DoEvents also
// processes Qt's pending events on this thread.
bool StartApplication(std::string& whyNot);

// True once StartApplication has succeeded in this process.
bool ApplicationStarted();

}  // namespace lumbrook::platform
