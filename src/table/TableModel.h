#pragma once

#include "Table.h"

#include <QAbstractTableModel>

#include <memory>

namespace quarvel {

/**
 * The grid's view of a loaded table. Qt's view shows the field names as its header and
 * the records as rows 0.. of the model; model column 0 carries no field (the grid hides
 * it) and column c shows field c - 1.
 *
 * The rest of the program sees the grid as a whole: row 0 holds the field names and rows
 * 1 to gridRowCount() - 1 the records; column 0 is empty. gridText() reads any of it.
 */
class TableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TableModel(std::shared_ptr<const Table> table, QObject* parent = nullptr);
    ~TableModel() override;

    const Table& table() const { return *table_; }
    /** The table, to be kept by whoever needs it beyond the grid's life. */
    std::shared_ptr<const Table> sharedTable() const { return table_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int gridRowCount() const { return table_->recordCount() + 1; }
    int gridColumnCount() const { return table_->fieldCount() + 1; }
    QString gridText(int row, int column) const;

    /** A width in pixels that shows the field's name and values of its stored width. */
    int suggestedColumnWidth(int column, int averageCharWidth) const;

private:
    std::shared_ptr<const Table> table_;
};

} // namespace quarvel
