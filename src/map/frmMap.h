#pragma once

#include "AnalysisResults.h"
#include "BackgroundWork.h"
#include "Dialogs.h"
#include "LayerGeometry.h"
#include "MapPainting.h"
#include "RecordClasses.h"
#include "Table.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace quarvel {

class BusyIndicator;
class MapArea;

/**
 * The map window: every record's shape in the colour of its class (the join file's rank and
 * note), with a legend that counts the records of each class. The shapes are read, the
 * records classed and the map drawn on the window's own worker, so the window answers
 * meanwhile; a drag pans, the wheel zooms, Home shows the whole extent. Hovering a feature
 * names its record; clicking it reports the record, which the program makes the grid's
 * current cell and rings in the chart; a class in the legend marks its records; Escape takes
 * every mark away.
 */
class frmMap : public QWidget {
    Q_OBJECT

public:
    frmMap(std::shared_ptr<const AnalysisResults> results, Dialogs& dialogs,
           QWidget* parent = nullptr);
    ~frmMap() override;

    /** Where the table behind the results is found: the table the main window shows. */
    void setTableSource(std::function<std::shared_ptr<const Table>()> source) {
        tableSource_ = std::move(source);
    }

    MapArea* picMap;
    QListWidget* lstLegend;
    QPushButton* cmdHome;
    QLabel* lblMarks;
    QProgressBar* mapProgress;

    /** Reads the shapes of the analysed table and draws them, unless they are read already. */
    void load();
    /** Whether the shapes have been read and a map drawn from them. */
    bool drawn() const { return data_ != nullptr && !picture().isNull(); }
    /** The picture shown last, drawn for its view. */
    const QImage& picture() const;

    /** The tooltip over a pixel of the map: the record of the topmost feature there. */
    QString hoverText(const QPoint& pixel) const;
    /** Marks a record's feature (counting from 0), as a click in the chart does. */
    void markRecord(int record);
    /** Marks every feature of a class, as a click in the legend does. */
    void markClass(MapClass mapClass);
    /** Takes every mark away. */
    void clearMarks();
    const MapMarks& marks() const { return marks_; }
    /** Shows the whole extent again. */
    void cmdHome_Click();
    /** Records of each class, in the legend's order. */
    const std::array<std::size_t, kMapClassCount>& classCounts() const { return counts_; }

signals:
    /** A feature was clicked: its record, counting from 0. */
    void recordClicked(int record);
    /** Escape took the marks away. */
    void marksCleared();
    /** A new picture is shown. */
    void pictureShown();

protected:
    bool event(QEvent* event) override;

private:
    struct Shapes;
    struct Loaded;
    struct Drawn;

    void picMap_Click(const QPoint& pixel);
    void lstLegend_Click(int row);
    void shapesLoaded(Loaded& loaded);
    void redraw();
    void fillLegend();
    void showMarks();
    void saveMapAs();
    void copyMap();
    void showError(const QString& message);
    bool stale() const;

    std::shared_ptr<const AnalysisResults> results_;
    Dialogs& dialogs_;
    std::function<std::shared_ptr<const Table>()> tableSource_;
    BackgroundWork work_;
    BusyIndicator* busy_;
    std::shared_ptr<const Shapes> data_;
    std::array<std::size_t, kMapClassCount> counts_{};
    MapMarks marks_;
    bool wholeExtent_ = true; ///< the view shows the whole extent, refitted as the area grows
    bool loading_ = false;
};

} // namespace quarvel
