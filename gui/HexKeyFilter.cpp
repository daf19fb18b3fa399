#include "gui/HexKeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace orvane {

namespace {

class HexKeyFilter final : public QObject {
public:
    HexKeyFilter(QLineEdit* box, std::function<void()> onEnter)
        : QObject(box), box_(box), onEnter_(std::move(onEnter))
    {
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (onEnter_)
                onEnter_();
            return true;
        }
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false; // the focus moves on to the next control, or back
        const QString text = key->text();
        if (text.size() != 1 || key->key() == Qt::Key_Delete)
            return false; // navigation and editing keys type nothing
        const QChar c = text.front();
        if (c == '\b' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))
            return false;
        if (c >= 'a' && c <= 'f')
            box_->insert(c.toUpper());
        return true;
    }

private:
    QLineEdit* box_;
    std::function<void()> onEnter_;
};

} // namespace

void InstallHexKeyFilter(QLineEdit* box, std::function<void()> onEnter)
{
    box->installEventFilter(new HexKeyFilter(box, std::move(onEnter)));
}

} // namespace orvane
