// The SQLite provider: a database file opened read-only through libsqlite3.
#pragma once

#include <string>

#include "database/provider.h"

struct sqlite3;

namespace lumbrook::database {

class SqliteProvider final : public Provider {
  public:
    // Opens `path` read-only. A missing file is an error, never a new empty database.
    explicit SqliteProvider(const std::string& path);
    ~SqliteProvider() override;
    SqliteProvider(const SqliteProvider&) = delete;
    SqliteProvider& operator=(const SqliteProvider&) = delete;

    // The time-out is kept by the progress handler, which interrupts the statement once it
    // has run that long; a database locked by a writer is waited for as long, in short steps
    // that end as soon as the interrupt check says so. A command is one statement: text
    // after it other than blanks and ";" is an error.
    Recordset Execute(const std::string& commandText, int timeoutSeconds) override;
    bool IsOracle() const override { return false; }
    std::optional<FileIdentity> DatabaseFile() const override { return file_; }
    // Asked by the progress handler, every few thousand steps of the statement, and by the
    // busy handler between two tries of a locked database.
    void SetInterruptCheck(std::function<bool()> check) override {
        interruptCheck_ = std::move(check);
    }
    // Closes the database; afterwards Execute raises, as on a closed connection.
    void Close() override;

  private:
    sqlite3* db_ = nullptr;
    std::optional<FileIdentity> file_;
    std::function<bool()> interruptCheck_;
};

}  // namespace lumbrook::database
