#include "database/recordset.h"

#include "database/database_error.h"
#include "platform/base/ascii_case.h"

namespace lumbrook::database {

Recordset::Recordset(std::vector<std::string> columnNames, std::vector<Value> cells)
    : columnNames_(std::move(columnNames)), cells_(std::move(cells)) {
    // A statement without columns has no rows, whatever the cells say.
    rowCount_ = columnNames_.empty() ? 0 : static_cast<long>(cells_.size() / columnNames_.size());
    cells_.resize(static_cast<std::size_t>(rowCount_) * columnNames_.size());
}

int Recordset::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columnNames_.size(); ++i) {
        if (platform::EqualsIgnoringAsciiCase(columnNames_[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

void Recordset::SetAbsolutePosition(long row) {
    if (row < 1 || row > rowCount_) {
        throw DatabaseError("Row " + std::to_string(row) + " is outside the row set (1 to " +
                            std::to_string(rowCount_) + ")");
    }
    position_ = row;
}

const Value& Recordset::Field(std::string_view name) const {
    const int column = ColumnIndex(name);
    if (column < 0)
        throw DatabaseError("The row set has no column named " + std::string(name));
    if (IsEOF())
        throw DatabaseError("The row set has no current row (it is at its end)");
    return At(position_, column);
}

}  // namespace lumbrook::database
