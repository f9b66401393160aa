#pragma once

#include "Dialogs.h"
#include "DisplayList.h"

#include <QFrame>
#include <QImage>

#include <functional>
#include <optional>

class QAction;

namespace quarvel {

/**
 * The plot's drawing surface: a white, bordered box that shows a display list. The list is
 * drawn once into an image kept for repainting, so the picture survives being covered.
 * Its context menu copies the picture or saves it as PNG, SVG or PDF.
 */
class PlotPicture : public QFrame {
    Q_OBJECT

public:
    PlotPicture(Dialogs& dialogs, QWidget* parent = nullptr);

    /** The drawing to show; call pictureChanged() after drawing into it. */
    DisplayList& displayList() { return list_; }
    const DisplayList& displayList() const { return list_; }
    void pictureChanged();
    /**
     * What a tooltip says at a point of the drawing (in its 2000 x 800 units); a circle
     * spans ry units up and down, and marks are found within tolerance units across.
     */
    using HoverText = std::function<QString(double x, double y, double ry, double tolerance)>;
    void setHoverText(HoverText hoverText) { hoverText_ = std::move(hoverText); }

    /** Hears a left click at a point of the drawing (in its units, ry as for hoverText). */
    using Click = std::function<void(double x, double y, double ry)>;
    void setClick(Click click) { click_ = std::move(click); }

    /** A ring drawn over the picture round a circle of the drawing, or none. */
    void setRing(std::optional<DisplayList::CirclePlace> ring);
    std::optional<DisplayList::CirclePlace> ring() const { return ring_; }

    /** How many units the drawing spans down (800 for the chart; more for a tall drawing). */
    void setUnitsDown(double units) { unitsDown_ = units; }
    /** The name the save dialog offers first. */
    void setSaveName(const QString& name) { saveName_ = name; }

    /** The table the chart describes: its file and its family are never saved over. */
    void setTablePath(const QString& path) { tablePath_ = path; }

    /** Shows a drawing made elsewhere, with its picture when it was painted at this size. */
    void setDrawing(DisplayList drawing, QImage painted);

    /** The picture as an image of the given size (the drawing area's size by default). */
    QImage renderImage(QSize size = QSize()) const;

    /**
     * Writes the picture to a file whose extension decides the format: .png, .svg or .pdf.
     * False, with the reason in error, when it cannot be written.
     */
    bool savePicture(const QString& path, QString& error) const;

    QAction* copyAction;
    QAction* saveAction;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct DrawingPoint {
        double x;
        double y;
        double ry;
    };
    DrawingPoint toDrawing(const QPoint& pixel) const;
    void copyPicture();
    void savePictureAs();

    Dialogs& dialogs_;
    DisplayList list_;
    mutable QImage cached_;
    QString tablePath_;
    HoverText hoverText_;
    Click click_;
    double unitsDown_ = 800;
    QString saveName_ = QStringLiteral("BoxPlot.png");
    std::optional<DisplayList::CirclePlace> ring_;
};

} // namespace quarvel
