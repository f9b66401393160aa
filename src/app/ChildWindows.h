#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace quarvel {

enum class ChildWindow { View, Join, About, Map, Groups };

/**
 * The single instances of the child windows. Each is created on first use by its factory
 * and shown modeless without an owner; showing it again while it is open shows the same
 * instance. Closing a child window unloads it (it is destroyed), so the next show creates
 * a fresh one. The main window being closed leaves the children open.
 */
class ChildWindows {
public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    ChildWindows() = default;
    ChildWindows(const ChildWindows&) = delete;
    ChildWindows& operator=(const ChildWindows&) = delete;
    ~ChildWindows();

    void setFactory(ChildWindow which, Factory factory);

    /** Creates the window if it is not loaded, then shows and raises it. */
    QWidget* show(ChildWindow which);

    /** The loaded window, or nullptr. */
    QWidget* instance(ChildWindow which) const;

private:
    std::map<ChildWindow, Factory> factories_;
    std::map<ChildWindow, QPointer<QWidget>> instances_;
};

} // namespace quarvel
