#include "PlotPicture.h"

#include "Analysis.h"
#include "ChartFile.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace quarvel {

PlotPicture::DrawingPoint PlotPicture::toDrawing(const QPoint& pixel) const {
    // The drawing's units: 2000 across, unitsDown_ up from the bottom; a circle round on screen
    // spans its radius in units across, and that many pixels up and down.
    const QRect area = contentsRect();
    const double unitsAcross = 2000.0 / area.width();
    const double unitsUp = unitsDown_ / area.height();
    return {(pixel.x() - area.left()) * unitsAcross,
            unitsDown_ - (pixel.y() - area.top()) * unitsUp, 15.0 / unitsAcross * unitsUp};
}

PlotPicture::PlotPicture(Dialogs& dialogs, QWidget* parent) : QFrame(parent), dialogs_(dialogs) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    // The chart's labels look the same on screen and in every picture file.
    setFont(ChartFont());

    copyAction = new QAction(QStringLiteral("Copy"), this);
    copyAction->setObjectName(QStringLiteral("copyAction"));
    connect(copyAction, &QAction::triggered, this, &PlotPicture::copyPicture);
    saveAction = new QAction(QStringLiteral("Save Picture As..."), this);
    saveAction->setObjectName(QStringLiteral("saveAction"));
    connect(saveAction, &QAction::triggered, this, &PlotPicture::savePictureAs);
}

void PlotPicture::pictureChanged() {
    cached_ = QImage();
    ring_.reset();
    update();
}

void PlotPicture::setDrawing(DisplayList drawing, QImage painted) {
    list_ = std::move(drawing);
    cached_ = std::move(painted); // painted again on the next paint if the size has changed
    ring_.reset();
    update();
}

QImage PlotPicture::renderImage(QSize size) const {
    return RenderDrawing(list_, size.isValid() ? size : contentsRect().size(), font());
}

bool PlotPicture::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QFrame::event(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const QRect area = contentsRect();
    QString text;
    if (hoverText_ && area.width() > 0 && area.height() > 0) {
        const DrawingPoint at = toDrawing(help->pos());
        text = hoverText_(at.x, at.y, at.ry, 3 * 2000.0 / area.width());
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

void PlotPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    if (cached_.size() != area.size()) {
        cached_ = renderImage(area.size());
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), cached_);
    if (ring_ && area.width() > 0) {
        // A black ring a few pixels outside the circle, over the picture only.
        const double x = area.left() + ring_->x * area.width() / 2000.0;
        const double y = area.top() + (unitsDown_ - ring_->y) * area.height() / unitsDown_;
        const double radius = ring_->radius * area.width() / 2000.0 + 4;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(x, y), radius, radius);
    }
}

void PlotPicture::setRing(std::optional<DisplayList::CirclePlace> ring) {
    ring_ = ring;
    update();
}

void PlotPicture::mouseReleaseEvent(QMouseEvent* event) {
    const QRect area = contentsRect();
    if (event->button() == Qt::LeftButton && click_ && area.width() > 0 && area.height() > 0 &&
        area.contains(event->pos())) {
        const DrawingPoint at = toDrawing(event->pos());
        click_(at.x, at.y, at.ry);
    }
    QFrame::mouseReleaseEvent(event);
}

void PlotPicture::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(copyAction);
    menu.addAction(saveAction);
    menu.exec(event->globalPos());
}

void PlotPicture::copyPicture() {
    QGuiApplication::clipboard()->setImage(renderImage());
}

bool PlotPicture::savePicture(const QString& path, QString& error) const {
    return SaveDrawing(list_, path, contentsRect().size(), font(), error);
}

void PlotPicture::savePictureAs() {
    const std::optional<QString> path = dialogs_.saveFile(this, QStringLiteral("Save Picture As"),
                                                          {QStringLiteral("PNG image (*.png)"),
                                                           QStringLiteral("SVG drawing (*.svg)"),
                                                           QStringLiteral("PDF document (*.pdf)")},
                                                          saveName_);
    if (!path) {
        return;
    }
    if (const std::optional<QString> family = TableFamilyRefusal(tablePath_, *path)) {
        dialogs_.message(this, *family, QStringLiteral("Error!"), MessageButtons::Ok,
                         MessageIcon::Critical);
        return;
    }
    QString error;
    if (!savePicture(*path, error)) {
        dialogs_.message(this,
                         QStringLiteral("The picture could not be saved as \"%1\": %2.")
                             .arg(QFileInfo(*path).fileName(), error),
                         QStringLiteral("Error!"), MessageButtons::Ok, MessageIcon::Critical);
    }
}

} // namespace quarvel
