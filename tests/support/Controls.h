#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace quarvel::testing {

/** A window's control found by its object name; ends the test program when it is missing. */
template <typename Control>
Control* child(const QObject* window, const char* name) {
    auto* control = window->findChild<Control*>(QLatin1String(name));
    if (control == nullptr) {
        qFatal("no control named %s", name);
    }
    return control;
}

} // namespace quarvel::testing
