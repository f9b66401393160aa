#pragma once

#include <QString>

namespace quarvel {

class DbfTableModel;

/**
 * What the join window needs of the main window: the grid with its table, the field chosen
 * in the field list, and the status line.
 */
class JoinHost {
public:
    virtual ~JoinHost() = default;

    /** The grid's table model, or nullptr while no table is loaded. */
    virtual DbfTableModel* gridModel() const = 0;
    /** The selected position of the field list (-1 when nothing is selected). */
    virtual int analysedFieldPosition() const = 0;
    virtual void setStatusText(const QString& text) = 0;
};

} // namespace quarvel
