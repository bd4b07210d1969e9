// A second process for the instance tests:
//   instance_helper TITLE HOLD_MS
// claims TITLE and prints "first" or "other"; as the first, holds it for HOLD_MS milliseconds,
// then exits.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/instance_channel.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    std::string whyNot;
    if (!lumbrook::platform::StartApplication(whyNot)) {
        std::printf("no display: %s\n", whyNot.c_str());
        return 1;
    }
    bool otherRunning = false;
    auto channel = lumbrook::platform::InstanceChannel::Claim(argv[1], {}, otherRunning);
    std::printf("%s\n", otherRunning ? "other" : "first");
    std::fflush(stdout);
    if (otherRunning)
        return 0;
    QTimer::singleShot(std::atoi(argv[2]), [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return 0;
}
