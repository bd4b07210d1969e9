// What `lumbrook list` shows: the rows of the object's listing queries, read back from the
// text QueryListing hands over, and the spot sets found by walking the folder tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumbrook/lumbrook.h"

namespace lumbrook::host {

// One value: its kind as QueryListing tags it ('N' NULL, 'I' integer, 'R' real, 'T' text,
// 'D' date and time as YYYY-MM-DDTHH:MM:SS) and its text, unescaped.
struct Cell {
    char kind = 'N';
    std::string text;
};

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;

    // Index of a column by its name, ASCII letters matched without regard to case (a server
    // may report the names in another case than the query writes them); -1 when there is
    // none.
    int Column(const std::string& name) const;
};

// Reads QueryListing's text. std::runtime_error when it is not in that form.
Table ParseListingText(const std::string& text);

// Runs one listing query through the object (QueryListingById: names in the query's upper
// case, the job runs with their list entries). On failure prints the object's error and
// returns nothing, with `status` set to the exit status.
std::optional<Table> QueryTable(ILumbrookHostSupport2& support, LONG listing, LONGLONG id,
                                int& status);

// A spot set with the names of the folders above it below the root, then its own name,
// joined by "/".
struct SpotSet {
    long long id = 0;
    std::string path;
};

// Every spot set below the root folder, found by running the folder query once a folder,
// as expanding every node of the browser's tree would; each level in the query's order.
std::optional<std::vector<SpotSet>> WalkSpotSets(ILumbrookHostSupport2& support, int& status);

// The spot set below the root that `text` names: by its id when it is all digits, else by
// its path. Prints why not and sets `status` when the walk finds no such spot set, or more
// than one of that path. UsageError (naming `option`) for an id beyond 32 bits.
std::optional<SpotSet> FindSpotSet(ILumbrookHostSupport2& support, const std::string& text,
                                   const std::string& option, int& status);

// The ids of the job runs of a spot set's job-run listing, each once, in the listing's order
// (a job run with two finish times or modes has a row for each). A row whose id is not an
// integer of 32 bits, which no export can be asked for, is reported on stderr and sets
// `status` to kExitFailed.
std::vector<LONG> JobRunIds(const Table& jobRuns, const SpotSet& spotSet, int& status);

}  // namespace lumbrook::host
