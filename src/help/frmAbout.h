#pragma once

#include <QWidget>

namespace quarvel {

/** the About box: a single instance, shown modeless without an owner. */
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
};

} // namespace quarvel
