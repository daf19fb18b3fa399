#include "tests/gui/support/TestHost.h"

#include "app/Startup.h"
#include "image/RomImage.h"
#include "writer/Comm1Settings.h"

#include <QAccessible>

#include <cstdlib>
#include <map>

namespace orvane::test {
namespace {

using Fields = std::multimap<QString, QAccessible::Role>;

// The fields under node, name -> role. A drop-down list is named by its current entry on this
// platform and announced by the label it is related to (its buddy label or group box), so that
// label names it here; an editable one is the field its edit is.
void Collect(QAccessibleInterface* node, Fields& out)
{
    static const QAccessible::Role kFieldRoles[] = {
        QAccessible::EditableText, QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::List, QAccessible::PushButton, QAccessible::SpinBox};
    const QAccessible::Role role = node->role();
    if (role == QAccessible::ComboBox) {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->role() == QAccessible::EditableText)
                return Collect(node->child(i), out);
        const auto labels = node->relations(QAccessible::Label);
        out.emplace(labels.isEmpty() ? QString() : labels.front().first->text(QAccessible::Name),
                    role);
        return; // not the entries of its pop-up
    }
    if (std::ranges::find(kFieldRoles, role) != std::end(kFieldRoles))
        out.emplace(node->text(QAccessible::Name), role);
    for (int i = 0; i < node->childCount(); ++i)
        Collect(node->child(i), out);
}

Fields FieldsOf(QWidget* window)
{
    QAccessible::setActive(true);
    Fields fields;
    Collect(QAccessible::queryAccessibleInterface(window), fields);
    return fields;
}

} // namespace

std::string NameClashes(QWidget* window)
{
    const Fields fields = FieldsOf(window);
    std::string clashes;
    for (auto it = fields.begin(); it != fields.end(); it = fields.upper_bound(it->first))
        if (it->first.isEmpty() || fields.count(it->first) > 1)
            clashes += " '" + it->first.toStdString() + "' x" +
                       std::to_string(fields.count(it->first));
    return clashes;
}

std::size_t FieldsNamed(QWidget* window, const char* name)
{
    return FieldsOf(window).count(QString::fromUtf8(name));
}

TestHost::TestHost()
    : comm_(loop_, [this](const std::string& name) { return name == "COM1" ? com1_ : ""; }),
      link(state, comm_, loop_),
      operations(state, link, view)
{
    CopyDataFiles(app.path());
    ConfigureComm1(comm_);
    main.resize(800, 600);
}

void TestHost::StartUp()
{
    SetUpState(state, app.path());
    comm_.SetCommName("COM1");
}

QWidget* OpenWindow(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            return w;
    return nullptr;
}

QPushButton* Button(QWidget* window, const char* caption)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8(caption))
            return b;
    return nullptr;
}

void Photograph(QWidget& window, const char* fileName)
{
    if (const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR")) {
        EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(folder) + "/" + fileName, "PNG"))
            << fileName;
    }
}

} // namespace orvane::test
