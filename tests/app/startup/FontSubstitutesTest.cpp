#include "app/FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Each Windows face the windows name and this system lacks is answered by an installed face of its
// kind, keeping the size and style asked for; installed and unknown faces are left alone.
TEST(FontSubstitutes, MissingWindowsFacesMapToInstalledOnes)
{
    MapWindowsFonts();
    const QStringList installed = QFontDatabase::families();
    const struct { const char* face; bool fixedPitch; } faces[] = {
        {"MS Sans Serif", false}, {"Arial", false}, {"Comic Sans MS", false}, {"MS Serif", false},
        {"Times New Roman", false}, {"Courier New", true},
    };
    for (const auto& f : faces) {
        const QString face = QString::fromLatin1(f.face);
        SCOPED_TRACE(f.face);
        if (installed.contains(face, Qt::CaseInsensitive)) {
            EXPECT_TRUE(WindowsFontSubstitute(face).isEmpty());
            continue;
        }
        const QString substitute = WindowsFontSubstitute(face);
        ASSERT_FALSE(substitute.isEmpty());
        EXPECT_TRUE(installed.contains(substitute));
        EXPECT_EQ(QFont::substitute(face).toLower(), substitute.toLower());
        EXPECT_EQ(QFont::substitute(face.toLower()).toLower(), substitute.toLower());

        QFont asked(face, 10, QFont::Bold, true);
        const QFontInfo got(asked);
        EXPECT_EQ(got.family(), substitute);
        EXPECT_EQ(got.pointSize(), 10);
        EXPECT_TRUE(got.bold());
        EXPECT_TRUE(got.italic());
        EXPECT_EQ(got.fixedPitch(), f.fixedPitch);
    }
    EXPECT_TRUE(WindowsFontSubstitute(QStringLiteral("Quorvel Nowhere Face")).isEmpty());
    if (!installed.isEmpty())
        EXPECT_TRUE(WindowsFontSubstitute(installed.first()).isEmpty());
}

} // namespace
