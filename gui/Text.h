// The program's texts are UTF-8 byte strings; QString is only what a widget shows or the operator
// typed. These are the two crossings.
#pragma once

#include "foundation/Translate.h"

#include <QString>

#include <string>
#include <string_view>

namespace orvane {

inline QString Shown(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A text a table holds (marked with TrNoop where it is written), in the running language.
inline QString ShownTr(std::string_view written)
{
    const std::string text(written);
    const char* shown = Tr(text.c_str());
    return shown == text.c_str() ? Shown(written) : QString::fromUtf8(shown);
}

inline std::string Typed(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace orvane
