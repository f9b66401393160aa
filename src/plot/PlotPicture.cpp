#include "PlotPicture.h"

#include "PainterCanvas.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace quarvel {

void paintDrawing(const DisplayList& list, QPainter& painter, const QRectF& area, bool raster) {
    painter.fillRect(area, Qt::white);
    PainterCanvas canvas(painter, area, Qt::white, raster);
    list.replay(canvas);
}

PlotPicture::PlotPicture(Dialogs& dialogs, QWidget* parent) : QFrame(parent), dialogs_(dialogs) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);

    copyAction = new QAction(QStringLiteral("Copy"), this);
    copyAction->setObjectName(QStringLiteral("copyAction"));
    connect(copyAction, &QAction::triggered, this, &PlotPicture::copyPicture);
    saveAction = new QAction(QStringLiteral("Save Picture As..."), this);
    saveAction->setObjectName(QStringLiteral("saveAction"));
    connect(saveAction, &QAction::triggered, this, &PlotPicture::savePictureAs);
}

void PlotPicture::pictureChanged() {
    cached_ = QImage();
    update();
}

QImage PlotPicture::renderImage(QSize size) const {
    if (!size.isValid()) {
        size = contentsRect().size();
    }
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font());
    paintDrawing(list_, painter, QRectF(QPointF(0, 0), QSizeF(size)), true);
    return image;
}

void PlotPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    if (cached_.size() != area.size()) {
        cached_ = renderImage(area.size());
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), cached_);
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
    const QSize size = contentsRect().size();
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    if (suffix == QLatin1String("png")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!renderImage(size).save(&buffer, "PNG")) {
            error = QStringLiteral("the picture could not be made");
            return false;
        }
    } else if (suffix == QLatin1String("svg")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Quarvel box plot"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            error = QStringLiteral("the drawing could not be made");
            return false;
        }
        painter.setFont(font());
        paintDrawing(list_, painter, QRectF(QPointF(0, 0), QSizeF(size)), false);
    } else if (suffix == QLatin1String("pdf")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("Quarvel box plot"));
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            error = QStringLiteral("the document could not be made");
            return false;
        }
        painter.setFont(font());
        const QRectF page = painter.viewport();
        paintDrawing(list_, painter, page, false);
    } else {
        error = QStringLiteral("choose a name ending in .png, .svg or .pdf");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void PlotPicture::savePictureAs() {
    const std::optional<QString> path = dialogs_.saveFile(this, QStringLiteral("Save Picture As"),
                                                          {QStringLiteral("PNG image (*.png)"),
                                                           QStringLiteral("SVG drawing (*.svg)"),
                                                           QStringLiteral("PDF document (*.pdf)")},
                                                          QStringLiteral("BoxPlot.png"));
    if (!path) {
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
