// The programming dialog behind "下载+编程": the program area, the choice whether the image is
// downloaded first, and the device ID that is written into each chip and stepped after every good
// one. "编程" runs the core's programming run; the main window hands the run's calls on to this
// dialog while it is open.
#pragma once

#include "gui/WindowHost.h"

#include "gui/dialogs/DialogSupport.h"

#include "app/DialogLot.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QString;
class QPushButton;

namespace orvane {

class TfrmProgram : public SecondaryWindow, public ProgramDialogView {
    Q_OBJECT
public:
    static constexpr int kHeightWithId = 415;
    static constexpr int kHeightWithoutId = 255;

    explicit TfrmProgram(WindowHost& host);
    ~TfrmProgram() override;

    void FormShow() override;
    void BitBtn1Click();
    void BitBtn2Click();
    void edtIDaddrChange();
    void cbbIDLenChange();
    void edtInitIDChange();
    void btnIncreaseClick();
    void btnDecreaseClick();
    void cbxIDconfigClick();
    void cbbStepChange();
    void showIDconfig();
    void hideIDconfig();

    // ProgramDialogView
    void SetDialogButtonsEnabled(bool on) override;
    void SetDownloadBox(bool ticked, bool enabled) override;
    void SetStatusLine(const std::string& text) override;
    void ShowNextID(const std::string& text) override;
    void AdvanceProgress() override;
    void ResetProgress() override;

    QGroupBox* gbxIDconfig;
    QGroupBox* gbxMemSpace;
    QProgressBar* ProgressBar1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QCheckBox* cbxDownload;
    QLabel* StaticText5;
    QLabel* StaticText6;
    QLabel* StaticText7;
    QLabel* StaticText8;
    QCheckBox* cbxIDconfig;
    QCheckBox* cbxIncrease;
    QComboBox* cbbIDLen;
    QLineEdit* medNextID;
    QPushButton* btnDecrease;
    QPushButton* btnIncrease;
    QLineEdit* edtIDaddr;
    QLineEdit* edtInitID;
    QLineEdit* medStartAddr;
    QLineEdit* medEndAddr;
    QLabel* StaticText4;
    QComboBox* cbbStep;
    QLabel* lblCounts; // the session's passed and failed chips

private:
    void SetIDControlsVisible(bool visible);
    // 2 × IDLen, the digits of an ID, kept within what a 64-bit value has.
    int IdDigits() const;
    // The initial ID's limit: 2 × IDLen typed digits, or all digits of a longer ID it holds.
    void FitInitIDLimit(const QString& text);
    // After a chip took NextID: the next run, a reopened dialog and a restarted program all start
    // from the first unused ID, also after a crash, because the settings are saved at once.
    void KeepNextIDAsInitial();

    WindowHost& host_;
    std::optional<DialogLot> lot_;
};

} // namespace orvane
