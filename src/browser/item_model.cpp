#include "browser/item_model.h"

#include <cstdint>
#include <variant>

#include "browser/value_text.h"

namespace lumbrook::browser {

ItemTableModel::ItemTableModel(database::Recordset records, QObject* parent)
    : QAbstractTableModel(parent), records_(std::move(records)) {}

int ItemTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.RecordCount());
}

int ItemTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : records_.ColumnCount();
}

QVariant ItemTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const database::Value& value = records_.At(index.row() + 1, index.column());
    if (role == Qt::TextAlignmentRole) {
        // Numbers line up on their last digit; text and times read from the left.
        const bool number =
            std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value);
        return static_cast<int>(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole)
        return {};
    return ValueText(value);
}

QVariant ItemTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        return QString::fromStdString(records_.ColumnName(section));
    }
    return QString();  // the record selectors carry no text
}

Qt::ItemFlags ItemTableModel::flags(const QModelIndex& index) const {
    // Selectable, never editable: the grid is bound read-only.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace lumbrook::browser
