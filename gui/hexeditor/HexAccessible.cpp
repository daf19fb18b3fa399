#include "gui/hexeditor/HexAccessible.h"

#include "gui/hexeditor/THexEditor.h"

#include <QAccessibleWidget>

namespace orvane {

namespace {

QString Hex(int value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

class HexEditorAccessible : public QAccessibleWidget {
public:
    explicit HexEditorAccessible(THexEditor* editor)
        : QAccessibleWidget(editor, QAccessible::EditableText)
    {
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

private:
    const THexEditor& Editor() const { return *static_cast<const THexEditor*>(widget()); }
    bool HasByte() const { return Editor().CaretPosition() < Editor().DataSize(); }

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
}

} // namespace orvane
