#include "support/fixture_database.h"

#include <charconv>
#include <concepts>
#include <filesystem>

#include "database/demo/demo_writer.h"
#include "database/schema.h"

namespace lumbrook::testing {
namespace {

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

// The rows as INSERT text, taking the calls the demo writer takes.
struct InsertText {
    template <typename... Columns>
    void Row(const char* table, const Columns&... values) {
        sql += std::string("INSERT INTO ") + table + " VALUES (" + ValueList(values...) + ");\n";
    }
    // IS_UPDATEABLE is 1, as the demo writer writes it.
    void AddFolder(const auto&... values) { Row("FOLDER_OBJECT", values..., 1); }
    void AddSpot(const auto&... values) { Row("SPOT", values...); }
    void AddJobRun(const auto&... values) { Row("JOB_RUN", values...); }
    void AddItem(const auto&... values) { Row("JOB_RUN_ITEM", values...); }
    void AddPeakList(const auto&... values) { Row("PEAK_LIST", values...); }
    void AddPeak(const auto&... values) { Row("PEAK", values...); }

    std::string sql;
};

// Hands every row of `rows` to `writer` (a DemoWriter or an InsertText), table by table in
// the order of Rows. A peak numbered 0 takes the number after the previous peak's.
template <typename Writer>
void WriteRows(const Rows& rows, Writer& writer) {
    for (const Folder& f : rows.folders)
        writer.AddFolder(f.id, f.parent, f.name, f.type);
    for (const Spot& s : rows.spots)
        writer.AddSpot(s.id, s.spotSet, s.label, s.name, s.type);
    for (const JobRun& r : rows.jobRuns)
        writer.AddJobRun(r.id, r.spotSet, r.opmode, r.submitted, r.started, r.finished);
    for (const Item& i : rows.items) {
        writer.AddItem(i.id, i.jobRun, i.spot, i.precursor, i.acquired, i.processed, i.interpreted,
                       i.status);
    }
    for (const PeakList& l : rows.peakLists)
        writer.AddPeakList(l.id, l.item);
    int number = 0;
    for (const Peak& p : rows.peaks) {
        number = p.number != 0 ? p.number : number + 1;
        writer.AddPeak(p.list, number, p.centroid, p.area, p.signalToNoise, p.isotopicFlag, p.apex);
    }
}

// Writes `rows` into the database at `path`: a new one from `schema`, or with no schema the
// one there.
void Write(const std::string& path, std::string_view schema, const Rows& rows) {
    database::demo::DemoWriter writer(path, schema);
    WriteRows(rows, writer);
    writer.Finish();
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
    InsertText text;
    WriteRows(rows, text);
    return text.sql;
}

Rows SampleRows() {
    Rows rows;
    rows.folders = {
        {1, {}, "Root"}, {2, 1, "Projects"}, {3, 2, "Proj"}, {4, 3, "Set1", kSpotSetType}};
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

void AddListingTree(Rows& rows) {
    rows.folders.insert(rows.folders.end(), {{20, 2, "\xC3\x84rchiv\t2026"},
                                             {21, 2, "Empty"},
                                             {22, 20, "Inner"},
                                             {30, 22, "Plate \"B\"", kSpotSetType},
                                             {31, 20, "No runs", kSpotSetType}});
    rows.jobRuns.insert(rows.jobRuns.end(), {{40, 30, "MS-MS 1 kV", "2026-01-02 01:00:00",
                                              "2026-01-02 02:00:00", "2026-01-02 03:04:05"},
                                             {41, 30, "MS Reflector Positive"}});
    rows.spots.insert(rows.spots.end(),
                      {{900001, 30, "A1", "Sample A1", "Sample"}, {900002, 30, "A2"}});
    rows.items.insert(rows.items.end(),
                      {{900001, 40, 900001, 1234.56789, "Acquired", "Processed", {}, 9},
                       {900002, 40, 900002, 999.5, {}, {}, {}, 5},
                       {900003, 41, 900002, {}, {}, {}, {}, 9}});
    rows.peakLists.insert(rows.peakLists.end(),
                          {{900001, 900001}, {900002, 900002}, {900003, 900003}});
    rows.peaks.push_back({900001, 0, 300.25, 12.5});
}

std::string PeakViewWhere(const std::string& condition) {
    return "DROP VIEW PEAK_VIEW;\nCREATE VIEW PEAK_VIEW AS SELECT P.PEAK_LIST_ID AS PEAK_LIST_ID, "
           "L.JOB_RUN_ITEM_ID AS JOB_RUN_ITEM_ID, P.CENTROID AS CENTROID, P.AREA AS AREA, "
           "P.SIGNAL_TO_NOISE AS SIGNAL_TO_NOISE, P.ISOTOPIC_FLAG AS ISOTOPIC_FLAG FROM PEAK P "
           "JOIN PEAK_LIST L ON L.PEAK_LIST_ID = P.PEAK_LIST_ID WHERE " +
           condition + ";\n";
}

FixtureDatabase::FixtureDatabase(const Rows& rows, bool baseViews, PeakListIds ids)
    : owned_(std::in_place), folder_(owned_->path()), path_(folder_ + "/test.sqlite") {
    Create(rows, baseViews, ids);
}

FixtureDatabase::FixtureDatabase(const std::string& path, const Rows& rows, bool baseViews)
    : folder_(std::filesystem::path(path).parent_path().string()), path_(path) {
    std::filesystem::remove(path);
    Create(rows, baseViews);
}

void FixtureDatabase::Create(const Rows& rows, bool baseViews, PeakListIds ids) {
    std::string schema(database::SchemaText(database::SchemaDialect::SQLite));
    if (ids == PeakListIds::Text) {
        // The column of PEAK_LIST and of PEAK; text affinity stores the ids written as text.
        const std::string integer = "PEAK_LIST_ID INTEGER";
        for (std::size_t at = schema.find(integer); at != std::string::npos;
             at = schema.find(integer, at))
            schema.replace(at, integer.size(), "PEAK_LIST_ID TEXT");
    }
    if (baseViews)
        schema += database::BaseViewsText(database::SchemaDialect::SQLite);
    Write(path_, schema, rows);
}

void FixtureDatabase::Add(const Rows& rows) {
    Write(path_, {}, rows);
}

void FixtureDatabase::Run(const std::string& sql) {
    database::demo::DemoWriter writer(path_, {});
    writer.Execute(sql);
    writer.Finish();
}

}  // namespace lumbrook::testing
