// QueryListing: the data browser's listing queries for hosts without a window, with their
// rows handed over as escaped, kind-tagged text (the format is described in lumbrook.h).
#include <cstdio>

#include "automation/lumbrook_object.h"
#include "database/database_error.h"
#include "database/listing_queries.h"
#include "database/listing_text.h"
#include "database/recordset.h"
#include "lumbrook/bstr.h"
#include "platform/com/error_info.h"

namespace lumbrook::automation {
namespace {

// A text cell with backslash, tab and line breaks escaped, so that tabs and line ends keep
// separating cells and rows.
void AppendEscaped(std::string& out, const std::string& text) {
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

// One cell: a kind letter (I integer, R real, T text, D date and time, N null) and the value.
void AppendCell(std::string& out, const database::Value& value) {
    char text[64];
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        out += 'I';
        out += std::to_string(*integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        out += 'R';
        out += database::DisplayText(*real);
    } else if (const auto* string = std::get_if<std::string>(&value)) {
        out += 'T';
        AppendEscaped(out, *string);
    } else if (const auto* when = std::get_if<database::DateTime>(&value)) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when->year, when->month,
                      when->day, when->hour, when->minute, when->second);
        out += 'D';
        out += text;
    } else {
        out += 'N';
    }
}

// The rows as the listing's transfer text: a line of column names, then a line per row, cells
// separated by tabs. With `asTheQueryNamesThem` the names are given in upper case, as the
// listing queries write their unquoted names (a server such as PostgreSQL reports them folded
// to lower case), and the job-run listing gets its list entries as a last column ENTRY.
std::string RowsText(const database::Recordset& rows, bool asTheQueryNamesThem, bool jobRuns) {
    std::string out;
    for (int column = 0; column < rows.ColumnCount(); ++column) {
        if (column > 0)
            out += '\t';
        std::string name = rows.ColumnName(column);
        if (asTheQueryNamesThem) {
            for (char& c : name)
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        AppendEscaped(out, name);
    }
    const bool entries = asTheQueryNamesThem && jobRuns;
    if (entries)
        out += "\tENTRY";
    out += '\n';
    const int idColumn = rows.ColumnIndex("JOB_RUN_ID");
    const int finishColumn = rows.ColumnIndex("JOB_FINISH_TIME");
    const int modeColumn = rows.ColumnIndex("OPMODE_NAME");
    const auto at = [&](long row, int column) {
        return column >= 0 ? rows.At(row, column) : database::Value{};
    };
    for (long row = 1; row <= rows.RecordCount(); ++row) {
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            if (column > 0)
                out += '\t';
            AppendCell(out, rows.At(row, column));
        }
        if (entries) {
            out += '\t';
            AppendCell(out, database::JobRunEntryText(row, at(row, idColumn), at(row, finishColumn),
                                                      at(row, modeColumn)));
        }
        out += '\n';
    }
    return out;
}

}  // namespace

HRESULT LumbrookObject::QueryListing(LONG listing, LONG id, BSTR* pRows) {
    return RunListing(listing, id, false, pRows);
}

HRESULT LumbrookObject::QueryListingById(LONG listing, LONGLONG id, BSTR* pRows) {
    return RunListing(listing, id, true, pRows);
}

HRESULT LumbrookObject::RunListing(LONG listing, LONGLONG id, bool asTheQueryNamesThem,
                                   BSTR* pRows) {
    if (pRows == nullptr)
        return E_POINTER;
    *pRows = nullptr;
    std::string query;
    switch (listing) {
        case LUMBROOK_LISTING_FOLDER:
            query = database::FolderChildrenQuery(std::to_string(id));
            break;
        case LUMBROOK_LISTING_JOB_RUNS:
            query = database::JobRunsQuery(std::to_string(id));
            break;
        case LUMBROOK_LISTING_ITEMS:
            query = database::CompletedItemsQuery(id);
            break;
        default:
            return E_INVALIDARG;
    }
    if (!ownConnection_)
        return platform::RaiseError(E_FAIL, kErrorSource, "Connect first");
    try {
        const database::Recordset rows =
            ownConnection_->Execute(query, database::kCommandTimeoutSeconds);
        *pRows = platform::BstrFromUtf8(
            RowsText(rows, asTheQueryNamesThem, listing == LUMBROOK_LISTING_JOB_RUNS));
    } catch (const database::DatabaseError& e) {
        return platform::RaiseError(E_FAIL, kErrorSource, e.what());
    } catch (const std::bad_alloc&) {
        return platform::RaiseError(E_OUTOFMEMORY, kErrorSource, "Out of memory");
    }
    return *pRows == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace lumbrook::automation
