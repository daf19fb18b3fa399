// The windows shown while a transfer runs: TfrmRead ("当前状态") for the read and TfrmDownload
// ("程序下载提示") for the download. Each shows its text and how many blocks are done, and cannot be
// closed by the operator while it is shown: the operation closes it.
#pragma once

#include "foundation/Translate.h"

#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;

namespace orvane {

class TransferWindow : public QDialog {
    Q_OBJECT
public:
    TransferWindow(const QString& caption, const QString& text, QWidget* parent);

    void ShowProgress(std::int64_t blocksDone, std::int64_t blocksTotal);
    void Open();  // shown, progress at zero
    void Close(); // hidden by the operation

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QProgressBar* bar_;
    bool closing_ = false;
};

class TfrmRead final : public TransferWindow {
    Q_OBJECT
public:
    explicit TfrmRead(QWidget* parent)
        : TransferWindow(Tr("当前状态"), Tr("数据正在传输中。。。。"), parent) {}
};

class TfrmDownload final : public TransferWindow {
    Q_OBJECT
public:
    explicit TfrmDownload(QWidget* parent)
        : TransferWindow(Tr("程序下载提示"), Tr("程序正在下载中，请稍后。。。"), parent) {}
};

} // namespace orvane
