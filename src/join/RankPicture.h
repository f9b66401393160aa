#pragma once

#include <QPixmap>

namespace quarvel {

/**
 * The join window's 250 x 167 picture: a box-and-whisker chart cut by vertical lines at
 * the whisker ends, the box edges and the median into four regions, labelled "Rank" 1 to 4
 * along the bottom.
 */
QPixmap drawRankPicture();

} // namespace quarvel
