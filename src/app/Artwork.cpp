#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace quarvel {

QColor paletteColor(int entry) {
    // Black, blue, green, cyan, red, magenta, brown, light grey, then their bright forms.
    static constexpr std::array<QRgb, 16> kPalette = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xc0c0c0,
        0x808080, 0x0000ff, 0x00ff00, 0x00ffff, 0xff0000, 0xff00ff, 0xffff00, 0xffffff};
    return QColor::fromRgb(kPalette[static_cast<std::size_t>(entry & 15)]);
}

QPixmap drawLogo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // The tile takes the left four fifths of the square, clear of the titles beside it.
    p.translate(0, size * 0.1);
    p.scale(0.8, 0.8);
    const double s = size;

    // A rounded tile with a light map grid, like a sheet of a field survey.
    QLinearGradient sky(0, 0, 0, s);
    sky.setColorAt(0, QColor(232, 242, 250));
    sky.setColorAt(1, QColor(196, 218, 236));
    p.setPen(QPen(QColor(40, 70, 120), s / 60));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.08, s * 0.08);
    p.setPen(QPen(QColor(150, 180, 210), s / 150));
    for (int i = 1; i < 6; ++i) {
        p.drawLine(QPointF(s * 0.03 + i * s * 0.94 / 6, s * 0.06),
                   QPointF(s * 0.03 + i * s * 0.94 / 6, s * 0.94));
        p.drawLine(QPointF(s * 0.06, s * 0.03 + i * s * 0.94 / 6),
                   QPointF(s * 0.94, s * 0.03 + i * s * 0.94 / 6));
    }

    // A contour line across the sheet.
    QPainterPath contour;
    contour.moveTo(s * 0.08, s * 0.30);
    contour.cubicTo(s * 0.35, s * 0.12, s * 0.60, s * 0.42, s * 0.92, s * 0.22);
    p.setPen(QPen(QColor(110, 160, 90), s / 70));
    p.setBrush(Qt::NoBrush);
    p.drawPath(contour);

    // The box-and-whisker chart: whisker, box, median, end bars and two outliers.
    const double y = s * 0.62;
    const double h = s * 0.20;
    p.setPen(QPen(Qt::black, s / 70, Qt::DashLine));
    p.drawLine(QPointF(s * 0.16, y), QPointF(s * 0.80, y));
    p.setPen(QPen(Qt::black, s / 60));
    p.drawLine(QPointF(s * 0.16, y - h * 0.35), QPointF(s * 0.16, y + h * 0.35));
    p.drawLine(QPointF(s * 0.80, y - h * 0.35), QPointF(s * 0.80, y + h * 0.35));
    p.setBrush(QColor(0, 0, 255));
    p.drawRect(QRectF(s * 0.34, y - h / 2, s * 0.28, h));
    p.setPen(QPen(Qt::black, s / 45));
    p.drawLine(QPointF(s * 0.45, y - h * 0.65), QPointF(s * 0.45, y + h * 0.65));
    p.setPen(QPen(QColor(200, 0, 0), s / 80));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s * 0.88, y), s * 0.025, s * 0.025);
    p.drawEllipse(QPointF(s * 0.08 + s * 0.02, y), s * 0.025, s * 0.025);

    // The axis below.
    p.setPen(QPen(QColor(0, 0, 255), s / 80));
    p.drawLine(QPointF(s * 0.10, s * 0.86), QPointF(s * 0.90, s * 0.86));
    for (int i = 0; i <= 4; ++i) {
        const double x = s * 0.10 + i * s * 0.20;
        p.drawLine(QPointF(x, s * 0.86), QPointF(x, s * 0.83));
    }
    return pixmap;
}

QPixmap drawAppIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(paletteColor(0));
    // Whiskers ending in bars.
    p.drawLine(3, 16, 9, 16);
    p.drawLine(23, 16, 28, 16);
    p.drawLine(3, 12, 3, 20);
    p.drawLine(28, 12, 28, 20);
    // The box with the median across it.
    p.setBrush(paletteColor(9));
    p.drawRect(9, 10, 14, 12);
    p.drawLine(14, 8, 14, 24);
    // A few loose points.
    p.setPen(paletteColor(12));
    p.setBrush(paletteColor(12));
    p.drawRect(0, 15, 1, 1);
    p.drawRect(30, 15, 1, 1);
    p.drawRect(30, 11, 1, 1);
    return pixmap;
}

QPixmap drawOpenFolder() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor dark = paletteColor(0);
    const QColor back = paletteColor(6);   // dark yellow
    const QColor front = paletteColor(14); // yellow
    // The back of the folder with its tab.
    p.setPen(dark);
    p.setBrush(back);
    p.drawPolygon(QPolygon(
        {QPoint(1, 3), QPoint(5, 3), QPoint(6, 4), QPoint(12, 4), QPoint(12, 13), QPoint(1, 13)}));
    // The open front, leaning forward.
    p.setBrush(front);
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(12, 13), QPoint(1, 13)}));
    return pixmap;
}

} // namespace quarvel
