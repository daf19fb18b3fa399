#include "gui/main/FindBox.h"

#include "foundation/Translate.h"
#include "gui/Text.h"
#include "image/BytePattern.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvane {

FindBox::FindBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("FindBox");
    setWindowTitle(Tr("查找"));
    auto* layout = new QVBoxLayout(this);
    edtFind = new QLineEdit(this);
    edtFind->setObjectName("edtFind");
    edtFind->setAccessibleName(Tr("查找内容"));
    edtFind->setPlaceholderText("A5 5A");
    layout->addWidget(edtFind);

    auto* kinds = new QHBoxLayout;
    rbHex = new QRadioButton(Tr("十六进制"), this);
    rbHex->setObjectName("rbHex");
    rbHex->setChecked(true);
    rbText = new QRadioButton(Tr("文本"), this);
    rbText->setObjectName("rbText");
    kinds->addWidget(rbHex);
    kinds->addWidget(rbText);
    kinds->addStretch(1);
    layout->addLayout(kinds);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next = buttons->addButton(Tr("查找下一个"), QDialogButtonBox::ActionRole);
    next->setObjectName("btnFindNext");
    next->setDefault(true); // Enter in the pattern box finds
    QPushButton* close = buttons->addButton(Tr("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName("btnFindClose");
    connect(next, &QPushButton::clicked, this, &FindBox::FindNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    auto* again = new QAction(this); // F3 here too, as in the main window
    again->setShortcut(QKeySequence(Qt::Key_F3));
    connect(again, &QAction::triggered, this, &FindBox::FindNext);
    addAction(again);
}

std::optional<std::vector<std::uint8_t>> FindBox::Pattern() const
{
    if (rbHex->isChecked())
        return ParseHexPattern(Typed(edtFind->text()));
    const std::string text = Typed(edtFind->text());
    if (text.empty())
        return std::nullopt;
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool FindBox::HasText() const
{
    return !edtFind->text().isEmpty();
}

} // namespace orvane
