#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>  // pthread_kill: the signal goes to the writing thread
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cfenv>  // fesetround: the rounding modes the helper must not depend on
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>

#include "platform/base/ascii_case.h"
#include "platform/base/hex_digits.h"
#include "platform/base/round_half_even.h"
#include "platform/base/write_all.h"

namespace lumbrook::platform {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("ODBCString", "odbcstring"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Data Source", "Data Source "));
    // "@" and "`" sit next to "A" and "a"; "[" next to "Z". None of them is a letter.
    EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
    // Bytes above 127 are never folded, whatever a locale would say of them: Latin-1 "É"/"é"
    // and the UTF-8 forms of the same letters.
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC9", "\xE9"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("\xC3\xA9T\xC3\xA9", "\xC3\xA9t\xC3\xA9"));
}

TEST(HexDigits, TheTwentyTwoDigitsAndNothingElse) {
    const std::string digits = "0123456789abcdefABCDEF";
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const auto at = digits.find(ch);
        const int expected = at == std::string::npos ? -1 : static_cast<int>(at < 16 ? at : at - 6);
        EXPECT_EQ(HexDigitValue(ch), expected) << "byte " << c;
    }
}

TEST(HexDigits, BytesAreWrittenHighDigitFirstInTheCaseAsked) {
    std::string text;
    for (std::uint8_t byte : {0x00, 0x0A, 0xA0, 0xFF})
        AppendHexByte(text, byte, HexLetters::Lower);
    AppendHexByte(text, 0xBC, HexLetters::Upper);
    EXPECT_EQ(text, "000aa0ffBC");
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourInEveryRoundingMode) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in;
        double out;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, -0.0},
        {-1.5, -2},
        {-2.5, -2},
        {-0.3, -0.0},
        {-0.0, -0.0},
        {-2.6, -3},
        {0.49999999999999994, 0},  // just below a half: floor(x + 0.5) would give 1
        {-0.49999999999999994, -0.0},
        {-1e-300, -0.0},
        {4503599627370495.5, 4503599627370496},  // the largest half a double holds
        {4503599627370497.0, 4503599627370497},  // above 2^52 every double is whole
        {inf, inf},
        {-inf, -inf},
    };
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        EXPECT_EQ(std::fesetround(mode), 0) << mode;
        for (const auto& c : cases) {
            volatile double in = c.in;  // computed at run time, in this mode
            const double out = RoundHalfEven(in);
            EXPECT_EQ(out, c.out) << c.in << " in mode " << mode;
            EXPECT_EQ(std::signbit(out), std::signbit(c.out)) << c.in << " in mode " << mode;
        }
        volatile double nan = std::nan("");
        EXPECT_TRUE(std::isnan(RoundHalfEven(nan)));
    }
    std::fesetround(FE_TONEAREST);
}

// Whether thread `tid` of this process is asleep; for the writer below that means blocked in
// write() on the full pipe, the only call it makes.
bool Sleeping(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), {});
    const std::size_t name = text.rfind(')');  // the state follows the command name
    return name != std::string::npos && name + 2 < text.size() && text[name + 2] == 'S';
}

// Interrupts the writer while it is blocked on a full pipe: once after it has written part
// of its buffer, so that write() returns short, and once more right after it called write()
// again and could write nothing, so that write() fails with EINTR. Every byte must still
// arrive once and in order.
TEST(WriteAll, InterruptedAndShortWritesLoseNothing) {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the blocked write() returns
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::size_t capacity = static_cast<std::size_t>(fcntl(fds[0], F_GETPIPE_SZ));
    std::string data(2 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + i / 251);
    std::atomic<pid_t> writerId{0};
    std::atomic<bool> writerDone{false};
    bool written = false;
    std::thread writer([&] {
        writerId = gettid();
        written = WriteAll(fds[1], data.data(), data.size());
        writerDone = true;
        close(fds[1]);
    });
    // A writer with more than a pipe's worth left to write is certain to block, so the wait
    // ends; a writer that gave up early ends it too.
    auto interrupt = [&] {
        while (!writerDone && (writerId == 0 || !Sleeping(writerId)))
            sched_yield();
        if (!writerDone)
            pthread_kill(writer.native_handle(), SIGUSR1);
    };
    std::string received;
    char buffer[4096];
    std::size_t nextInterruption = 0;
    for (ssize_t count; (count = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (count < 0 && errno == EINTR)
            continue;
        ASSERT_GT(count, 0);
        received.append(buffer, static_cast<std::size_t>(count));
        if (received.size() >= nextInterruption && data.size() - received.size() > 2 * capacity) {
            interrupt();
            interrupt();
            nextInterruption = received.size() + 128 * 1024;
        }
    }
    writer.join();
    close(fds[0]);
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_TRUE(written);
    EXPECT_TRUE(received == data) << "received " << received.size() << " of " << data.size();
}

}  // namespace
}  // namespace lumbrook::platform
