// A status panel takes the height a label of its text would take, in every font, also when it
// measures once.
#include "components/StatusPanel.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

void setUp(QLabel& label, const QString& text, const QFont& font)
{
    label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label.setMargin(1);
    label.setFont(font);
    label.setText(text);
}

} // namespace

TEST(StatusPanel, TakesTheHeightOfItsText)
{
    QFont big = QApplication::font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    const QString texts[] = {
        QString(),
        QStringLiteral("CUSTOMERS  Record  2 of 6          []     [DATA SOURCE = quorvel_demo]"),
        QStringLiteral("Straße ÄÖÜ [1,1]"),
        QStringLiteral("two\nlines"),
        QStringLiteral("客户  Record  1 of 1"),
        QStringLiteral("<b>a table</b>"),
    };
    for (const QFont& font : {QApplication::font(), big})
        for (const QString& text : texts) {
            TStatusPanel panel;
            QLabel label;
            setUp(panel, text, font);
            setUp(label, text, font);
            EXPECT_EQ(panel.sizeHint().height(), label.sizeHint().height()) << qPrintable(text);
            EXPECT_EQ(panel.minimumSizeHint().height(), label.minimumSizeHint().height()) << qPrintable(text);
        }
    // A new font after the first measure is measured again.
    TStatusPanel panel;
    QLabel label;
    setUp(panel, texts[1], QApplication::font());
    (void)panel.sizeHint();
    setUp(panel, texts[1], big);
    setUp(label, texts[1], big);
    EXPECT_EQ(panel.sizeHint().height(), label.sizeHint().height());
}
