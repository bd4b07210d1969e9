// A client-side row set: every row is fetched when the command runs, so the row count is
// known at once and the current row can be positioned by its 1-based number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/value.h"

namespace lumbrook::database {

class Recordset {
  public:
    Recordset() = default;
    // `cells` holds the rows one after the other, columnNames.size() values a row.
    Recordset(std::vector<std::string> columnNames, std::vector<Value> cells);

    // Number of rows.
    long RecordCount() const { return rowCount_; }
    int ColumnCount() const { return static_cast<int>(columnNames_.size()); }
    const std::string& ColumnName(int column) const { return columnNames_.at(column); }
    // Index of the column of that name, compared without regard to letter case; -1 if none.
    int ColumnIndex(std::string_view name) const;

    // Positioning. A fresh row set stands on row 1 (or at its end when it has no rows).
    void MoveFirst() { position_ = 1; }
    void MoveNext() {
        if (position_ <= rowCount_)
            ++position_;
    }
    // True once the position is past the last row (always for an empty row set).
    bool IsEOF() const { return position_ > rowCount_; }
    // The 1-based current row; RecordCount()+1 at the end.
    long AbsolutePosition() const { return position_; }
    // Moves to a 1-based row; DatabaseError when it lies outside 1..RecordCount().
    void SetAbsolutePosition(long row);

    // Value of a column of the current row, by name without regard to letter case.
    // DatabaseError when there is no such column or no current row.
    const Value& Field(std::string_view name) const;
    // Value of a column of the current row by index (no checks beyond at()).
    const Value& Field(int column) const { return At(position_, column); }
    // Value at a 1-based row and 0-based column, independent of the position.
    const Value& At(long row, int column) const {
        return cells_.at(static_cast<std::size_t>(row - 1) * columnNames_.size() +
                         static_cast<std::size_t>(column));
    }

  private:
    std::vector<std::string> columnNames_;
    std::vector<Value> cells_;
    long rowCount_ = 0;
    long position_ = 1;
};

}  // namespace lumbrook::database
