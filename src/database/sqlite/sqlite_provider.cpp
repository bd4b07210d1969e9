#include "database/sqlite/sqlite_provider.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <thread>  // sleep_for: the busy handler's steps

#include "database/database_error.h"
#include "platform/base/ascii_case.h"

namespace lumbrook::database {
namespace {

using Clock = std::chrono::steady_clock;

// How many virtual machine steps run between two looks at the clock: often enough to stop
// within milliseconds, rarely enough to cost nothing measurable.
constexpr int kProgressSteps = 1000;

// The error for result code `rc`: the connection's own message and extended code where there
// is a connection, else SQLite's text for the code.
DatabaseError ErrorOf(sqlite3* db, int rc) {
    const char* text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return DatabaseError(text != nullptr ? text : "SQLite error", {},
                         db != nullptr ? sqlite3_extended_errcode(db) : rc);
}

// A prepared statement, finalised on every way out of Execute.
struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Whether a declared column type holds dates and times ("DATE", "TIMESTAMP", "DATETIME").
bool IsDateType(const char* declared) {
    if (declared == nullptr)
        return false;
    return platform::ContainsIgnoringAsciiCase(declared, "DATE") ||
           platform::ContainsIgnoringAsciiCase(declared, "TIME");
}

// Reads "YYYY-MM-DD", optionally followed by " HH:MM" or "THH:MM", ":SS" and a fraction,
// the forms SQLite's own date functions write. Fractions of a second are dropped.
bool ParseDateTime(const char* text, DateTime& out) {
    DateTime value;
    int consumed = 0;
    if (std::sscanf(text, "%4d-%2d-%2d%n", &value.year, &value.month, &value.day, &consumed) != 3)
        return false;
    const char* rest = text + consumed;
    if (*rest == ' ' || *rest == 'T') {
        int timeConsumed = 0;
        if (std::sscanf(rest + 1, "%2d:%2d%n", &value.hour, &value.minute, &timeConsumed) != 2)
            return false;
        rest += 1 + timeConsumed;
        if (*rest == ':') {
            int secondConsumed = 0;
            if (std::sscanf(rest + 1, "%2d%n", &value.second, &secondConsumed) != 1)
                return false;
            rest += 1 + secondConsumed;
            if (*rest == '.') {
                ++rest;
                while (*rest >= '0' && *rest <= '9')
                    ++rest;
            }
        }
    }
    if (*rest != '\0' || value.month < 1 || value.month > 12 || value.day < 1 || value.day > 31 ||
        value.hour > 23 || value.minute > 59 || value.second > 60)
        return false;
    out = value;
    return true;
}

// How long the busy handler sleeps between two tries of a locked database. Each wake-up
// also asks the interrupt check, so a cancel ends the wait within this time.
constexpr auto kBusyStep = std::chrono::milliseconds(10);

// The progress and busy handlers' state for one statement.
struct Deadline {
    std::optional<Clock::time_point> end;
    int timeoutSeconds = 0;  // as Execute was given it, for the time-out's text
    const std::function<bool()>* interrupt = nullptr;
    bool expired = false;
    bool interrupted = false;
    // How long one wait for a lock may last, and when the current wait began.
    Clock::duration busyLimit{};
    Clock::time_point busySince{};
};

// The deadline of a statement that may run `timeoutSeconds` (0 or less: without limit) and
// asks `interrupt` unless it is empty. A lock is waited for as long as the time-out, in
// milliseconds kept within int.
Deadline StartDeadline(int timeoutSeconds, const std::function<bool()>& interrupt) {
    Deadline deadline;
    deadline.timeoutSeconds = timeoutSeconds;
    if (interrupt)
        deadline.interrupt = &interrupt;
    std::chrono::milliseconds busyLimit(INT_MAX);
    if (timeoutSeconds > 0) {
        deadline.end = Clock::now() + std::chrono::seconds(timeoutSeconds);
        if (timeoutSeconds < INT_MAX / 1000)
            busyLimit = std::chrono::seconds(timeoutSeconds);
    }
    deadline.busyLimit = busyLimit;
    return deadline;
}

// The progress handler: ends the statement once its time is up or the interrupt check says
// so, and notes which of the two it was for the error Execute raises.
int CheckDeadline(void* context) {
    auto* deadline = static_cast<Deadline*>(context);
    if (deadline->end && Clock::now() >= *deadline->end) {
        deadline->expired = true;
        return 1;  // non-zero interrupts the statement with SQLITE_INTERRUPT
    }
    if (deadline->interrupt != nullptr && (*deadline->interrupt)()) {
        deadline->interrupted = true;
        return 1;
    }
    return 0;
}

// The busy handler: while another connection holds a lock that the statement needs, sleeps
// in short steps and has SQLite try again, for up to the time-out, as SQLite's own busy
// time-out would; but it gives up at once when the interrupt check says so (a cancel, which
// the progress handler cannot see while SQLite waits here). `count` is 0 on the first call of
// each wait. Returning 0 ends the wait: the statement fails with SQLITE_BUSY.
int WaitWhileBusy(void* context, int count) {
    auto* deadline = static_cast<Deadline*>(context);
    const Clock::time_point now = Clock::now();
    if (count == 0)
        deadline->busySince = now;
    if (deadline->interrupt != nullptr && (*deadline->interrupt)()) {
        deadline->interrupted = true;
        return 0;
    }
    const Clock::duration waited = now - deadline->busySince;
    if (waited >= deadline->busyLimit)
        return 0;
    std::this_thread::sleep_for(std::min<Clock::duration>(kBusyStep, deadline->busyLimit - waited));
    return 1;
}

// The connection's progress and busy handlers pointed at one statement's deadline for the
// life of this object. They point into Execute's frame, so they are taken away on every way
// out of it.
class DeadlineHandlers {
  public:
    DeadlineHandlers(sqlite3* db, Deadline& deadline) : db_(db) {
        sqlite3_busy_handler(db_, WaitWhileBusy, &deadline);
        // Without a time-out or an interrupt check there is nothing to look at between steps.
        if (deadline.end || deadline.interrupt != nullptr)
            sqlite3_progress_handler(db_, kProgressSteps, CheckDeadline, &deadline);
    }
    ~DeadlineHandlers() {
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
        sqlite3_busy_handler(db_, nullptr, nullptr);
    }
    DeadlineHandlers(const DeadlineHandlers&) = delete;
    DeadlineHandlers& operator=(const DeadlineHandlers&) = delete;

  private:
    sqlite3* db_;
};

// The error of a time-out, whichever step of the statement it ends.
DatabaseError TimeoutError(int timeoutSeconds, int rc) {
    return DatabaseError(
        "Query timeout expired after " + std::to_string(timeoutSeconds) + " seconds", "HYT00", rc);
}

// The error of a statement that failed with `rc`: a cancel or a time-out when the handlers
// ended it (an interrupt counts as the time-out's), else SQLite's own.
DatabaseError FailureOf(sqlite3* db, const Deadline& deadline, int rc) {
    if (deadline.interrupted)
        return DatabaseError("Operation canceled", "HY008", rc);
    if (deadline.expired || (rc & 0xff) == SQLITE_INTERRUPT)
        return TimeoutError(deadline.timeoutSeconds, rc);
    return ErrorOf(db, rc);
}

// The one statement of `commandText`, prepared; null when the text holds only blanks or a
// comment. Text after the statement other than blanks and ";" is an error.
Statement PrepareOne(sqlite3* db, const std::string& commandText, const Deadline& deadline) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, commandText.c_str(),
                                      static_cast<int>(commandText.size()) + 1, &raw, &tail);
    Statement statement(raw);
    if (rc != SQLITE_OK)
        throw FailureOf(db, deadline, rc);
    for (; tail != nullptr && *tail != '\0'; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            throw DatabaseError("A command holds one statement; text follows it: " +
                                std::string(tail));
    }
    return statement;
}

// Appends cell `i` of the statement's current row to `cells`. Text and blobs give their
// bytes; text in a column declared as a date (`dateColumn`) that reads as a date becomes
// one, anything else stays text.
void AppendCell(std::vector<Value>& cells, sqlite3_stmt* statement, int i, bool dateColumn) {
    const int type = sqlite3_column_type(statement, i);
    switch (type) {
        case SQLITE_INTEGER:
            cells.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(statement, i)));
            return;
        case SQLITE_FLOAT:
            cells.emplace_back(sqlite3_column_double(statement, i));
            return;
        case SQLITE_NULL:
            cells.emplace_back(std::monostate{});
            return;
        default:
            break;
    }
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i));
    std::string text(bytes != nullptr ? bytes : "",
                     static_cast<std::size_t>(sqlite3_column_bytes(statement, i)));
    DateTime date;
    if (dateColumn && type == SQLITE_TEXT && ParseDateTime(text.c_str(), date))
        cells.emplace_back(date);
    else
        cells.emplace_back(std::move(text));
}

}  // namespace

SqliteProvider::SqliteProvider(const std::string& path) {
    // SQLITE_OPEN_READONLY without SQLITE_OPEN_CREATE: a missing file fails to open.
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        DatabaseError error(
            std::string(db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)) + ": " + path,
            {}, rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        file_ = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                             static_cast<std::uint64_t>(info.st_ino)};
}

SqliteProvider::~SqliteProvider() {
    // sqlite3_close_v2 never fails on a connection without open statements, and every
    // statement is finalised before Execute returns.
    sqlite3_close_v2(db_);
}

void SqliteProvider::Close() {
    sqlite3* db = db_;
    db_ = nullptr;
    const int rc = sqlite3_close(db);
    if (rc != SQLITE_OK) {
        const DatabaseError error = ErrorOf(db, rc);
        sqlite3_close_v2(db);
        throw error;
    }
}

Recordset SqliteProvider::Execute(const std::string& commandText, int timeoutSeconds) {
    if (db_ == nullptr)
        throw DatabaseError("The connection is not open");
    Deadline deadline = StartDeadline(timeoutSeconds, interruptCheck_);
    const DeadlineHandlers handlers(db_, deadline);
    const Statement statement = PrepareOne(db_, commandText, deadline);
    if (!statement)
        return Recordset();

    const int columns = sqlite3_column_count(statement.get());
    std::vector<std::string> names;
    std::vector<bool> dateColumns;
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(statement.get(), i);
        names.emplace_back(name != nullptr ? name : "");
        dateColumns.push_back(IsDateType(sqlite3_column_decltype(statement.get(), i)));
    }
    std::vector<Value> cells;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            AppendCell(cells, statement.get(), i, dateColumns[static_cast<std::size_t>(i)]);
    }
    if (rc != SQLITE_DONE)
        throw FailureOf(db_, deadline, rc);
    return Recordset(std::move(names), std::move(cells));
}

}  // namespace lumbrook::database
