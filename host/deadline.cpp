#include "deadline.h"

#include <sys/time.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include "command.h"
#include "number_options.h"

namespace lumbrook::host {
namespace {

// The longest bound taken: a year, well inside what the interval timer holds.
constexpr double kLongestSeconds = 366.0 * 24 * 3600;

// The message, made before the clock starts: the signal handler may only write it.
char giveUpMessage[128];
std::size_t giveUpLength = 0;

extern "C" void OnDeadline(int) {
    // Only async-signal-safe calls: the message and the end of the process.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, giveUpMessage, giveUpLength);
    ::_exit(kExitFailed);
}

// The seconds `text` gives, or NaN when it is not a finite number above 0 and within the
// longest bound.
double SecondsOf(const std::string& text) {
    const std::optional<double> value = ParseDecimal(text);
    if (!value || !(*value > 0) || *value > kLongestSeconds)
        return std::nan("");
    return *value;
}

}  // namespace

void Deadline::Declare(CLI::App& app) {
    app.add_option("--timeout", seconds,
                   "give up after SECONDS in all (exit status 1), even when the database "
                   "server stops answering")
        ->type_name("SECONDS")
        ->check(
            [](const std::string& text) {
                return std::isnan(SecondsOf(text))
                           ? std::string("a number of seconds above 0 and at most a year")
                           : std::string();
            },
            "SECONDS");
}

void Deadline::Start() const {
    if (seconds.empty())
        return;
    const double value = SecondsOf(seconds);
    std::snprintf(giveUpMessage, sizeof giveUpMessage, "lumbrook: gave up after %s s\n",
                  seconds.c_str());
    giveUpLength = std::strlen(giveUpMessage);
    struct sigaction action {};
    action.sa_handler = OnDeadline;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(value);
    timer.it_value.tv_usec = static_cast<suseconds_t>((value - std::floor(value)) * 1e6);
    if (timer.it_value.tv_sec == 0 && timer.it_value.tv_usec == 0)
        timer.it_value.tv_usec = 1;  // a bound below a microsecond still ends the call
    setitimer(ITIMER_REAL, &timer, nullptr);
}

}  // namespace lumbrook::host
