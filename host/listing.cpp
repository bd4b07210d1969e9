#include "listing.h"

#include <algorithm>
#include <iostream>
#include <set>
#include <stdexcept>

#include "command.h"
#include "server.h"

namespace lumbrook::host {
namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            throw std::runtime_error("listing text ends inside an escape");
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                throw std::runtime_error("unknown escape in listing text");
        }
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        pieces.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return pieces;
        start = tab + 1;
    }
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int Table::Column(const std::string& name) const {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (std::equal(columns[i].begin(), columns[i].end(), name.begin(), name.end(),
                       [&](char a, char b) { return fold(a) == fold(b); }))
            return static_cast<int>(i);
    }
    return -1;
}

Table ParseListingText(const std::string& text) {
    Table table;
    std::size_t start = 0;
    bool header = true;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            throw std::runtime_error("listing text does not end with a line break");
        const std::vector<std::string> pieces = SplitTabs(text.substr(start, end - start));
        start = end + 1;
        if (header) {
            for (const std::string& name : pieces)
                table.columns.push_back(Unescape(name));
            header = false;
            continue;
        }
        if (pieces.size() != table.columns.size())
            throw std::runtime_error("a listing row has the wrong number of cells");
        std::vector<Cell> row;
        for (const std::string& piece : pieces) {
            if (piece.empty() || std::string("NIRTD").find(piece[0]) == std::string::npos)
                throw std::runtime_error("a listing cell has no known kind");
            row.push_back({piece[0], Unescape(piece.substr(1))});
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::optional<Table> QueryTable(ILumbrookHostSupport2& support, LONG listing, LONGLONG id,
                                int& status) {
    BSTR text = nullptr;
    if (const HRESULT hr = support.QueryListingById(listing, id, &text); FAILED(hr)) {
        status = ReportObjectError("listing", hr);
        return std::nullopt;
    }
    try {
        return ParseListingText(TakeText(text));
    } catch (const std::runtime_error& e) {
        std::cerr << "lumbrook: " << e.what() << "\n";
        status = kExitFailed;
        return std::nullopt;
    }
}

std::optional<std::vector<SpotSet>> WalkSpotSets(ILumbrookHostSupport2& support, int& status) {
    std::vector<SpotSet> spotSets;
    // A folder already walked is not walked again: a database whose folders form a loop
    // would otherwise never finish.
    std::set<long long> walked;
    struct Pending {
        long long id;
        std::string path;
    };
    std::vector<Pending> stack{{2, ""}};
    while (!stack.empty()) {
        const Pending folder = stack.back();
        stack.pop_back();
        if (!walked.insert(folder.id).second)
            continue;
        const std::optional<Table> rows =
            QueryTable(support, LUMBROOK_LISTING_FOLDER, folder.id, status);
        if (!rows)
            return std::nullopt;
        const int idColumn = rows->Column("FOLDER_OBJECT_ID");
        const int nameColumn = rows->Column("NAME");
        const int typeColumn = rows->Column("OBJECT_TYPE");
        if (idColumn < 0 || nameColumn < 0 || typeColumn < 0) {
            std::cerr << "lumbrook: the folder query lacks a column\n";
            status = kExitFailed;
            return std::nullopt;
        }
        // Folders go on the stack in reverse, so that they are walked in the query's order
        // and each folder's spot sets come right after its own.
        std::vector<Pending> subfolders;
        for (const std::vector<Cell>& row : rows->rows) {
            if (row[idColumn].kind != 'I')
                continue;  // a folder object without an id cannot be listed or exported
            long long id = 0;
            try {
                id = std::stoll(row[idColumn].text);
            } catch (const std::out_of_range&) {
                std::cerr << "lumbrook: folder " << folder.path << " holds an id beyond 64 bits\n";
                status = kExitFailed;
                return std::nullopt;
            }
            const std::string path = folder.path.empty() ? row[nameColumn].text
                                                         : folder.path + "/" + row[nameColumn].text;
            if (row[typeColumn].text == "2")
                subfolders.push_back({id, path});
            else
                spotSets.push_back({id, path});
        }
        stack.insert(stack.end(), subfolders.rbegin(), subfolders.rend());
    }
    return spotSets;
}

std::optional<SpotSet> FindSpotSet(ILumbrookHostSupport2& support, const std::string& text,
                                   const std::string& option, int& status) {
    const bool byId = AllDigits(text);
    // A spot set's id goes into the object's 32-bit properties and the exports' names.
    if (byId && (text.size() > 10 || std::stoll(text) > 2147483647LL))
        throw UsageError(option + ": the spot set id " + text + " is beyond 32 bits");
    const long long id = byId ? std::stoll(text) : 0;
    const auto all = WalkSpotSets(support, status);
    if (!all)
        return std::nullopt;
    std::vector<SpotSet> found;
    for (const SpotSet& spotSet : *all) {
        if (byId ? spotSet.id == id : spotSet.path == text)
            found.push_back(spotSet);
    }
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        std::cerr << "lumbrook: no spot set " << text << " below Projects\n";
    } else {
        // Two spot sets of one path: taking the first would export the wrong one.
        std::cerr << "lumbrook: " << found.size() << " spot sets have the path " << text << " (ids";
        for (const SpotSet& spotSet : found)
            std::cerr << " " << spotSet.id;
        std::cerr << "); give " << option << " the id of the one meant\n";
    }
    status = kExitFailed;
    return std::nullopt;
}

std::vector<LONG> JobRunIds(const Table& jobRuns, const SpotSet& spotSet, int& status) {
    std::vector<LONG> ids;
    std::set<long long> seen;
    const int idColumn = jobRuns.Column("JOB_RUN_ID");
    if (idColumn < 0) {
        std::cerr << "lumbrook: the job-run query lacks a column\n";
        status = kExitFailed;
        return ids;
    }
    for (const std::vector<Cell>& row : jobRuns.rows) {
        const Cell& cell = row[idColumn];
        long long id = 0;
        bool valid = cell.kind == 'I';
        if (valid) {
            try {
                id = std::stoll(cell.text);
            } catch (const std::out_of_range&) {
                valid = false;
            }
        }
        if (!valid || id < -2147483648LL || id > 2147483647LL) {
            std::cerr << "lumbrook: spot set " << spotSet.id << ": job run "
                      << (cell.kind != 'N' ? cell.text : "(no id)")
                      << " cannot be exported: its id is not an integer of 32 bits\n";
            status = kExitFailed;
            continue;
        }
        if (seen.insert(id).second)
            ids.push_back(static_cast<LONG>(id));
    }
    return ids;
}

}  // namespace lumbrook::host
