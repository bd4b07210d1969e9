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

    // Index of a column by its exact name; -1 when there is none.
    int Column(const std::string& name) const;
};

// Reads QueryListing's text. std::runtime_error when it is not in that form.
Table ParseListingText(const std::string& text);

// Runs one listing query through the object. On failure prints the object's error and
// returns nothing, with `status` set to the exit status.
std::optional<Table> QueryTable(ILumbrookHostSupport& support, LONG listing, LONG id, int& status);

// A spot set with the names of the folders above it below the root, then its own name,
// joined by "/".
struct SpotSet {
    long id = 0;
    std::string path;
};

// Every spot set below the root folder, found by running the folder query once a folder,
// as expanding every node of the browser's tree would; each level in the query's order.
std::optional<std::vector<SpotSet>> WalkSpotSets(ILumbrookHostSupport& support, int& status);

// The spot set below the root that `text` names: by its id when it is all digits, else by
// its path. Prints why not and sets `status` when the walk finds no such spot set.
std::optional<SpotSet> FindSpotSet(ILumbrookHostSupport& support, const std::string& text,
                                   int& status);

}  // namespace lumbrook::host
