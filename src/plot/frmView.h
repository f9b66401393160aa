#pragma once

#include <QWidget>

namespace quarvel {

/** the plot window: a single instance, shown modeless without an owner. */
class frmView : public QWidget {
    Q_OBJECT

public:
    explicit frmView(QWidget* parent = nullptr);
};

} // namespace quarvel
