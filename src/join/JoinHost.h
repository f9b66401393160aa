#pragma once

#include "Table.h"

#include <QString>

#include <memory>

namespace quarvel {

/**
 * What the join window needs of the main window: the table it shows, the field chosen in
 * its field list, and its status line.
 */
class JoinHost {
public:
    virtual ~JoinHost() = default;

    /** The table the main window shows, or nullptr while none is loaded. */
    virtual std::shared_ptr<const Table> shownTable() const = 0;
    /** The field chosen in the field list (an index into the table's fields), or -1. */
    virtual int analysedField() const = 0;
    virtual void setStatusText(const QString& text) = 0;
    /** Moves the grid's current cell to a record's cell of a field (both from 0). */
    virtual void setGridCurrentCell(int record, int field) = 0;
};

} // namespace quarvel
