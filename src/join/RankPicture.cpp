#include "RankPicture.h"

#include <QPainter>

namespace quarvel {

QPixmap drawRankPicture() {
    QPixmap pixmap(250, 167);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Whisker ends, box edges and median, left to right.
    const int lowEnd = 30;
    const int boxLeft = 90;
    const int median = 130;
    const int boxRight = 180;
    const int highEnd = 225;
    const int middle = 70;

    // The four regions' dividers run the height of the chart.
    p.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
    for (int x : {lowEnd, boxLeft, median, boxRight, highEnd}) {
        p.drawLine(x, 12, x, 128);
    }

    p.setPen(QPen(Qt::black, 1));
    p.drawLine(lowEnd, middle, boxLeft, middle);
    p.drawLine(boxRight, middle, highEnd, middle);
    p.drawLine(lowEnd, middle - 14, lowEnd, middle + 14);
    p.drawLine(highEnd, middle - 14, highEnd, middle + 14);
    p.fillRect(QRect(boxLeft, middle - 25, boxRight - boxLeft, 50), QColor(0, 0, 255));
    p.drawRect(QRect(boxLeft, middle - 25, boxRight - boxLeft, 50));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(median, middle - 34, median, middle + 34);

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::black);
    const int edges[] = {lowEnd, boxLeft, median, boxRight, highEnd};
    for (int region = 0; region < 4; ++region) {
        const QRect below(edges[region], 132, edges[region + 1] - edges[region], 16);
        p.drawText(below, Qt::AlignCenter, QString::number(region + 1));
    }
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 148, 250, 16), Qt::AlignCenter, QStringLiteral("Rank"));
    return pixmap;
}

} // namespace quarvel
