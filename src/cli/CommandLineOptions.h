#pragma once

#include "ChartFile.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quarvel {

/** What `quarvel --help` prints (and `quarvel` without arguments, on standard error). */
extern const char* const kMainUsage;
/** What `quarvel analyse --help` prints. */
extern const char* const kAnalyseUsage;

/** The options of `quarvel analyse`, as given. */
struct AnalyseOptions {
    QStringList tables;
    QString field;
    QString layer; ///< the layer of each layer source (OpenTable), or empty
    bool results = false;
    QString resultsFile;
    QString joinKey;
    QString joinFile;
    bool joinFileGiven = false;
    QString picture;
    ChartView view = ChartView::Basic;
    bool viewGiven = false;
    QString ranked; ///< empty when no ranked layer is asked for
    QString map;    ///< empty when no map picture is asked for
    QString outDir;
    QString by;             ///< the field to group the records by, or empty
    QString groupsFile;     ///< the groups file's name (Groups.csv unless given)
    bool skipEmpty = false; ///< records whose cell is empty are left out, not refused
    bool json = false;
    bool help = false;
};

/**
 * Reads the arguments after "analyse". Nothing for wrong usage, with the reason in error in
 * the words the command prints ("unknown option --x", "--field needs a value", ...).
 */
std::optional<AnalyseOptions> ParseAnalyseOptions(const QStringList& arguments, QString& error);

} // namespace quarvel
