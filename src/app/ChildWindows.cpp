#include "ChildWindows.h"

namespace quarvel {

void ChildWindows::setFactory(ChildWindow which, Factory factory) {
    factories_[which] = std::move(factory);
}

QWidget* ChildWindows::show(ChildWindow which) {
    std::unique_ptr<QWidget>& window = instances_[which];
    if (!window) {
        const auto factory = factories_.find(which);
        if (factory == factories_.end() || !factory->second) {
            return nullptr;
        }
        window = factory->second();
        if (!window) {
            return nullptr;
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.get();
}

QWidget* ChildWindows::instance(ChildWindow which) const {
    const auto found = instances_.find(which);
    return found == instances_.end() ? nullptr : found->second.get();
}

} // namespace quarvel
