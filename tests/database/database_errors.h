// What the database tests share besides the fixtures and the program's queries: the error
// an action raises, and the time since a start for the tests of time-outs (and of cancels).
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "database/database_error.h"

namespace lumbrook::database::testing {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The error `action` raises; one with the text "(no error)" when it raises none.
inline DatabaseError RaisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const DatabaseError& e) {
        return e;
    }
    return DatabaseError("(no error)");
}

// The text of the error `action` raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action) {
    return RaisedBy(action).what();
}

}  // namespace lumbrook::database::testing
