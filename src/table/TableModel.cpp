#include "TableModel.h"

#include <algorithm>

namespace quarvel {

TableModel::TableModel(std::shared_ptr<const Table> table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {
    setObjectName(QStringLiteral("Data1"));
}

TableModel::~TableModel() = default;

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->recordCount();
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->fieldCount() + 1;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() == 0) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return table_->cellText(index.row(), index.column() - 1);
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = table_->fieldKind(index.column() - 1) == FieldKind::Number;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section == 0 ? QString() : table_->fieldName(section - 1);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString TableModel::gridText(int row, int column) const {
    if (column <= 0 || column >= gridColumnCount() || row < 0 || row >= gridRowCount()) {
        return {};
    }
    if (row == 0) {
        return table_->fieldName(column - 1);
    }
    return table_->cellText(row - 1, column - 1);
}

int TableModel::suggestedColumnWidth(int column, int averageCharWidth) const {
    if (column <= 0 || column >= gridColumnCount()) {
        return 0;
    }
    const int chars = std::max<int>(table_->fieldWidth(column - 1),
                                    static_cast<int>(table_->fieldName(column - 1).size()) + 2);
    return std::clamp(chars * averageCharWidth + 8, 40, 320);
}

} // namespace quarvel
