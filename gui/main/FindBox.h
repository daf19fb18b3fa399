// The find box of the hex view (Ctrl+F): a pattern typed as hexadecimal bytes ("A5 5A") or as
// text, and "查找下一个". It stays open beside the main window; F3 finds again from the caret.
#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QLineEdit;
class QRadioButton;

namespace orvane {

class FindBox final : public QDialog {
    Q_OBJECT
public:
    explicit FindBox(QWidget* parent);

    // The bytes to look for; none when the box holds no valid pattern.
    std::optional<std::vector<std::uint8_t>> Pattern() const;
    bool HasText() const;

    QLineEdit* edtFind = nullptr;
    QRadioButton* rbHex = nullptr;
    QRadioButton* rbText = nullptr;

signals:
    void FindNext();
};

} // namespace orvane
