#include "database/demo/demo_writer.h"

#include "database/database_error.h"

namespace lumbrook::database::demo {
namespace {

// The connection's last error, after `what` failed.
DatabaseError ErrorOf(sqlite3* db, const std::string& what) {
    return DatabaseError(what + ": " + sqlite3_errmsg(db), {}, sqlite3_extended_errcode(db));
}

// Binds a copy of `text`, so that the caller's string may go before the step; no text is
// NULL.
void BindText(sqlite3_stmt* statement, int index, DemoWriter::Text text) {
    if (text)
        sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                          SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(statement, index);
}

// Binds `number`, or NULL when there is none.
void BindNumber(sqlite3_stmt* statement, int index, DemoWriter::Number number) {
    if (number)
        sqlite3_bind_double(statement, index, *number);
    else
        sqlite3_bind_null(statement, index);
}

}  // namespace

DemoWriter::DemoWriter(const std::string& path, std::string_view schema) {
    // SQLITE_OPEN_EXCLUSIVE is not for users; the caller hands a path that does not exist.
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("Cannot create " + path + ": " + message);
    }
    // The file is built in one go and thrown away when that fails, so nothing needs a
    // journal or a sync on the way.
    Execute("PRAGMA journal_mode = OFF");
    Execute("PRAGMA synchronous = OFF");
    Execute("PRAGMA locking_mode = EXCLUSIVE");
    Execute("PRAGMA cache_size = -65536");
    Execute(schema);
    Execute("BEGIN");
    folder_ = Prepare("INSERT INTO FOLDER_OBJECT VALUES (?, ?, ?, ?, 1)");
    spot_ = Prepare("INSERT INTO SPOT VALUES (?, ?, ?, ?, ?)");
    jobRun_ = Prepare("INSERT INTO JOB_RUN VALUES (?, ?, ?, ?, ?, ?)");
    item_ = Prepare("INSERT INTO JOB_RUN_ITEM VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    peakList_ = Prepare("INSERT INTO PEAK_LIST VALUES (?, ?)");
    peak_ = Prepare("INSERT INTO PEAK VALUES (?, ?, ?, ?, ?, ?, ?)");
}

DemoWriter::~DemoWriter() {
    for (sqlite3_stmt* statement : {folder_, spot_, jobRun_, item_, peakList_, peak_})
        sqlite3_finalize(statement);
    // Closing with an open transaction rolls it back; the caller removes the file.
    sqlite3_close_v2(db_);
}

void DemoWriter::Execute(std::string_view sql) {
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw DatabaseError("Cannot build the demo database: " + reason);
    }
}

sqlite3_stmt* DemoWriter::Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw ErrorOf(db_, sql);
    return statement;
}

void DemoWriter::Step(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE)
        throw ErrorOf(db_, sqlite3_sql(statement));
    sqlite3_reset(statement);
}

void DemoWriter::AddFolder(long id, std::optional<long> parent, const std::string& name,
                           int objectType) {
    sqlite3_bind_int64(folder_, 1, id);
    if (parent)
        sqlite3_bind_int64(folder_, 2, *parent);
    else
        sqlite3_bind_null(folder_, 2);
    BindText(folder_, 3, name);
    sqlite3_bind_int(folder_, 4, objectType);
    Step(folder_);
}

void DemoWriter::AddSpot(long id, long spotSet, const std::string& label, Text name, Text type) {
    sqlite3_bind_int64(spot_, 1, id);
    sqlite3_bind_int64(spot_, 2, spotSet);
    BindText(spot_, 3, label);
    BindText(spot_, 4, name);
    BindText(spot_, 5, type);
    Step(spot_);
}

void DemoWriter::AddJobRun(long id, long spotSet, const std::string& opmode, Text submit,
                           Text start, Text finish) {
    sqlite3_bind_int64(jobRun_, 1, id);
    sqlite3_bind_int64(jobRun_, 2, spotSet);
    BindText(jobRun_, 3, opmode);
    BindText(jobRun_, 4, submit);
    BindText(jobRun_, 5, start);
    BindText(jobRun_, 6, finish);
    Step(jobRun_);
}

void DemoWriter::AddItem(long id, long jobRun, long spot, Number precursorMass, Text acq, Text proc,
                         Text interp, int numericStatus) {
    sqlite3_bind_int64(item_, 1, id);
    sqlite3_bind_int64(item_, 2, jobRun);
    sqlite3_bind_int64(item_, 3, spot);
    BindNumber(item_, 4, precursorMass);
    BindText(item_, 5, acq);
    BindText(item_, 6, proc);
    BindText(item_, 7, interp);
    sqlite3_bind_int(item_, 8, numericStatus);
    Step(item_);
}

void DemoWriter::AddPeakList(long id, long item) {
    sqlite3_bind_int64(peakList_, 1, id);
    sqlite3_bind_int64(peakList_, 2, item);
    Step(peakList_);
}

void DemoWriter::AddPeak(long peakList, int number, double centroid, Number area,
                         Number signalToNoise, int isotopicFlag, Number apex) {
    sqlite3_bind_int64(peak_, 1, peakList);
    sqlite3_bind_int(peak_, 2, number);
    sqlite3_bind_double(peak_, 3, centroid);
    BindNumber(peak_, 4, area);
    BindNumber(peak_, 5, signalToNoise);
    sqlite3_bind_int(peak_, 6, isotopicFlag);
    BindNumber(peak_, 7, apex);
    Step(peak_);
}

void DemoWriter::Finish() {
    Execute("COMMIT");
    for (sqlite3_stmt** statement : {&folder_, &spot_, &jobRun_, &item_, &peakList_, &peak_}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    const int rc = sqlite3_close(db_);
    if (rc != SQLITE_OK)
        throw ErrorOf(db_, "Cannot close the demo database");
    db_ = nullptr;
}

}  // namespace lumbrook::database::demo
