#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace quarvel {

/** The standard 16-colour palette (entry 0 black ... entry 9 blue ... entry 15 white). */
QColor paletteColor(int entry);

/** The square logo of the splash: a box-and-whisker chart over a map grid. */
QPixmap drawLogo(int size);

/** The main window's 32 x 32, 16-colour icon: a small box-and-whisker drawing. */
QPixmap drawAppIcon();

/** The open button's 16 x 16, 16-colour picture of an opening folder. */
QPixmap drawOpenFolder();

} // namespace quarvel
