// Finding another running instance of an application: another process of the same user on
// the same display that has claimed the application's title. It is reached through a local
// socket named after the title, the user and the display, and can be asked to bring its
// window forward.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QLocalServer;

namespace lumbrook::platform {

class InstanceChannel {
  public:
    // Claims `title` for this process. When another process holds it and answers, returns
    // null and sets `otherRunning`. Otherwise listens under the title (taking over a name
    // left behind by a process that died) and calls `onRaise` whenever another process asks
    // this one to come forward. A lock file makes the check and the claim one step, so two
    // processes starting at the same moment cannot both believe they are first.
    // Needs a Qt application object; the requests are served by its event loop.
    static std::unique_ptr<InstanceChannel> Claim(const std::string& title,
                                                  std::function<void()> onRaise,
                                                  bool& otherRunning);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

  private:
    InstanceChannel() = default;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onRaise_;
};

// Asks the process that claimed `title` to bring its window forward. True when it
// acknowledged; false when no such process can be reached.
bool RequestRaise(const std::string& title);

// The socket name for `title` in this user's session (exposed for tests).
std::string InstanceChannelName(const std::string& title);

}  // namespace lumbrook::platform
