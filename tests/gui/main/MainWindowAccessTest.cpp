// What keyboard and screen-reader operators reach from the main window: Tab out of the hexadecimal
// boxes, the status label's text and the hex view's caret row.
#include "tests/gui/main/MainWindowFixture.h"

#include "gui/dialogs/TfrmProgram.h"

#include <QAccessible>

namespace orvane::test {
namespace {

class MainWindowAccessTest : public MainWindowFixture {};

TEST_F(MainWindowAccessTest, TabAndShiftTabLeaveTheHexadecimalBoxes)
{
    StartQK128(false, true);
    const auto check = [](QLineEdit* box, QWidget* next) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QString text = box->text();
        // As the keyboard sends them: Shift+Tab comes as Backtab, both with the text "\t".
        for (const auto& [key, mods] : {std::pair(Qt::Key_Tab, Qt::NoModifier),
                                        std::pair(Qt::Key_Backtab, Qt::ShiftModifier)}) {
            box->setFocus();
            QKeyEvent press(QEvent::KeyPress, key, mods, "\t");
            QApplication::sendEvent(box, &press);
            QWidget* focus = box->window()->focusWidget();
            EXPECT_EQ(focus == next, key == Qt::Key_Tab) << key;
            EXPECT_NE(focus, box) << key;
        }
        EXPECT_EQ(box->text(), text);
    };
    check(Child<QLineEdit>("edtGoto"), Child<QPushButton>("btnGoto"));
    check(Child<QLineEdit>("Edit2"), Child<QPushButton>("Button1"));

    Use("tbProgram");
    auto* program = static_cast<TfrmProgram*>(OpenWindow("TfrmProgram"));
    ASSERT_NE(program, nullptr);
    program->cbxIDconfig->click();
    check(program->edtIDaddr, program->edtInitID);
    check(program->edtInitID, program->cbxIncrease);
    program->BitBtn2->click();
}

TEST_F(MainWindowAccessTest, TheStatusLabelAndTheHexViewReportTheirText)
{
    StartQK128();
    window->SetStatusLabel("Waitting...");
    QAccessibleInterface* label = QAccessible::queryAccessibleInterface(Child<QLabel>("lblStatus"));
    EXPECT_EQ(label->text(QAccessible::Name), "Waitting...");

    std::vector<std::uint8_t> bytes(0x10004);
    for (std::size_t a = 0; a < bytes.size(); ++a)
        bytes[a] = static_cast<std::uint8_t>(a);
    const std::uint8_t row2[] = {'H', 'i', 0x7F, 0xE9, ' '};
    std::copy(std::begin(row2), std::end(row2), bytes.begin() + 0x20);
    Hex().SetBytes(bytes);
    QAccessibleTextInterface* view = QAccessible::queryAccessibleInterface(&Hex())->textInterface();
    ASSERT_NE(view, nullptr);
    const QString row2Text = QString::fromUtf8("0020: 48 69 7F E9 20 25 26 27 28 29 2A 2B 2C 2D "
                                               "2E 2F  Hi.\u00E9 %&'()*+,-./");
    const struct { int row, col; QString text; int cursor; } cases[] = {
        {2, 2, row2Text, 6},   // high nibble of the first byte
        {2, 5, row2Text, 10},  // low nibble of the second
        {2, 39, row2Text, 59}, // character of the fifth
        // Past 0xFFFF the offset takes five digits and the row stops where the content does.
        {0x1000, 7, "10000: 00 01 02 03" + QString(38, ' ') + "....", 14},
    };
    for (const auto& c : cases) {
        Hex().SetRow(c.row);
        Hex().SetCol(c.col);
        EXPECT_EQ(view->text(0, view->characterCount()).toStdString(), c.text.toStdString());
        EXPECT_EQ(view->cursorPosition(), c.cursor) << c.col;
        EXPECT_EQ(view->offsetAtPoint(view->characterRect(c.cursor).center()), c.cursor);
    }
    view->setCursorPosition(10); // the operator's reader moves the caret along the row
    EXPECT_EQ(std::tuple(Hex().CaretPosition(), Hex().Col()), std::tuple(0x10001, 4));
}

} // namespace
} // namespace orvane::test
