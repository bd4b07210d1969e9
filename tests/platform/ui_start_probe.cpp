// Starts the platform's Qt application once and says what it decided, for the start-up
// tests that each need a process of their own.
#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "platform/ui/application.h"

int main() {
    std::string whyNot;
    const bool started = lumbrook::platform::StartApplication(whyNot);
    if (started) {
        std::printf("started\n");
        return 0;
    }
    std::printf("no display: %s\n", whyNot.c_str());
    // Without variables naming a display, Qt must not have been started at all.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        std::printf("qt started: %s\n", QCoreApplication::instance() != nullptr ? "yes" : "no");
    // A second call gives the same answer without trying again.
    std::string again;
    return !lumbrook::platform::StartApplication(again) && again == whyNot ? 0 : 1;
}
