#include "listing.h"

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
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == name)
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

std::optional<Table> QueryTable(ILumbrookHostSupport& support, LONG listing, LONG id, int& status) {
    BSTR text = nullptr;
    if (const HRESULT hr = support.QueryListing(listing, id, &text); FAILED(hr)) {
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

std::optional<std::vector<SpotSet>> WalkSpotSets(ILumbrookHostSupport& support, int& status) {
    std::vector<SpotSet> spotSets;
    // A folder already walked is not walked again: a database whose folders form a loop
    // would otherwise never finish.
    std::set<long> walked;
    struct Pending {
        long id;
        std::string path;
    };
    std::vector<Pending> stack{{2, ""}};
    while (!stack.empty()) {
        const Pending folder = stack.back();
        stack.pop_back();
        if (!walked.insert(folder.id).second)
            continue;
        const std::optional<Table> rows =
            QueryTable(support, LUMBROOK_LISTING_FOLDER, static_cast<LONG>(folder.id), status);
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
            const long id = std::stol(row[idColumn].text);
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

std::optional<SpotSet> FindSpotSet(ILumbrookHostSupport& support, const std::string& text,
                                   int& status) {
    const auto all = WalkSpotSets(support, status);
    if (!all)
        return std::nullopt;
    const bool byId = AllDigits(text);
    for (const SpotSet& spotSet : *all) {
        if (byId ? std::to_string(spotSet.id) == text : spotSet.path == text)
            return spotSet;
    }
    std::cerr << "lumbrook: no spot set " << text << " below Projects\n";
    status = kExitFailed;
    return std::nullopt;
}

}  // namespace lumbrook::host
