#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quarvel {

enum class MessageButtons { Ok, YesNo };

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

enum class MessageAnswer { Ok, Yes, No };

/** The settings the open command gives the file-open dialog each time it shows it. */
struct OpenFileSettings {
    /** Description|pattern pairs, each ended by "|". */
    QString filter =
        QStringLiteral("Dbase attribute table (.dbf)|*.dbf|"
                       "GIS layers|*.gpkg;*.fgb;*.geojson;*.json;*.csv;*.xlsx;*.ods;*.sqlite;*.shp|"
                       "All files|*|");
    /** The filter entry selected at first, counting from 1. */
    int filterIndex = 1;
    /** The folder the dialog opens in; empty means the process's current folder. */
    QString initialFolder;
};

/** What the user confirmed in the file-open dialog. */
struct OpenFileChoice {
    QString fileName;  ///< the full name: folder and file title
    QString fileTitle; ///< the name with its extension, without the folder
};

/**
 * Every modal dialog a window shows goes through this seam, so that tests can script the
 * answers and read back what was shown.
 */
class Dialogs {
public:
    virtual ~Dialogs() = default;

    /** A modal message box; returns the button the user pressed. */
    virtual MessageAnswer message(QWidget* parent, const QString& text, const QString& title,
                                  MessageButtons buttons, MessageIcon icon) = 0;

    /**
     * The same message box with a detail the user can unfold (the reader's precise reason
     * for refusing a table, say). Without a place for details, the plain message is shown.
     */
    virtual MessageAnswer messageWithDetail(QWidget* parent, const QString& text,
                                            const QString& title, MessageButtons buttons,
                                            MessageIcon icon, const QString& detail) {
        static_cast<void>(detail);
        return message(parent, text, title, buttons, icon);
    }

    /** A modal input box; returns the typed text, or the empty text on Cancel. */
    virtual QString input(QWidget* parent, const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;

    /** The file-open dialog; nothing when the user cancels or the dialog fails. */
    virtual std::optional<OpenFileChoice> openFile(QWidget* parent,
                                                   const OpenFileSettings& settings) = 0;

    /**
     * The file-save dialog: filters such as "PNG image (*.png)"; a name without an
     * extension gets the one of the chosen filter. Nothing when the user cancels.
     */
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                            const QStringList& filters,
                                            const QString& defaultName) = 0;

    /**
     * A modal list to choose one item from (the first chosen at first); the index chosen,
     * or nothing when the user cancels.
     */
    virtual std::optional<int> chooseItem(QWidget* parent, const QString& title,
                                          const QString& prompt, const QStringList& items) = 0;
};

} // namespace quarvel
