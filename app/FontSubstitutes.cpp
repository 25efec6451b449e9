#include "app/FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QSet>
#include <QStringList>

namespace {

enum class Kind { Sans, Serif, Fixed };

struct WindowsFace {
    const char* family;
    Kind kind;
};

const WindowsFace kWindowsFaces[] = {
    {"MS Sans Serif", Kind::Sans},   {"MS Shell Dlg", Kind::Sans},    {"MS Shell Dlg 2", Kind::Sans},
    {"Arial", Kind::Sans},           {"Tahoma", Kind::Sans},          {"Verdana", Kind::Sans},
    {"Comic Sans MS", Kind::Sans},   {"Small Fonts", Kind::Sans},     {"System", Kind::Sans},
    {"MS Serif", Kind::Serif},       {"Times New Roman", Kind::Serif},
    {"Courier New", Kind::Fixed},    {"Courier", Kind::Fixed},        {"Fixedsys", Kind::Fixed},
    {"Terminal", Kind::Fixed},       {"Lucida Console", Kind::Fixed},
};

// Faces of each kind in order of preference: the metric-compatible ones first.
QStringList preferred(Kind kind)
{
    switch (kind) {
    case Kind::Sans:
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans"),
                QStringLiteral("Noto Sans"), QStringLiteral("FreeSans")};
    case Kind::Serif:
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif"),
                QStringLiteral("Noto Serif"), QStringLiteral("FreeSerif")};
    case Kind::Fixed:
        return {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"), QStringLiteral("DejaVu Sans Mono"),
                QStringLiteral("Noto Sans Mono"), QStringLiteral("FreeMono")};
    }
    return {};
}

// The installed families, lower case, listed once: asking for each face by name would have the
// font configuration resolve every missing one as an alias.
const QSet<QString>& installedFamilies()
{
    static const QSet<QString> families = [] {
        QSet<QString> set;
        for (const QString& family : QFontDatabase::families())
            set.insert(family.toLower());
        return set;
    }();
    return families;
}

bool installed(const QString& family) { return installedFamilies().contains(family.toLower()); }

QString installedFace(Kind kind)
{
    for (const QString& family : preferred(kind))
        if (installed(family))
            return family;
    if (kind == Kind::Fixed)
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    if (kind == Kind::Serif) {
        for (const QString& family : QFontDatabase::families())
            if (family.contains(QLatin1String("Serif")) && !family.contains(QLatin1String("Sans")))
                return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

QString WindowsFontSubstitute(const QString& family)
{
    for (const WindowsFace& face : kWindowsFaces) {
        if (family.compare(QLatin1String(face.family), Qt::CaseInsensitive) != 0)
            continue;
        if (installed(family))
            return {};
        return installedFace(face.kind);
    }
    return {};
}

void MapWindowsFonts()
{
    for (const WindowsFace& face : kWindowsFaces) {
        const QString family = QString::fromLatin1(face.family);
        const QString substitute = WindowsFontSubstitute(family);
        if (!substitute.isEmpty())
            QFont::insertSubstitution(family, substitute);
    }
}
