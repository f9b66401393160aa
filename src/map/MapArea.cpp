#include "MapArea.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>

namespace quarvel {
namespace {

// A press that moves no further than this is a click, not a drag.
constexpr int kClickSlack = 3;
// One notch of the wheel zooms by this factor.
constexpr double kZoomStep = 1.25;

} // namespace

MapArea::MapArea(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    view_.width = width();
    view_.height = height();
    copyAction = new QAction(QStringLiteral("Copy"), this);
    copyAction->setObjectName(QStringLiteral("copyAction"));
    saveAction = new QAction(QStringLiteral("Save Map As..."), this);
    saveAction->setObjectName(QStringLiteral("saveAction"));
}

void MapArea::setView(const MapTransform& view) {
    view_ = view;
    update();
}

void MapArea::moveTo(const MapTransform& view) {
    setView(view);
    emit viewChanged();
}

void MapArea::setPicture(QImage picture, const MapTransform& drawnFor) {
    picture_ = std::move(picture);
    pictureView_ = drawnFor;
    update();
}

bool MapArea::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = hoverText_ ? hoverText_(help->pos()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

void MapArea::paintEvent(QPaintEvent* event) {
    static_cast<void>(event);
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (picture_.isNull() || pictureView_.scale <= 0 || view_.scale <= 0) {
        return;
    }
    // The picture's pixels moved and scaled from the view it was drawn for to the view now.
    const double k = view_.scale / pictureView_.scale;
    const double left = view_.width / 2 + (pictureView_.centreX - view_.centreX) * view_.scale -
                        pictureView_.width / 2 * k;
    const double top = view_.height / 2 - (pictureView_.centreY - view_.centreY) * view_.scale -
                       pictureView_.height / 2 * k;
    const QRectF target(left, top, pictureView_.width * k, pictureView_.height * k);
    if (std::abs(k - 1) < 1e-9) {
        painter.drawImage(QPointF(std::round(left), std::round(top)), picture_);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, k < 1);
        painter.drawImage(target, picture_);
    }
}

void MapArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        dragging_ = false;
        pressedAt_ = event->pos();
        pressedView_ = view_;
    }
    QWidget::mousePressEvent(event);
}

void MapArea::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_) {
        const QPoint moved = event->pos() - pressedAt_;
        if (dragging_ || moved.manhattanLength() > kClickSlack) {
            dragging_ = true;
            setCursor(Qt::ClosedHandCursor);
            // The picture follows the pointer; it is drawn afresh once the drag ends.
            view_ = pressedView_.panned(moved.x(), moved.y());
            update();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void MapArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        if (dragging_) {
            dragging_ = false;
            unsetCursor();
            const QPoint moved = event->pos() - pressedAt_;
            moveTo(pressedView_.panned(moved.x(), moved.y()));
        } else {
            emit clicked(event->pos());
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void MapArea::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || view_.scale <= 0) {
        event->ignore();
        return;
    }
    const QPointF at = event->position();
    moveTo(view_.zoomedAbout(at.x(), at.y(), std::pow(kZoomStep, notches)));
    event->accept();
}

void MapArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_ = view_.resized(width(), height());
    emit resized();
}

void MapArea::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(copyAction);
    menu.addAction(saveAction);
    menu.exec(event->globalPos());
}

} // namespace quarvel
