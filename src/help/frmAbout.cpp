#include "frmAbout.h"

namespace quarvel {

frmAbout::frmAbout(Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quarvel"));
}

} // namespace quarvel
