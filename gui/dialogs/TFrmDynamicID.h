// The rolling-code dialog: builds the block the Writer uses to write and step a serial number of
// its own in every chip, and places it in the image's chip-data area.
#pragma once

#include "gui/dialogs/DialogSupport.h"

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvane {

class WindowHost;
struct RollingCodeForm;

class TFrmDynamicID : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TFrmDynamicID(WindowHost& host);

    void FormShow() override;
    void rbDisableClick();
    // length 1..4: rbLength01Click .. rbLength04Click
    void rbLengthClick(int length);
    void btOKClick();
    void btCancleClick();

    QFrame* Panel1;
    QLabel* LabRCLength;
    QCheckBox* rbDisable;
    std::array<QRadioButton*, 4> rbLength{}; // rbLength01 .. rbLength04
    std::array<QLineEdit*, 4> Addr{};         // Addr0 .. Addr3
    std::array<QLineEdit*, 4> Va{};           // Va0 .. Va3
    QLineEdit* Vindex;
    QLineEdit* MaxID;
    QLineEdit* Counter;
    std::array<QLabel*, 4> Labels{}; // Label1 .. Label4
    QPushButton* btOK;
    QPushButton* btCancle;

private:
    void SetEntriesEnabled(bool on);
    RollingCodeForm Form() const;
    void Close();

    WindowHost& host_;
};

} // namespace orvane
