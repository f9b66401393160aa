#pragma once

#include "Platform.h"

#include <QWidget>

#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;

namespace quarvel {

/**
 * The About box: title, version, what the program is for and a disclaimer, with a button
 * that starts the system's System Information tool. A single instance, shown modeless
 * without an owner; OK, Enter and Escape close it.
 */
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(Platform& platform, QWidget* parent = nullptr);

    /** Opening a key to read one value asks for this much access. */
    static constexpr std::uint32_t kKeyAccess = 0x2003F;
    /** A value is read into a buffer of this many bytes. */
    static constexpr int kValueBufferSize = 1024;

    /** The size of the client area: 5730 x 3555 twips. */
    static QSize clientSize();
    /** The text of lblDescription: who made the program, then what it is for. */
    static QString descriptionText();

    /**
     * Starts the System Information tool found in the registry, or shows "System
     * Information Is Unavailable At This Time" when there is none or it does not start.
     */
    void StartSysInfo();

    /**
     * Reads the value valueName of the key keyPath under root into value: a string as it
     * stands, a 32-bit number as "&h" and its hexadecimal digits; any other type leaves
     * value as it was passed. False, with value emptied, when the key cannot be opened or
     * the value cannot be read.
     */
    bool GetKeyValue(Registry::Key root, const QString& keyPath, const QString& valueName,
                     QString& value);

    // Controls, named as the rest of the program knows them.
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QFrame* Line1[2]; ///< the etched separator: a grey line over a white one
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    Platform& platform_;
};

} // namespace quarvel
