#pragma once

#include <QRect>

namespace quarvel {

/** Window layouts are given in twips; at 96 dots per inch a pixel is 15 twips. */
constexpr int kTwipsPerPixel = 15;

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

} // namespace quarvel
