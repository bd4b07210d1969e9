// The item grid's data source: a read-only table model over the item recordset, one column
// per query column headed by its name, one row per record. The row ordinal (1 for the first
// row) is the bookmark the grid's selection is kept in.
#pragma once

#include <QAbstractTableModel>

#include "database/recordset.h"

namespace lumbrook::browser {

class ItemTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ItemTableModel(database::Recordset records, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The records, positioned as the grid's current row was last set.
    database::Recordset& Records() { return records_; }

  private:
    database::Recordset records_;
};

}  // namespace lumbrook::browser
