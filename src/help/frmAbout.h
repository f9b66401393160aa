#pragma once

#include "Platform.h"

#include <QWidget>

namespace quarvel {

/** the About box: a single instance, shown modeless without an owner. */
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(Platform& platform, QWidget* parent = nullptr);

private:
    Platform& platform_;
};

} // namespace quarvel
