// The program's texts are UTF-8 byte strings; QString is only what a widget shows or the operator
// typed. These are the two crossings.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace orvane {

inline QString Shown(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string Typed(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace orvane
