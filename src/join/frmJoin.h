#pragma once

#include <QWidget>

namespace quarvel {

/** the join window: a single instance, shown modeless without an owner. */
class frmJoin : public QWidget {
    Q_OBJECT

public:
    explicit frmJoin(QWidget* parent = nullptr);
};

} // namespace quarvel
