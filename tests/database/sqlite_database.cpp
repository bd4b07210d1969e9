#include "sqlite_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

#include "database/schema.h"

namespace lumbrook::database::testing {

const char* SampleRowsSql() {
    return R"sql(
INSERT INTO FOLDER_OBJECT VALUES (1, NULL, 'Root', 2, 0);
INSERT INTO FOLDER_OBJECT VALUES (2, 1, 'Projects', 2, 1);
INSERT INTO FOLDER_OBJECT VALUES (3, 2, 'Proj', 2, 1);
INSERT INTO FOLDER_OBJECT VALUES (4, 3, 'Set1', 6, 1);
INSERT INTO SPOT VALUES (40, 4, 'A1', 'digest', 'Sample');
INSERT INTO SPOT VALUES (41, 4, 'A2', NULL, NULL);
INSERT INTO JOB_RUN VALUES (12, 4, 'MS-MS 1 kV Positive', '2026-03-02 09:00:00', '2026-03-02 09:05:00', '2026-03-02 10:15:30');
INSERT INTO JOB_RUN VALUES (13, 4, 'MS Reflector Positive', NULL, NULL, NULL);
INSERT INTO JOB_RUN_ITEM VALUES (345, 12, 40, 1234.56789, 'Acquired', 'Processed', 'Interpreted', 9);
INSERT INTO JOB_RUN_ITEM VALUES (346, 12, 41, NULL, NULL, NULL, NULL, 3);
INSERT INTO JOB_RUN_ITEM VALUES (350, 13, 40, NULL, 'Acquired', 'Processed', NULL, 9);
INSERT INTO PEAK_LIST VALUES (1001, 345);
INSERT INTO PEAK_LIST VALUES (1002, 350);
INSERT INTO PEAK_LIST VALUES (1003, 346);
INSERT INTO PEAK VALUES (1001, 1, 175.11895, 1500.5, 42.25, 1, 310.0);
INSERT INTO PEAK VALUES (1001, 2, 176.1223, 300, 8.5, 0, NULL);
INSERT INTO PEAK VALUES (1002, 1, 1234.56789, NULL, NULL, 1, NULL);
)sql";
}

SqliteDatabase::SqliteDatabase(bool baseViews, const std::string& name) {
    char folderTemplate[] = "/tmp/lumbrook-db-test-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (folder == nullptr)
        throw std::runtime_error("mkdtemp failed");
    folder_ = folder;
    path_ = folder_ + "/" + name;
    Run(std::string(SchemaText(SchemaDialect::SQLite)));
    if (baseViews)
        Run(std::string(BaseViewsText(SchemaDialect::SQLite)));
}

SqliteDatabase::~SqliteDatabase() {
    std::error_code ignored;  // a folder left behind in /tmp harms no later test
    std::filesystem::remove_all(folder_, ignored);
}

void SqliteDatabase::Run(const std::string& sql) {
    // A session per call, so that the test's own handle never counts among the program's.
    sqlite3* db = nullptr;
    if (sqlite3_open(path_.c_str(), &db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path_ << " for writing";
        sqlite3_close(db);
        return;
    }
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        ADD_FAILURE() << "SQL failed: " << (message != nullptr ? message : "?") << "\n" << sql;
        sqlite3_free(message);
    }
    sqlite3_close(db);
}

void SqliteDatabase::AddSampleRows() {
    Run(SampleRowsSql());
}

}  // namespace lumbrook::database::testing
