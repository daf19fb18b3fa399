#include "gui/main/TransferWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace orvane {

TransferWindow::TransferWindow(const QString& caption, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      bar_(new QProgressBar(this))
{
    setWindowTitle(caption);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(text, this);
    layout->addWidget(label);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setAccessibleName(caption);
    layout->addWidget(bar_);
    setMinimumWidth(320);
}

void TransferWindow::ShowProgress(std::int64_t blocksDone, std::int64_t blocksTotal)
{
    // QProgressBar counts in int; a transfer has at most a few thousand blocks.
    bar_->setRange(0, static_cast<int>(std::max<std::int64_t>(blocksTotal, 1)));
    bar_->setValue(static_cast<int>(std::min(blocksDone, blocksTotal)));
}

void TransferWindow::Open()
{
    bar_->setRange(0, 1);
    bar_->setValue(0);
    show();
    raise();
}

void TransferWindow::Close()
{
    closing_ = true;
    hide();
    closing_ = false;
}

void TransferWindow::closeEvent(QCloseEvent* event)
{
    if (!closing_)
        event->ignore();
}

void TransferWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        return; // Escape would reject the dialog under a running transfer
    QDialog::keyPressEvent(event);
}

} // namespace orvane
