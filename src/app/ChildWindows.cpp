#include "ChildWindows.h"

namespace quarvel {

ChildWindows::~ChildWindows() {
    for (auto& [which, window] : instances_) {
        delete window.data();
    }
}

void ChildWindows::setFactory(ChildWindow which, Factory factory) {
    factories_[which] = std::move(factory);
}

QWidget* ChildWindows::show(ChildWindow which) {
    QPointer<QWidget>& window = instances_[which];
    if (window.isNull()) {
        const auto factory = factories_.find(which);
        if (factory == factories_.end() || !factory->second) {
            return nullptr;
        }
        std::unique_ptr<QWidget> made = factory->second();
        if (!made) {
            return nullptr;
        }
        made->setAttribute(Qt::WA_DeleteOnClose);
        window = made.release();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}

QWidget* ChildWindows::instance(ChildWindow which) const {
    const auto found = instances_.find(which);
    return found == instances_.end() ? nullptr : found->second.data();
}

} // namespace quarvel
