#pragma once

#include <QLatin1String>
#include <QRect>
#include <QWidget>

namespace quarvel {

/** Window layouts are given in twips; at 96 dots per inch a pixel is 15 twips. */
constexpr int kTwipsPerPixel = 15;

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

/** A new control of the given name at a fixed place in its parent. */
template <typename Widget>
Widget* placed(QWidget* parent, const char* name, const QRect& rect) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

} // namespace quarvel
