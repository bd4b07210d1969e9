// Job run 12 of numbered spectra and the file an export with the default filters makes of
// it, for the tests that export through the engine and through the object; an export of it
// through the engine; and the commands the database layer runs meanwhile.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/connection.h"
#include "export/export_peak_lists.h"
#include "support/fixture_database.h"

namespace lumbrook::testing {

// Job run 12 (of mode `opmode`) in spot set 3 with `count` spectra, ids 1..count, labelled
// L<id>, of precursor 1000 + id and one peak each: centroid 100 + id, area id + 0.5.
inline Rows JobRunSpectra(long count, const std::string& opmode = "MS-MS 1 kV") {
    Rows rows = ProjectsWithSet1();
    rows.jobRuns = {{12, 3, opmode}};
    for (long id = 1; id <= count; ++id) {
        rows.Spectrum(id, 12, "L" + std::to_string(id), 1000 + id)
            .Peaks(id, {{100 + id, id + 0.5}});
    }
    return rows;
}

// The block of spectrum `id` of JobRunSpectra, and the blocks of spectra 1 to `last`, as the
// export writes them.
inline std::string JobRunBlock(long id) {
    const std::string n = std::to_string(id);
    return "BEGIN IONS\r\nPEPMASS=" + std::to_string(1000 + id) +
           "\r\nCHARGE=1+\r\nTITLE=Label: L" + n + " Spot_Id: " + n + ", Peak_List_Id: " + n +
           ", MSMS Job_Run_Id: 12\r\n" + std::to_string(100 + id) + "\t" + n +
           ".5\r\nEND IONS\r\n\r\n";
}
inline std::string JobRunBlocks(long last) {
    std::string text;
    for (long id = 1; id <= last; ++id)
        text += JobRunBlock(id);
    return text;
}

// An export of job run 12 with the defaults of a new object, connected to `db` (a fixture
// database of either kind).
struct Export : exporting::ExportRequest {
    template <typename Database>
    explicit Export(const Database& db)
        : ExportRequest{.jobRunId = 12,
                        .allSpectra = true,
                        .msType = "MS-MS",
                        .filter = {.s2n = 10, .monoisotopic = 1, .minMass = 60, .maxMass = 20}},
          connection(std::make_unique<database::Connection>()) {
        connection->Open(db.ConnectionString());
    }

    std::unique_ptr<database::Connection> connection;

    bool Run(const std::string& outFile) {
        exporting::ExportListener quiet;
        return Run(outFile, quiet);
    }
    bool Run(const std::string& outFile, exporting::ExportListener& listener) {
        return exporting::ExportPeakLists(*this, outFile, connection, listener);
    }
};

// Records every command the database layer runs while it lives, and hands each to `also`,
// which may throw the error the command is to fail with.
class CommandLog {
  public:
    explicit CommandLog(std::function<void(const std::string&)> also = {}) {
        database::Connection::SetCommandObserver([this, also](const std::string& sql) {
            commands.push_back(sql);
            if (also)
                also(sql);
        });
    }
    ~CommandLog() { database::Connection::SetCommandObserver({}); }
    CommandLog(const CommandLog&) = delete;
    CommandLog& operator=(const CommandLog&) = delete;
    std::vector<std::string> commands;
};

// The peak queries among `commands`.
inline std::vector<std::string> PeakQueries(const std::vector<std::string>& commands) {
    std::vector<std::string> peaks;
    for (const auto& c : commands) {
        if (c.rfind("Select distinct CENTROID", 0) == 0)
            peaks.push_back(c);
    }
    return peaks;
}

}  // namespace lumbrook::testing
