#include "database/odbc/odbc_provider.h"

#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

#include "database/connection.h"
#include "database/database_error.h"
#include "lumbrook/utf16.h"

namespace lumbrook::database {
namespace {

// unixODBC's SQLWCHAR is a 16-bit unit holding UTF-16, like char16_t.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));

// UTF-8 text as the UTF-16 the wide ODBC calls take.
std::u16string Wide(const std::string& text) {
    return platform::Utf8ToUtf16(text);
}

// `text` as the non-const SQLWCHAR pointer the ODBC calls are declared with.
SQLWCHAR* WidePointer(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

// `length` UTF-16 units from the driver as UTF-8.
std::string Narrow(const SQLWCHAR* text, std::size_t length) {
    return platform::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// Every diagnostic record of a handle, as one error: the messages joined by line feeds, the
// first record's SQLSTATE and native code.
DatabaseError Diagnose(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& fallback) {
    std::string message;
    std::string firstState;
    long firstNative = 0;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text,
                                            SQL_MAX_MESSAGE_LENGTH, &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (record == 1) {
            firstState = Narrow(state, 5);
            firstNative = native;
        }
        const std::size_t shown = std::min<std::size_t>(
            static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), SQL_MAX_MESSAGE_LENGTH);
        std::string line = Narrow(text, shown);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!message.empty())
            message += '\n';
        message += line;
    }
    if (message.empty())
        message = fallback;
    return DatabaseError(message, firstState, firstNative);
}

// A statement handle, freed on every way out of Execute.
struct StatementHandle {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~StatementHandle() {
        if (handle != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

// How a column's values are fetched, from its SQL type.
enum class ColumnKind { Integer, Double, WholeNumber, Text, DateTime, Binary };

// How to fetch a column of SQL type `type` with `scale` decimal places.
ColumnKind KindOf(SQLSMALLINT type, SQLSMALLINT scale) {
    switch (type) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return ColumnKind::Integer;
        case SQL_FLOAT:  // PostgreSQL reports double precision as SQL_FLOAT
        case SQL_REAL:
        case SQL_DOUBLE:
            return ColumnKind::Double;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            // With a scale the values have decimals. Without one they are whole numbers,
            // read as text so that a value beyond 64 bits can still become a double.
            return scale > 0 ? ColumnKind::Double : ColumnKind::WholeNumber;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP:
            return ColumnKind::DateTime;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ColumnKind::Binary;
        default:
            return ColumnKind::Text;
    }
}

DateTime ToDateTime(const SQL_TIMESTAMP_STRUCT& t) {
    return DateTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

// Reads a variable-length value in pieces: text as UTF-16 (SQL_C_WCHAR), binary as bytes.
// Returns false for NULL.
bool ReadLong(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT cType, std::string& bytes) {
    bytes.clear();
    std::vector<char> buffer(4096);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, cType, buffer.data(),
                                        static_cast<SQLLEN>(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot read a column value");
        if (indicator == SQL_NULL_DATA)
            return false;
        // A piece fills the buffer except, for text, the terminating NUL character.
        const std::size_t terminator = cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 0;
        std::size_t got = buffer.size() - terminator;
        if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) < got)
            got = static_cast<std::size_t>(indicator);
        bytes.append(buffer.data(), got);
        if (rc == SQL_SUCCESS)
            return true;
        // SQL_SUCCESS_WITH_INFO: truncated (01004), more to come.
    }
}

// One column of the current row, fetched as `kind` says; DatabaseError when the driver
// cannot give it.
Value ReadValue(SQLHSTMT statement, SQLUSMALLINT column, ColumnKind kind) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (kind) {
        case ColumnKind::Integer: {
            SQLBIGINT value = 0;
            rc = SQLGetData(statement, column, SQL_C_SBIGINT, &value, 0, &indicator);
            if (!SQL_SUCCEEDED(rc))
                break;
            if (indicator == SQL_NULL_DATA)
                return std::monostate{};
            return static_cast<std::int64_t>(value);
        }
        case ColumnKind::Double: {
            double value = 0;
            rc = SQLGetData(statement, column, SQL_C_DOUBLE, &value, 0, &indicator);
            if (!SQL_SUCCEEDED(rc))
                break;
            if (indicator == SQL_NULL_DATA)
                return std::monostate{};
            return value;
        }
        case ColumnKind::WholeNumber: {
            // As text of any length, then the integer it spells when it fits 64 bits.
            std::string bytes;
            if (!ReadLong(statement, column, SQL_C_WCHAR, bytes))
                return std::monostate{};
            const std::string digits = Narrow(reinterpret_cast<const SQLWCHAR*>(bytes.data()),
                                              bytes.size() / sizeof(SQLWCHAR));
            const char* first = digits.data();
            const char* last = digits.data() + digits.size();
            std::int64_t whole = 0;
            const auto [end, error] = std::from_chars(first, last, whole);
            if (error == std::errc() && end == last)
                return whole;
            // Too large for 64 bits, or a driver that writes decimals after all.
            double value = 0;
            const auto [doubleEnd, doubleError] = std::from_chars(first, last, value);
            if (doubleError == std::errc() && doubleEnd == last)
                return value;
            return digits;
        }
        case ColumnKind::DateTime: {
            SQL_TIMESTAMP_STRUCT value = {};
            rc = SQLGetData(statement, column, SQL_C_TYPE_TIMESTAMP, &value, sizeof value,
                            &indicator);
            if (!SQL_SUCCEEDED(rc))
                break;
            if (indicator == SQL_NULL_DATA)
                return std::monostate{};
            return ToDateTime(value);
        }
        case ColumnKind::Text: {
            std::string bytes;
            if (!ReadLong(statement, column, SQL_C_WCHAR, bytes))
                return std::monostate{};
            return Narrow(reinterpret_cast<const SQLWCHAR*>(bytes.data()),
                          bytes.size() / sizeof(SQLWCHAR));
        }
        case ColumnKind::Binary: {
            std::string bytes;
            if (!ReadLong(statement, column, SQL_C_BINARY, bytes))
                return std::monostate{};
            return bytes;
        }
    }
    throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot read a column value");
}

// Whether a column's values fit a buffer of fixed width, so that it can be bound and its
// rows fetched in blocks.
bool HasFixedSize(ColumnKind kind) {
    return kind == ColumnKind::Integer || kind == ColumnKind::Double ||
           kind == ColumnKind::DateTime;
}

// Rows fetched at once when every column has a fixed size. Large results (the export's peak
// queries) then cost one driver call per block of rows rather than one per value.
constexpr SQLULEN kBlockRows = 1024;

// The bound buffers of one column: one element a row of the block.
struct BoundColumn {
    ColumnKind kind = ColumnKind::Integer;
    std::vector<SQLBIGINT> integers;
    std::vector<double> doubles;
    std::vector<SQL_TIMESTAMP_STRUCT> timestamps;
    std::vector<SQLLEN> indicators;

    Value At(std::size_t row) const {
        if (indicators[row] == SQL_NULL_DATA)
            return std::monostate{};
        switch (kind) {
            case ColumnKind::Integer:
                return static_cast<std::int64_t>(integers[row]);
            case ColumnKind::Double:
                return doubles[row];
            default:
                return ToDateTime(timestamps[row]);
        }
    }
};

// Unbinds the buffers and the block's counters before they go, so the statement never keeps
// a pointer into freed memory. Failures are not reported: the result has been read already.
struct BindingGuard {
    SQLHSTMT statement;
    ~BindingGuard() {
        SQLFreeStmt(statement, SQL_UNBIND);
        SQLSetStmtAttrW(statement, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttrW(statement, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }
};

// Fetches every row of a result whose columns all have a fixed size, a block at a time, into
// `cells`. A driver that cannot fetch blocks answers with a smaller block size, down to one
// row, and is then read that way.
void FetchInBlocks(SQLHSTMT statement, const std::vector<ColumnKind>& kinds,
                   std::vector<Value>& cells) {
    // Refusal or a lowered value both show in what the statement reports afterwards.
    SQLSetStmtAttrW(statement, SQL_ATTR_ROW_BIND_TYPE,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_BIND_BY_COLUMN)), 0);
    SQLSetStmtAttrW(statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlockRows),
                    0);
    SQLULEN blockRows = 1;
    if (!SQL_SUCCEEDED(
            SQLGetStmtAttrW(statement, SQL_ATTR_ROW_ARRAY_SIZE, &blockRows, 0, nullptr)) ||
        blockRows == 0 || blockRows > kBlockRows)
        blockRows = 1;
    if (blockRows == 1)
        SQLSetStmtAttrW(statement, SQL_ATTR_ROW_ARRAY_SIZE,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(1)), 0);

    std::vector<BoundColumn> bound(kinds.size());
    std::vector<SQLUSMALLINT> status(blockRows);
    SQLULEN fetched = 0;
    BindingGuard guard{statement};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        BoundColumn& column = bound[i];
        column.kind = kinds[i];
        column.indicators.resize(blockRows);
        SQLSMALLINT cType = SQL_C_SBIGINT;
        SQLPOINTER buffer = nullptr;
        SQLLEN width = 0;
        switch (column.kind) {
            case ColumnKind::Integer:
                column.integers.resize(blockRows);
                buffer = column.integers.data();
                width = sizeof(SQLBIGINT);
                break;
            case ColumnKind::Double:
                cType = SQL_C_DOUBLE;
                column.doubles.resize(blockRows);
                buffer = column.doubles.data();
                width = sizeof(double);
                break;
            default:
                cType = SQL_C_TYPE_TIMESTAMP;
                column.timestamps.resize(blockRows);
                buffer = column.timestamps.data();
                width = sizeof(SQL_TIMESTAMP_STRUCT);
                break;
        }
        if (!SQL_SUCCEEDED(SQLBindCol(statement, static_cast<SQLUSMALLINT>(i + 1), cType, buffer,
                                      width, column.indicators.data())))
            throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot bind a column");
    }
    if (!SQL_SUCCEEDED(SQLSetStmtAttrW(statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttrW(statement, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0)))
        throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot set up the fetch of rows");

    SQLRETURN rc = SQL_SUCCESS;
    while ((rc = SQLFetch(statement)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot fetch a row");
        const std::size_t rows = std::min<std::size_t>(fetched, blockRows);
        for (std::size_t row = 0; row < rows; ++row) {
            if (status[row] == SQL_ROW_ERROR)
                throw Diagnose(SQL_HANDLE_STMT, statement, "Cannot fetch a row");
            for (const BoundColumn& column : bound)
                cells.push_back(column.At(row));
        }
    }
}

}  // namespace

OdbcProvider::OdbcProvider(const std::string& odbcConnectionString) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
        throw DatabaseError("The ODBC driver manager cannot allocate an environment");
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
        DatabaseError error = Diagnose(SQL_HANDLE_ENV, env_, "Cannot allocate an ODBC connection");
        FreeHandles();
        throw error;
    }
    // An unreachable server must not hold the caller longer than a command would.
    SQLSetConnectAttrW(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kCommandTimeoutSeconds)),
                       0);
    std::u16string text = Wide(odbcConnectionString);
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc =
        SQLDriverConnectW(dbc_, nullptr, WidePointer(text), static_cast<SQLSMALLINT>(text.size()),
                          completed, 1024, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        DatabaseError error = Diagnose(SQL_HANDLE_DBC, dbc_, "The ODBC connection failed");
        FreeHandles();
        throw error;
    }
    connected_ = true;

    SQLWCHAR name[256] = {};
    SQLSMALLINT nameLength = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(dbc_, SQL_DBMS_NAME, name, sizeof name, &nameLength))) {
        const std::string dbms =
            Narrow(name, static_cast<std::size_t>(nameLength) / sizeof(SQLWCHAR));
        oracle_ = dbms.find("Oracle") != std::string::npos;
    }
}

OdbcProvider::~OdbcProvider() {
    if (connected_)
        SQLDisconnect(dbc_);  // a failure here has no one left to tell
    FreeHandles();
}

void OdbcProvider::FreeHandles() {
    if (dbc_ != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    dbc_ = SQL_NULL_HDBC;
    env_ = SQL_NULL_HENV;
}

void OdbcProvider::Close() {
    if (!connected_)
        throw DatabaseError("The connection is not open");
    connected_ = false;
    const SQLRETURN rc = SQLDisconnect(dbc_);
    if (!SQL_SUCCEEDED(rc)) {
        DatabaseError error = Diagnose(SQL_HANDLE_DBC, dbc_, "The ODBC disconnect failed");
        FreeHandles();
        throw error;
    }
    FreeHandles();
}

Recordset OdbcProvider::Execute(const std::string& commandText, int timeoutSeconds) {
    if (!connected_)
        throw DatabaseError("The connection is not open");
    StatementHandle statement;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statement.handle)))
        throw Diagnose(SQL_HANDLE_DBC, dbc_, "Cannot allocate an ODBC statement");
    const SQLULEN timeout = timeoutSeconds > 0 ? static_cast<SQLULEN>(timeoutSeconds) : 0;
    SQLRETURN rc = SQLSetStmtAttrW(statement.handle, SQL_ATTR_QUERY_TIMEOUT,
                                   reinterpret_cast<SQLPOINTER>(timeout), 0);
    if (!SQL_SUCCEEDED(rc))
        throw Diagnose(SQL_HANDLE_STMT, statement.handle, "The driver refuses the time-out");

    std::u16string text = Wide(commandText);
    rc = SQLExecDirectW(statement.handle, WidePointer(text), static_cast<SQLINTEGER>(text.size()));
    if (rc == SQL_NO_DATA)  // an update that touched no row
        return Recordset();
    if (!SQL_SUCCEEDED(rc))
        throw Diagnose(SQL_HANDLE_STMT, statement.handle, "The command failed");

    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(statement.handle, &columns)))
        throw Diagnose(SQL_HANDLE_STMT, statement.handle, "Cannot read the result's columns");
    if (columns <= 0)
        return Recordset();

    std::vector<std::string> names;
    std::vector<ColumnKind> kinds;
    for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT scale = 0;
        SQLSMALLINT nullable = 0;
        rc = SQLDescribeColW(statement.handle, column, name, 255, &nameLength, &type, &size, &scale,
                             &nullable);
        if (!SQL_SUCCEEDED(rc))
            throw Diagnose(SQL_HANDLE_STMT, statement.handle, "Cannot describe a column");
        names.push_back(
            Narrow(name, std::min<std::size_t>(
                             static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLength, 0)), 255)));
        kinds.push_back(KindOf(type, scale));
    }

    std::vector<Value> cells;
    if (std::all_of(kinds.begin(), kinds.end(), HasFixedSize)) {
        FetchInBlocks(statement.handle, kinds, cells);
        return Recordset(std::move(names), std::move(cells));
    }
    while ((rc = SQLFetch(statement.handle)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            throw Diagnose(SQL_HANDLE_STMT, statement.handle, "Cannot fetch a row");
        for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column)
            cells.push_back(ReadValue(statement.handle, column, kinds[column - 1u]));
    }
    return Recordset(std::move(names), std::move(cells));
}

}  // namespace lumbrook::database
