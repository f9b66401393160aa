#include "PlotPicture.h"

#include "Analysis.h"
#include "ChartFile.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

namespace quarvel {

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
    update();
}

void PlotPicture::setDrawing(DisplayList drawing, QImage painted) {
    list_ = std::move(drawing);
    cached_ = std::move(painted); // painted again on the next paint if the size has changed
    update();
}

QImage PlotPicture::renderImage(QSize size) const {
    return RenderDrawing(list_, size.isValid() ? size : contentsRect().size(), font());
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
    return SaveDrawing(list_, path, contentsRect().size(), font(), error);
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
