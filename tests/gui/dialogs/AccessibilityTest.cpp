// What a screen reader learns of the secondary windows and the option dialogs: every field has a
// name of its own, and the rolling-code lengths are one choice.
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TFrmDynamicID.h"
#include "gui/dialogs/TfrmProgram.h"
#include "gui/options/OptionDialog.h"
#include "gui/options/OptionDispatch.h"

#include "catalogue/Catalogue.h"
#include "tests/gui/support/TestHost.h"

#include <QAccessible>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <map>

namespace orvane::test {
namespace {

// The fields of a window, name -> roles. A drop-down list is named by its current entry on this
// platform and announced by the label it is related to (its buddy label or group box), so that
// label names it here; an editable one is the field its edit is.
void CollectFields(QAccessibleInterface* node, std::multimap<QString, QAccessible::Role>& out)
{
    static const QAccessible::Role kFieldRoles[] = {
        QAccessible::EditableText, QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::List, QAccessible::PushButton, QAccessible::SpinBox};
    const QAccessible::Role role = node->role();
    if (role == QAccessible::ComboBox) {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->role() == QAccessible::EditableText)
                return CollectFields(node->child(i), out);
        const auto labels = node->relations(QAccessible::Label);
        out.emplace(labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name),
                    role);
        return; // not the entries of its pop-up
    }
    if (std::ranges::find(kFieldRoles, role) != std::end(kFieldRoles))
        out.emplace(node->text(QAccessible::Name), role);
    for (int i = 0; i < node->childCount(); ++i)
        CollectFields(node->child(i), out);
}

std::multimap<QString, QAccessible::Role> Fields(QWidget* window)
{
    std::multimap<QString, QAccessible::Role> fields;
    CollectFields(QAccessible::queryAccessibleInterface(window), fields);
    return fields;
}

// Names that are empty or shared, for the failure message.
std::string Clashes(QWidget* window)
{
    const auto fields = Fields(window);
    std::string clashes;
    for (auto it = fields.begin(); it != fields.end(); it = fields.upper_bound(it->first))
        if (it->first.isEmpty() || fields.count(it->first) > 1)
            clashes += " '" + it->first.toStdString() + "' x" +
                       std::to_string(fields.count(it->first));
    return clashes;
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QAccessible::setActive(true);
        host.StartUp();
    }

    TestHost host;
};

TEST_F(AccessibilityTest, EverySecondaryWindowNamesEachFieldOnce)
{
    ShowProgramDialog(host);
    auto* program = static_cast<TfrmProgram*>(OpenWindow("TfrmProgram"));
    program->cbxIDconfig->click(); // the ID fields show
    ShowRollingCode(host);
    ShowDeviceSelection(host);
    ShowAbout(host);
    for (const char* name : {"TfrmProgram", "TFrmDynamicID", "TfrmDevSel", "TfrmAbout"}) {
        QWidget* window = OpenWindow(name);
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(Clashes(window), "") << name;
    }

    // Where one label serves several fields, the name says which one.
    const auto fields = Fields(OpenWindow("TFrmDynamicID"));
    for (const char* name : {"ID码存储地址 字节3", "ID码存储地址 字节0", "ID初始值 字节3",
                             "ID初始值 字节0", "步进值", "滚动码最大值", "烧写数量限制"})
        EXPECT_EQ(fields.count(QString::fromUtf8(name)), 1u) << name;
}

TEST_F(AccessibilityTest, EveryOptionDialogNamesEachFieldOnce)
{
    for (const int slot : kConfigButtonOrder) {
        host.state.ChipName = host.state.ModelName[static_cast<std::size_t>(slot)];
        UpdateAddressMap(host.state);
        ConfigButtonDispatch(host);
        OptionDialog* dialog = OpenOptionDialog(LayoutOfSlot(slot)->className);
        ASSERT_NE(dialog, nullptr) << slot;
        EXPECT_EQ(Clashes(dialog), "") << dialog->objectName().toStdString();
        dialog->CancelButton()->click();
    }
}

TEST_F(AccessibilityTest, TheRollingCodeLengthsAreOneChoice)
{
    ShowRollingCode(host);
    auto* d = static_cast<TFrmDynamicID*>(OpenWindow("TFrmDynamicID"));
    d->rbDisable->click();
    for (QRadioButton* length : d->rbLength)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(length)->role(), QAccessible::RadioButton)
            << length->text().toStdString();
    d->rbLength[3]->click(); // in the window: clears the length chosen in the panel
    EXPECT_FALSE(d->rbLength[0]->isChecked());
    EXPECT_TRUE(d->rbLength[3]->isChecked());
}

} // namespace
} // namespace orvane::test
