#include "DbfTableModel.h"

#include <algorithm>

namespace quarvel {

DbfTableModel::DbfTableModel(std::shared_ptr<const DbfTable> table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {
    setObjectName(QStringLiteral("Data1"));
}

DbfTableModel::~DbfTableModel() = default;

int DbfTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->recordCount();
}

int DbfTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->fieldCount() + 1;
}

QVariant DbfTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() == 0) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return table_->cellText(index.row(), index.column() - 1);
    }
    if (role == Qt::TextAlignmentRole) {
        const char type = table_->fieldLayout(index.column() - 1).type;
        const bool number = type == 'N' || type == 'F';
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant DbfTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section == 0 ? QString() : table_->fieldName(section - 1);
}

Qt::ItemFlags DbfTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString DbfTableModel::gridText(int row, int column) const {
    if (column <= 0 || column >= gridColumnCount() || row < 0 || row >= gridRowCount()) {
        return {};
    }
    if (row == 0) {
        return table_->fieldName(column - 1);
    }
    return table_->cellText(row - 1, column - 1);
}

int DbfTableModel::suggestedColumnWidth(int column, int averageCharWidth) const {
    if (column <= 0 || column >= gridColumnCount()) {
        return 0;
    }
    const DbfFieldLayout& field = table_->fieldLayout(column - 1);
    const int chars = std::max<int>(field.width, static_cast<int>(field.name.size()) + 2);
    return std::clamp(chars * averageCharWidth + 8, 40, 320);
}

} // namespace quarvel
