#pragma once

#include <QWidget>

#include <functional>
#include <map>
#include <memory>

namespace quarvel {

enum class ChildWindow { View, Join, About };

/**
 * The single instances of the child windows. Each is created on first use by its factory
 * and shown modeless without an owner; showing it again shows the same instance. The
 * instances outlive the main window being closed, so the program ends only when the last
 * window has closed.
 */
class ChildWindows {
public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    void setFactory(ChildWindow which, Factory factory);

    /** Creates the window if it does not exist yet, then shows and raises it. */
    QWidget* show(ChildWindow which);

    /** The window, or nullptr while it has not been created. */
    QWidget* instance(ChildWindow which) const;

private:
    std::map<ChildWindow, Factory> factories_;
    std::map<ChildWindow, std::unique_ptr<QWidget>> instances_;
};

} // namespace quarvel
