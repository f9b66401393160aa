#include "frmView.h"

namespace quarvel {

frmView::frmView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("View Plot"));
}

} // namespace quarvel
