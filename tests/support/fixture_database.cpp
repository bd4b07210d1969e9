#include "support/fixture_database.h"

#include <sqlite3.h>

#include <charconv>
#include <concepts>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "database/schema.h"
#include "support/test_environment.h"

namespace lumbrook::testing {
namespace {

// A session on the fixture's file for one call, with its statements, closed again at the end.
class Session {
  public:
    explicit Session(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
            const std::string message = sqlite3_errmsg(db_);
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + path + ": " + message);
        }
        // A fixture is rebuilt rather than recovered: no flush to the disk after each commit.
        Exec("PRAGMA synchronous=OFF");
    }
    ~Session() {
        for (const auto& [table, statement] : statements_)
            sqlite3_finalize(statement);
        sqlite3_close(db_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs SQL text of one or more statements, schema text too (as the demo generator does).
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error != nullptr ? error : sqlite3_errmsg(db_);
            sqlite3_free(error);
            throw std::runtime_error(message + " in: " + sql.substr(0, 200));
        }
    }

    // Inserts one row of `values` into `table`, through a statement prepared on first use.
    template <typename... Values>
    void Insert(const char* table, const Values&... values) {
        sqlite3_stmt*& statement = statements_[table];
        if (statement == nullptr) {
            std::string sql = std::string("INSERT INTO ") + table + " VALUES (?";
            for (std::size_t i = 1; i < sizeof...(values); ++i)
                sql += ", ?";
            if (sqlite3_prepare_v2(db_, (sql + ")").c_str(), -1, &statement, nullptr) != SQLITE_OK)
                throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
        }
        sqlite3_reset(statement);
        int index = 0;
        (Bind(statement, ++index, values), ...);
        if (sqlite3_step(statement) != SQLITE_DONE)
            throw std::runtime_error(std::string(sqlite3_errmsg(db_)) +
                                     " in: " + sqlite3_sql(statement));
    }

  private:
    static void Bind(sqlite3_stmt* s, int i, std::integral auto v) { sqlite3_bind_int64(s, i, v); }
    static void Bind(sqlite3_stmt* s, int i, double v) { sqlite3_bind_double(s, i, v); }
    static void Bind(sqlite3_stmt* s, int i, const std::string& v) {
        sqlite3_bind_text(s, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    template <typename T>
    static void Bind(sqlite3_stmt* s, int i, const std::optional<T>& v) {
        if (v)
            Bind(s, i, *v);
        else
            sqlite3_bind_null(s, i);
    }

    sqlite3* db_ = nullptr;
    // By table name, a literal of ForEachRow.
    std::map<std::string_view, sqlite3_stmt*> statements_;
};

// SQL literals for InsertStatements.
std::string Literal(std::integral auto value) {
    return std::to_string(value);
}
std::string Literal(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}
std::string Literal(const std::string& value) {
    std::string text = "'";
    for (const char c : value)
        text += c == '\'' ? std::string("''") : std::string(1, c);
    return text + "'";
}
template <typename T>
std::string Literal(const std::optional<T>& value) {
    return value ? Literal(*value) : "NULL";
}

template <typename... Columns>
std::string ValueList(const Columns&... values) {
    std::string text;
    ((text += (text.empty() ? "" : ", ") + Literal(values)), ...);
    return text;
}

// Calls add(table, values...) for every row of `rows`, table by table in the order of Rows,
// each row's values in its table's column order. A peak numbered 0 takes the number after
// the previous peak's.
template <typename Add>
void ForEachRow(const Rows& rows, Add&& add) {
    for (const Folder& f : rows.folders)
        add("FOLDER_OBJECT", f.id, f.parent, f.name, f.type, f.updateable);
    for (const Spot& s : rows.spots)
        add("SPOT", s.id, s.spotSet, s.label, s.name, s.type);
    for (const JobRun& r : rows.jobRuns)
        add("JOB_RUN", r.id, r.spotSet, r.opmode, r.submitted, r.started, r.finished);
    for (const Item& i : rows.items) {
        add("JOB_RUN_ITEM", i.id, i.jobRun, i.spot, i.precursor, i.acquired, i.processed,
            i.interpreted, i.status);
    }
    for (const PeakList& l : rows.peakLists)
        add("PEAK_LIST", l.id, l.item);
    int number = 0;
    for (const Peak& p : rows.peaks) {
        number = p.number != 0 ? p.number : number + 1;
        add("PEAK", p.list, number, p.centroid, p.area, p.signalToNoise, p.isotopicFlag, p.apex);
    }
}

}  // namespace

Rows& Rows::Spectrum(std::int64_t id, std::int64_t jobRun, const std::string& label,
                     Number precursor, std::int64_t spotSet) {
    spots.push_back({id, spotSet, label, {}, {}});
    items.push_back({id, jobRun, id, precursor, {}, {}, {}, 9});
    peakLists.push_back({id, id});
    return *this;
}

Rows& Rows::Peaks(std::int64_t list, const std::vector<std::pair<double, Number>>& more) {
    for (const auto& [centroid, area] : more)
        peaks.push_back({list, 0, centroid, area});
    return *this;
}

std::string InsertStatements(const Rows& rows) {
    std::string sql;
    ForEachRow(rows, [&sql](const char* table, const auto&... values) {
        sql += std::string("INSERT INTO ") + table + " VALUES (" + ValueList(values...) + ");\n";
    });
    return sql;
}

Rows SampleRows() {
    Rows rows;
    rows.folders = {{1, {}, "Root", kFolderType, 0},
                    {2, 1, "Projects"},
                    {3, 2, "Proj"},
                    {4, 3, "Set1", kSpotSetType}};
    rows.spots = {{40, 4, "A1", "digest", "Sample"}, {41, 4, "A2", {}, {}}};
    rows.jobRuns = {{12, 4, "MS-MS 1 kV Positive", "2026-03-02 09:00:00", "2026-03-02 09:05:00",
                     "2026-03-02 10:15:30"},
                    {13, 4, "MS Reflector Positive", {}, {}, {}}};
    rows.items = {{345, 12, 40, 1234.56789, "Acquired", "Processed", "Interpreted", 9},
                  {346, 12, 41, {}, {}, {}, {}, 3},
                  {350, 13, 40, {}, "Acquired", "Processed", {}, 9}};
    rows.peakLists = {{1001, 345}, {1002, 350}, {1003, 346}};
    rows.peaks = {{1001, 1, 175.11895, 1500.5, 42.25, 1, 310.0},
                  {1001, 2, 176.1223, 300, 8.5, 0, {}},
                  {1002, 1, 1234.56789, {}, {}, 1, {}}};
    return rows;
}

Rows ProjectsWithSet1() {
    Rows rows;
    rows.folders = {{2, {}, "Projects"}, {3, 2, "Set1", kSpotSetType}};
    return rows;
}

FixtureDatabase::FixtureDatabase(const Rows& rows, bool baseViews)
    : folder_(MakeTemporaryFolder()), path_(folder_ + "/test.sqlite"), ownsFolder_(true) {
    try {
        Create(rows, baseViews);
    } catch (...) {
        RemoveTree(folder_);
        throw;
    }
}

FixtureDatabase::FixtureDatabase(const std::string& path, const Rows& rows, bool baseViews)
    : folder_(std::filesystem::path(path).parent_path().string()), path_(path) {
    std::filesystem::remove(path);
    Create(rows, baseViews);
}

FixtureDatabase::~FixtureDatabase() {
    if (ownsFolder_)
        RemoveTree(folder_);
}

void FixtureDatabase::Create(const Rows& rows, bool baseViews) {
    {
        Session session(path_);
        session.Exec(std::string(database::SchemaText(database::SchemaDialect::SQLite)));
        if (baseViews)
            session.Exec(std::string(database::BaseViewsText(database::SchemaDialect::SQLite)));
    }
    Add(rows);
}

void FixtureDatabase::Add(const Rows& rows) {
    Session session(path_);
    session.Exec("BEGIN");
    ForEachRow(rows, [&session](const char* table, const auto&... values) {
        session.Insert(table, values...);
    });
    session.Exec("COMMIT");
}

void FixtureDatabase::Run(const std::string& sql) {
    Session(path_).Exec(sql);
}

}  // namespace lumbrook::testing
