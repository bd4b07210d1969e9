#include <gtest/gtest.h>

#include <unistd.h>  // getpid

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "platform/app/app.h"
#include "platform/ui/instance_channel.h"
#include "platform/ui/message_box.h"
#include "util/activate_prev_instance.h"

namespace lumbrook {
namespace {

// A title no other test run uses at the same time.
std::string UniqueTitle(const char* what) {
    return std::string("instance test ") + what + " " + std::to_string(::getpid());
}

// Starts the helper claiming `title` and waits until it has said whether it is first.
struct Helper {
    QProcess process;
    std::string firstLine;

    Helper(const std::string& title, int holdMs) {
        process.start(LUMBROOK_INSTANCE_HELPER,
                      {QString::fromStdString(title), QString::number(holdMs)});
        EXPECT_TRUE(process.waitForStarted(5000));
    }
    std::string ReadLine() {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(10000))
                return {};
        }
        return process.readLine().trimmed().toStdString();
    }
    ~Helper() {
        process.kill();
        process.waitForFinished(5000);
    }
};

// Records every message box instead of showing it, and answers OK.
struct MessageBoxRecorder {
    std::vector<platform::MessageBoxRequest> seen;
    MessageBoxRecorder() {
        platform::SetMessageBoxResponder([this](const platform::MessageBoxRequest& request) {
            seen.push_back(request);
            return platform::MessageResult::OK;
        });
    }
    ~MessageBoxRecorder() { platform::SetMessageBoxResponder(nullptr); }
};

// A second claim that finds the first and raises it is the browser's second-instance test
// (frm_main_test), through the windows a user sees.
TEST(InstanceChannel, UnreachableInstanceGivesOneMessageAndTheTitleStaysChanged) {
    MessageBoxRecorder boxes;
    platform::SetAppTitle(UniqueTitle("nobody"));
    util::ActivatePrevInstance();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].title, "unwanted instance");
    EXPECT_EQ(boxes.seen[0].text,
              "There appears to be another instance of this application running, but I can't "
              "find it to restore it");
    EXPECT_EQ(boxes.seen[0].buttons, platform::MessageButtons::OK);
    // That later boxes take the application title as their caption is ui_test's business.
    EXPECT_EQ(platform::AppTitle(), "unwanted instance");
}

TEST(InstanceChannel, TwoProcessesStartingTogetherAreNeverBothFirst) {
    for (int round = 0; round < 3; ++round) {
        const std::string title = UniqueTitle("race") + " " + std::to_string(round);
        Helper a(title, 3000);
        Helper b(title, 3000);
        const std::string lineA = a.ReadLine();
        const std::string lineB = b.ReadLine();
        EXPECT_EQ((lineA == "first") + (lineB == "first"), 1) << lineA << " / " << lineB;
        EXPECT_EQ((lineA == "other") + (lineB == "other"), 1) << lineA << " / " << lineB;
    }
}

TEST(InstanceChannel, ANameLeftByADeadProcessIsTakenOver) {
    const std::string title = UniqueTitle("stale");
    {
        Helper dead(title, 20000);
        ASSERT_EQ(dead.ReadLine(), "first");
    }  // killed: its socket file stays behind
    bool otherRunning = true;
    auto channel = platform::InstanceChannel::Claim(title, {}, otherRunning);
    EXPECT_FALSE(otherRunning);
    EXPECT_NE(channel, nullptr);
    Helper later(title, 100);
    EXPECT_EQ(later.ReadLine(), "other");
}

}  // namespace
}  // namespace lumbrook
