// The error every database operation raises: the database's own message text, with its
// SQLSTATE (ODBC) or result code (SQLite) kept for callers that tell errors apart.
#pragma once

#include <stdexcept>
#include <string>

namespace lumbrook::database {

class DatabaseError : public std::runtime_error {
  public:
    DatabaseError(const std::string& message, std::string sqlState = {}, long nativeCode = 0)
        : std::runtime_error(message), sqlState_(std::move(sqlState)), nativeCode_(nativeCode) {}

    // Five-character SQLSTATE where the provider has one, else empty.
    const std::string& SqlState() const { return sqlState_; }
    // The provider's own numeric code (SQLite result code, ODBC native error).
    long NativeCode() const { return nativeCode_; }

  private:
    std::string sqlState_;
    long nativeCode_;
};

}  // namespace lumbrook::database
