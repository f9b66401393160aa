#include "frmAbout.h"

namespace quarvel {

frmAbout::frmAbout(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quarvel"));
}

} // namespace quarvel
