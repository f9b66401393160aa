#include "frmJoin.h"

namespace quarvel {

frmJoin::frmJoin(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmJoin"));
    setWindowTitle(QStringLiteral("Create Join-able file"));
}

} // namespace quarvel
