// lumbrook list: what the database holds, with the data browser's own queries: the spot
// sets below the project folders, the job runs of a spot set, the completed items of a job
// run.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "command.h"
#include "connect_options.h"
#include "deadline.h"
#include "listing.h"
#include "number_options.h"
#include "server.h"
#include "table_output.h"

namespace lumbrook::host {
namespace {

struct ListOptions {
    ConnectOptions connection;
    Deadline deadline;
    std::string format = "text";
    std::string spotSet;
    long jobRun = 0;
};

const std::string kListExitStatus =
    "Examples:\n"
    "  lumbrook list spot-sets -c 'Provider=SQLite;Data Source=lab.sqlite'\n"
    "  lumbrook list job-runs --spot-set 'Plates/Set1' --format tsv\n"
    "  lumbrook list items --job-run 12 --format json\n\n" +
    ExitStatusHelp(
        {{kExitOk, "listed"},
         {kExitFailed, "the connection failed, a query failed, or there is no such spot set"}});

void DeclareCommon(CLI::App& app, ListOptions& options) {
    options.connection.Declare(app);
    options.deadline.Declare(app);
    app.add_option("--format", options.format,
                   "text: aligned columns; tsv: a header line, then a line a row; json: an "
                   "array of objects")
        ->check(CLI::IsMember({"text", "tsv", "json"}).description(""))
        ->type_name("text|tsv|json")
        ->capture_default_str();
    app.footer(kListExitStatus);
}

// The job-run list's columns for tsv and json: id, finish time, mode.
Table JobRunColumns(const Table& rows) {
    Table table;
    table.columns = {"JOB_RUN_ID", "JOB_FINISH_TIME", "OPMODE_NAME"};
    for (const auto& row : rows.rows) {
        std::vector<Cell> cells;
        for (const std::string& name : table.columns) {
            const int index = rows.Column(name);
            cells.push_back(index >= 0 ? row[index] : Cell{});
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

TableFormat FormatNamed(const std::string& name) {
    return name == "json"  ? TableFormat::Json
           : name == "tsv" ? TableFormat::Tsv
                           : TableFormat::Text;
}

int RunList(CLI::App& app, const ListOptions& options) {
    options.deadline.Start();
    const TableFormat format = FormatNamed(options.format);
    std::string error;
    LumbrookPtr object = CreateLumbrook(error);
    if (!object) {
        std::cerr << "lumbrook: " << error << "\n";
        return kExitFailed;
    }
    if (const int status = options.connection.Apply(*object); status != kExitOk)
        return status;
    if (const int status = ConnectObject(*object, "list"); status != kExitOk)
        return status;
    const auto support = HostSupport2(*object);
    if (!support)
        return kExitObjectError;

    int status = kExitOk;
    if (app.got_subcommand("spot-sets")) {
        const auto spotSets = WalkSpotSets(*support, status);
        if (!spotSets)
            return status;
        Table table;
        table.columns = {"SPOT_SET_ID", "PATH"};
        for (const SpotSet& spotSet : *spotSets)
            table.rows.push_back({{'I', std::to_string(spotSet.id)}, {'T', spotSet.path}});
        WriteTable(std::cout, table, format);
        return kExitOk;
    }
    if (app.got_subcommand("job-runs")) {
        const auto spotSet = FindSpotSet(*support, options.spotSet, "--spot-set", status);
        if (!spotSet)
            return status;
        const auto rows = QueryTable(*support, LUMBROOK_LISTING_JOB_RUNS, spotSet->id, status);
        if (!rows)
            return status;
        if (format != TableFormat::Text) {
            WriteTable(std::cout, JobRunColumns(*rows), format);
            return kExitOk;
        }
        // The entries as the browser's job-run list shows them, made by the library.
        const int entryColumn = rows->Column("ENTRY");
        for (const auto& row : rows->rows)
            std::cout << (entryColumn >= 0 ? row[entryColumn].text : std::string()) << "\n";
        return kExitOk;
    }
    const auto rows = QueryTable(*support, LUMBROOK_LISTING_ITEMS, options.jobRun, status);
    if (!rows)
        return status;
    WriteTable(std::cout, *rows, format);
    return kExitOk;
}

Runner DefineList(CLI::App& app) {
    auto options = std::make_shared<ListOptions>();
    app.require_subcommand(1);
    app.footer(kListExitStatus);

    CLI::App* spotSets = app.add_subcommand(
        "spot-sets", "every spot set below the project folders, with its folder path");
    DeclareCommon(*spotSets, *options);

    CLI::App* jobRuns =
        app.add_subcommand("job-runs", "the job runs of a spot set: id, finish time, mode");
    DeclareCommon(*jobRuns, *options);
    jobRuns
        ->add_option("--spot-set", options->spotSet,
                     "the spot set: its id, or its path as 'list spot-sets' prints it")
        ->type_name("ID|PATH")
        ->required();

    CLI::App* items = app.add_subcommand(
        "items", "the completed items of a job run, with the browser's item columns");
    DeclareCommon(*items, *options);
    items->add_option("--job-run", options->jobRun, "the job run's id")
        ->type_name("N")
        ->required()
        ->transform(WholeNumber())
        ->check(CLI::Range(1L, 2147483647L));

    return [&app, options] { return RunList(app, *options); };
}

const Registration kList{{"list", "list spot sets, job runs or items in the database", DefineList}};

}  // namespace
}  // namespace lumbrook::host
