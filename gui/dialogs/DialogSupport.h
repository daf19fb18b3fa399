// What the secondary windows share: the frame without title-bar buttons, centring on the main
// window, texts between byte strings and widgets, and the boundary where a command's error
// becomes the operator's error box.
#pragma once

#include "gui/RunGuarded.h"
#include "gui/Text.h"

#include <QDialog>

class QWidget;

namespace orvane {

// A secondary window: created anew for each opening, a caption but no system menu and no close
// box, and left only through its own buttons (Leave), so neither Escape nor the window manager
// closes it under a running exchange. FormShow runs each time it is shown.
class SecondaryWindow : public QDialog {
public:
    SecondaryWindow(QWidget* parent, const char* name, const char* caption);

protected:
    virtual void FormShow() = 0;
    // Closes the window, which then deletes itself.
    void Leave();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    bool leaving_ = false;
};

// Centres window on parent (on the screen when parent is null).
void CentreOn(QWidget& window, const QWidget* parent);

} // namespace orvane
