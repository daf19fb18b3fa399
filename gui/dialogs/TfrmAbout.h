// The About dialog: the installation's texts from "About.txt" and the Writer's firmware version,
// asked for while the dialog is already on the screen.
#pragma once

#include "gui/dialogs/DialogSupport.h"

class QLabel;
class QPushButton;

namespace orvane {

class WindowHost;

class TfrmAbout : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TfrmAbout(WindowHost& host);

    // Shows the texts; the version query follows once the dialog has been painted.
    void FormShow() override;
    void QueryVersion();
    void stWEBClick();
    void btnCloseClick();

    QLabel* stChinese;
    QLabel* stEnglish;
    QLabel* stVersion;
    QLabel* LbVH;
    QLabel* stWEB;
    QPushButton* btnClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowHost& host_;
};

// "FVersion : 1.2  2011.5.17" for the bytes 1, 2, 11, 5, 17: two blanks before the date.
std::string AboutVersionText(const std::array<std::uint8_t, 5>& version);

} // namespace orvane
