#pragma once

#include "MapTransform.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QAction;

namespace quarvel {

/**
 * The map's drawing area. It shows the last picture drawn (on the worker) for one view, and
 * while the view moves on (a drag, the wheel) it shows that picture moved and scaled to the
 * new view at once, until the picture of the new view arrives. Drag pans, the wheel zooms
 * about the pointer; a click without a drag is reported, as is every change of the view.
 */
class MapArea : public QWidget {
    Q_OBJECT

public:
    explicit MapArea(QWidget* parent = nullptr);

    const MapTransform& view() const { return view_; }
    /** Moves the view (the picture shown follows it until a new one comes). */
    void setView(const MapTransform& view);
    /** Shows a picture drawn for a view. */
    void setPicture(QImage picture, const MapTransform& drawnFor);
    const QImage& picture() const { return picture_; }
    const MapTransform& pictureView() const { return pictureView_; }

    /** What the tooltip says at a pixel, empty for none. */
    void setHoverText(std::function<QString(const QPoint&)> hoverText) {
        hoverText_ = std::move(hoverText);
    }

    QAction* copyAction;
    QAction* saveAction;

signals:
    /** The user moved the view: a drag ended, or the wheel turned. */
    void viewChanged();
    void clicked(const QPoint& pixel);
    void resized();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void moveTo(const MapTransform& view);

    MapTransform view_;
    QImage picture_;
    MapTransform pictureView_;
    std::function<QString(const QPoint&)> hoverText_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressedAt_;
    MapTransform pressedView_;
};

} // namespace quarvel
