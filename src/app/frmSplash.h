#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace quarvel {

/**
 * The splash window shown while the program starts: title, version and the texts of the
 * program's description, over a logo. A character key or a click on Frame1 closes it.
 */
class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    QFrame* Frame1;
    QLabel* imgLogo;
    QLabel* lblCompanyProduct;
    QLabel* lblProductName;
    QLabel* lblPlatform;
    QLabel* lblVersion;
    QLabel* lblCopyright;

    static QString companyName();
    static QString fileDescription();
    static QString legalNotice();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Frame1_Click();
};

} // namespace quarvel
