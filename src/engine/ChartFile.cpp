#include "ChartFile.h"

#include "PainterCanvas.h"
#include "SafeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace quarvel {

QFont ChartFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return font;
}

bool PaintDrawing(const DisplayList& drawing, QPainter& painter, const QRectF& area, bool raster,
                  const StopCheck& stopRequested) {
    painter.fillRect(area, Qt::white);
    PainterCanvas canvas(painter, area, Qt::white, raster);
    return drawing.replay(canvas, stopRequested);
}

QImage RenderDrawing(const DisplayList& drawing, QSize size, const QFont& font,
                     const StopCheck& stopRequested) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font);
    if (!PaintDrawing(drawing, painter, QRectF(QPointF(0, 0), QSizeF(size)), true, stopRequested)) {
        return {};
    }
    return image;
}

QSize GroupChartPictureSize(std::size_t rows) {
    // 28 pixels a row and 34 for the axis keep the rows' 100 units and the axis' 120 in step.
    return QSize(800, static_cast<int>(28 * rows + 34));
}

bool IsPictureFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
           suffix == QLatin1String("pdf");
}

bool SaveDrawing(const DisplayList& drawing, const QString& path, QSize size, const QFont& font,
                 QString& error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("png")) {
        if (!RenderDrawing(drawing, size, font).save(&buffer, "PNG")) {
            error = QStringLiteral("the picture could not be made");
            return false;
        }
    } else if (suffix == QLatin1String("svg")) {
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
        painter.setFont(font);
        PaintDrawing(drawing, painter, QRectF(QPointF(0, 0), QSizeF(size)), false);
    } else if (suffix == QLatin1String("pdf")) {
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
        painter.setFont(font);
        const QRectF page = painter.viewport();
        PaintDrawing(drawing, painter, page, false);
    } else {
        error = QStringLiteral("choose a name ending in .png, .svg or .pdf");
        return false;
    }
    buffer.close();
    return SaveWholeFile(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

DisplayList DrawChart(const AnalysisResults& results, ChartView view, UniformSequence& heights,
                      const StopCheck& stopRequested) {
    DisplayList drawing;
    if (view == ChartView::Basic) {
        DrawBasicView(drawing, results);
    } else if (!DrawDetailedView(drawing, results, heights, stopRequested)) {
        return {};
    }
    return drawing;
}

} // namespace quarvel
