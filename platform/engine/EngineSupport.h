// Conversions the engine's units share: wide text for the ODBC layer, its errors as engine errors,
// and "name=value" parameter lines.
#pragma once

#include "platform/engine/Engine.h"
#include "platform/odbc/Odbc.h"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace platform::engine::detail {

inline std::u16string wide(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
}

inline QString qstr(std::u16string_view s)
{
    return QString(reinterpret_cast<const QChar*>(s.data()), qsizetype(s.size()));
}

inline EngineError toEngineError(const odbc::Error& e)
{
    return EngineError(QString::fromUtf8(e.what()), QString::fromStdString(e.sqlState()), e.nativeError());
}

// The value of "name=value" among lines, names compared without regard to case.
inline QString lineValue(const QStringList& lines, const QString& name, bool* found = nullptr)
{
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            if (found)
                *found = true;
            return line.mid(eq + 1);
        }
    }
    if (found)
        *found = false;
    return {};
}

} // namespace platform::engine::detail
