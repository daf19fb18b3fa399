#include "gui/hexeditor/HexAccessible.h"

#include "gui/hexeditor/THexEditor.h"

#include <QAccessibleWidget>

namespace orvane {

namespace {

QString Hex(int value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// The name says where the caret is, the value which byte it is on; the text is the caret's row
// as the grid shows it, with the caret as the text cursor, so that a screen reader can read the
// whole row and follow the caret along it.
class HexEditorAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HexEditorAccessible(THexEditor* editor)
        : QAccessibleWidget(editor, QAccessible::EditableText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name: return Address();
        case QAccessible::Value: return Value();
        case QAccessible::Description: return Description();
        default: return QAccessibleWidget::text(kind);
        }
    }

    // QAccessibleTextInterface, over the caret's row.
    QString text(int startOffset, int endOffset) const override
    {
        return RowText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(RowText().size()); }
    int cursorPosition() const override
    {
        return HexLayout::TextOffset(Editor().Row(), Editor().Col());
    }
    void setCursorPosition(int position) override
    {
        Editor().SetCol(HexLayout::ColumnAtTextOffset(Editor().Row(), position));
    }
    QRect characterRect(int offset) const override
    {
        const QRect cell = Editor().RowTextRect(offset);
        return {Editor().viewport()->mapToGlobal(cell.topLeft()), cell.size()};
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Editor().RowTextOffsetAt(Editor().viewport()->mapFromGlobal(point));
    }
    // The byte selection is the editor's own; the row text offers none.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void scrollToSubstring(int, int) override {} // the caret's row is always in view
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    THexEditor& Editor() const { return *static_cast<THexEditor*>(widget()); }
    bool HasByte() const { return Editor().CaretPosition() < Editor().DataSize(); }
    QString RowText() const
    {
        return QString::fromStdU16String(HexLayout::RowText(Editor().Bytes(), Editor().Row()));
    }

    QString Address() const
    {
        return QStringLiteral("Address ") + Hex(Editor().CaretPosition(), 4);
    }

    QString Value() const
    {
        return HasByte() ? Hex(Editor().Bytes()[Editor().CaretPosition()], 2) : QString();
    }

    QString Description() const
    {
        if (!HasByte())
            return Address() + QStringLiteral(", no data");
        const THexEditor& e = Editor();
        QString text = Address() + QStringLiteral(", byte ") + Value();
        text += e.CaretInCharacters() ? QStringLiteral(", character")
                : e.CaretOnLowNibble() ? QStringLiteral(", low nibble")
                                       : QStringLiteral(", high nibble");
        if (e.IsChanged(e.CaretPosition()))
            text += QStringLiteral(", changed");
        if (e.InsertMode())
            text += QStringLiteral(", insert mode");
        return text;
    }
};

QAccessibleInterface* HexEditorFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(THexEditor::staticMetaObject.className()))
        return new HexEditorAccessible(static_cast<THexEditor*>(object));
    return nullptr;
}

} // namespace

void InstallHexEditorAccessibility()
{
    static const bool installed = (QAccessible::installFactory(HexEditorFactory), true);
    (void)installed;
}

void NotifyHexEditorCaret(THexEditor* editor)
{
    QAccessibleEvent name(editor, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
    const int pos = editor->CaretPosition();
    QAccessibleValueChangeEvent value(
        editor, pos < editor->DataSize() ? QVariant(int{editor->Bytes()[pos]}) : QVariant());
    QAccessible::updateAccessibility(&value);
    QAccessibleEvent description(editor, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    QAccessibleTextCursorEvent cursor(editor, HexLayout::TextOffset(editor->Row(), editor->Col()));
    QAccessible::updateAccessibility(&cursor);
}

} // namespace orvane
