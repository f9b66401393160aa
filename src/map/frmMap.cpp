#include "frmMap.h"

#include "Analysis.h"
#include "BusyIndicator.h"
#include "FieldValues.h"
#include "JoinFile.h"
#include "LayerShapes.h"
#include "LocaleNumbers.h"
#include "MapArea.h"
#include "WindowSetup.h"
#include "frmMapShapes.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace quarvel {

namespace {

constexpr int kLegendWidth = 290;
constexpr double kKeyZoom = 1.5;
constexpr int kKeyPan = 80;

} // namespace

frmMap::frmMap(std::shared_ptr<const AnalysisResults> results, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), results_(std::move(results)), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Map"));
    resize(960, 640);

    picMap = new MapArea(this);
    picMap->setObjectName(QStringLiteral("picMap"));
    lstLegend = new QListWidget(this);
    lstLegend->setObjectName(QStringLiteral("lstLegend"));
    lstLegend->setFixedWidth(kLegendWidth);
    lstLegend->setToolTip(QStringLiteral("Click a class to mark its records on the map."));
    lblMarks = new QLabel(this);
    lblMarks->setObjectName(QStringLiteral("lblMarks"));
    lblMarks->setWordWrap(true);
    lblMarks->setFixedWidth(kLegendWidth);
    cmdHome = new QPushButton(QStringLiteral("&Whole Extent"), this);
    cmdHome->setObjectName(QStringLiteral("cmdHome"));
    cmdHome->setToolTip(QStringLiteral("Show the whole map again (Home)"));
    mapProgress = new QProgressBar(this);
    mapProgress->setObjectName(QStringLiteral("mapProgress"));
    mapProgress->setFixedWidth(kLegendWidth);
    busy_ = new BusyIndicator(*mapProgress, QStringLiteral("%1 %p%"));

    auto* side = new QVBoxLayout;
    side->addWidget(lstLegend, 1);
    side->addWidget(lblMarks);
    side->addWidget(cmdHome);
    side->addWidget(mapProgress);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picMap, 1);
    layout->addLayout(side);

    picMap->setHoverText([this](const QPoint& pixel) { return hoverText(pixel); });
    connect(picMap, &MapArea::clicked, this, &frmMap::picMap_Click);
    auto* drawSoon = new QTimer(this);
    drawSoon->setSingleShot(true);
    drawSoon->setInterval(40);
    connect(drawSoon, &QTimer::timeout, this, &frmMap::redraw);
    connect(picMap, &MapArea::viewChanged, this, [this] {
        wholeExtent_ = false;
        redraw();
    });
    connect(picMap, &MapArea::resized, this, [this, drawSoon] {
        if (data_ != nullptr && wholeExtent_) {
            picMap->setView(MapTransform::fit(data_->geometry.extent(), picMap->width(),
                                              picMap->height(), kMapMargin));
        }
        drawSoon->start(); // once the size has settled
    });
    connect(lstLegend, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { lstLegend_Click(lstLegend->row(item)); });
    connect(cmdHome, &QPushButton::clicked, this, &frmMap::cmdHome_Click);
    connect(picMap->copyAction, &QAction::triggered, this, &frmMap::copyMap);
    connect(picMap->saveAction, &QAction::triggered, this, &frmMap::saveMapAs);

    // Keys: Escape takes the marks away, Home shows everything, + and - zoom, arrows pan.
    const auto key = [this](const QKeySequence& sequence, auto act) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, act);
    };
    key(QKeySequence(Qt::Key_Escape), [this] { clearMarks(); });
    key(QKeySequence(Qt::Key_Home), [this] { cmdHome_Click(); });
    const auto moveView = [this](const MapTransform& view) {
        wholeExtent_ = false;
        picMap->setView(view);
        redraw();
    };
    const auto centre = [this] { return QPointF(picMap->width() / 2.0, picMap->height() / 2.0); };
    for (const QKeySequence& in : {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}) {
        key(in, [=, this] {
            moveView(picMap->view().zoomedAbout(centre().x(), centre().y(), kKeyZoom));
        });
    }
    key(QKeySequence(Qt::Key_Minus), [=, this] {
        moveView(picMap->view().zoomedAbout(centre().x(), centre().y(), 1 / kKeyZoom));
    });
    key(QKeySequence(Qt::Key_Left), [=, this] { moveView(picMap->view().panned(kKeyPan, 0)); });
    key(QKeySequence(Qt::Key_Right), [=, this] { moveView(picMap->view().panned(-kKeyPan, 0)); });
    key(QKeySequence(Qt::Key_Up), [=, this] { moveView(picMap->view().panned(0, kKeyPan)); });
    key(QKeySequence(Qt::Key_Down), [=, this] { moveView(picMap->view().panned(0, -kKeyPan)); });

    connect(&work_, &BackgroundWork::busyChanged, this, [this](bool busy) {
        if (busy) {
            busy_->begin();
        } else {
            busy_->end();
        }
    });
    connect(&work_, &BackgroundWork::stageChanged, this,
            [this](const QString& text) { busy_->setStage(text); });
    connect(&work_, &BackgroundWork::fractionChanged, this,
            [this](double done) { busy_->setFraction(done); });
    fillLegend();
    centreOnScreen(*this);
}

frmMap::~frmMap() {
    work_.stop();
}

const QImage& frmMap::picture() const {
    return picMap->picture();
}

bool frmMap::stale() const {
    const AnalysisResults& r = *results_;
    return data_ == nullptr || data_->digest != r.ValuesDigest || data_->tablePath != r.TablePath ||
           data_->fieldName != r.FieldName;
}

bool frmMap::event(QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && stale() &&
        !loading_) {
        // Shown, or come back to after another run: the map follows the results.
        QTimer::singleShot(0, this, &frmMap::load);
    }
    return QWidget::event(event);
}

void frmMap::load() {
    if (loading_ || !stale()) {
        return;
    }
    const AnalysisResults summary = JoinSummary(*results_);
    std::shared_ptr<const Table> table = tableSource_ ? tableSource_() : nullptr;
    if (table != nullptr &&
        QFileInfo(table->path()).absoluteFilePath().toStdString() != summary.TablePath) {
        table = nullptr; // another table is shown now: its records are not these values'
    }
    const int field =
        table != nullptr ? FieldIndex(*table, QString::fromStdString(summary.FieldName)) : -1;
    if (summary.ValueCount < 1 || table == nullptr || field < 0) {
        showError(QStringLiteral("The map shows the classes of the last analysis of the table "
                                 "shown.\r\nOpen the table, press Do It, then show the map."));
        return;
    }
    work_.stop();
    data_.reset();
    marks_ = MapMarks();
    counts_.fill(0);
    fillLegend();
    showMarks();
    picMap->setPicture(QImage(), MapTransform());
    loading_ = true;
    const double width = picMap->width();
    const double height = picMap->height();
    const QPointer<frmMap> self(this);
    const bool started = work_.start<Loaded>(
        [table, field, summary, width, height](Progress& progress) {
            Loaded loaded;
            progress.stage(QStringLiteral("Reading the shapes..."));
            ShapesRead read = ReadShapes(*table, &progress);
            if (!read.read()) {
                loaded.message = read.message;
                return loaded;
            }
            auto shapes = std::make_shared<Shapes>();
            shapes->table = table;
            shapes->field = field;
            shapes->tablePath = summary.TablePath;
            shapes->fieldName = summary.FieldName;
            shapes->digest = summary.ValuesDigest;
            shapes->geometry = std::move(read.geometry);
            progress.stage(QStringLiteral("Classing the records..."));
            if (const std::optional<QString> refusal =
                    ClassifyRecords(*table, field, summary, QLocale(), &progress, shapes->ranks,
                                    QStringLiteral("show the map"))) {
                loaded.message = *refusal; // empty when stopped
                return loaded;
            }
            shapes->classes.resize(shapes->ranks.size());
            std::transform(shapes->ranks.begin(), shapes->ranks.end(), shapes->classes.begin(),
                           [](const RecordClass& c) { return c.mapClass(); });
            progress.stage(QStringLiteral("Drawing the map..."));
            loaded.view = MapTransform::fit(shapes->geometry.extent(), width, height, kMapMargin);
            loaded.picture = RenderMap(
                shapes->scene(), loaded.view, MapMarks(),
                [&progress] { return progress.stopRequested(); }, shapes->smooth());
            loaded.shapes = std::move(shapes);
            return loaded;
        },
        [self](Loaded& loaded) {
            if (self != nullptr) {
                self->shapesLoaded(loaded);
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->loading_ = false;
                self->showError(message);
            }
        },
        this);
    loading_ = started;
}

void frmMap::shapesLoaded(Loaded& loaded) {
    loading_ = false;
    if (loaded.shapes == nullptr) {
        if (!loaded.message.isEmpty()) {
            showError(loaded.message);
        }
        return;
    }
    data_ = std::move(loaded.shapes);
    for (const MapClass of : data_->classes) {
        ++counts_[static_cast<std::size_t>(of)];
    }
    fillLegend();
    wholeExtent_ = true;
    const MapTransform fitted =
        MapTransform::fit(data_->geometry.extent(), picMap->width(), picMap->height(), kMapMargin);
    picMap->setView(fitted);
    if (loaded.view.width == fitted.width && loaded.view.height == fitted.height) {
        picMap->setPicture(std::move(loaded.picture), loaded.view);
        emit pictureShown();
    } else {
        redraw(); // the window changed its size meanwhile
    }
}

void frmMap::redraw() {
    if (data_ == nullptr || loading_) {
        return;
    }
    work_.stop(); // a drawing of an older view: its picture is not wanted any more
    const std::shared_ptr<const Shapes> shapes = data_;
    const MapTransform view = picMap->view();
    const MapMarks marks = marks_;
    const QPointer<frmMap> self(this);
    static_cast<void>(work_.start<Drawn>(
        [shapes, view, marks](Progress& progress) {
            progress.stage(QStringLiteral("Drawing the map..."));
            return Drawn{RenderMap(
                             shapes->scene(), view, marks,
                             [&progress] { return progress.stopRequested(); }, shapes->smooth()),
                         view};
        },
        [self](Drawn& drawn) {
            if (self != nullptr && !drawn.picture.isNull()) {
                self->picMap->setPicture(std::move(drawn.picture), drawn.view);
                emit self->pictureShown();
            }
        },
        [self](const QString& message) {
            if (self != nullptr) {
                self->showError(message);
            }
        },
        this));
}

} // namespace quarvel
