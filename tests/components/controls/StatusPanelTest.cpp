// A status panel takes the height a label of its text would take, in every font, also when it
// measures once.
#include "components/StatusPanel.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
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

namespace {

// A new size goes up the widgets one posted request at a time.
void settle()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

struct LayoutRequests : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return false;
    }
};

} // namespace

// In its slot, a panel's new text of the same height lays nothing out again; a text of another
// height, a font and a width still reach the bar.
TEST(StatusPanel, SlotPassesOnOnlyNewSizes)
{
    QMainWindow window;
    auto* panel = new TStatusPanel;
    panel->setObjectName(QStringLiteral("StatusPanel0"));
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panel->setMinimumWidth(1);
    auto* slot = new TStatusSlot(panel);
    window.statusBar()->addWidget(slot, 1);
    window.resize(500, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    panel->setText(QStringLiteral("CUSTOMERS  Record  1 of 6"));
    settle();
    EXPECT_EQ(panel->geometry(), slot->rect());
    EXPECT_GT(panel->width(), 400);
    const int oneLine = panel->height();

    LayoutRequests requests;
    window.statusBar()->installEventFilter(&requests);
    for (int i = 2; i <= 6; ++i) {
        panel->setText(QStringLiteral("CUSTOMERS  Record  %1 of 6").arg(i));
        settle();
    }
    EXPECT_EQ(requests.count, 0);
    EXPECT_EQ(panel->height(), oneLine);
    EXPECT_EQ(panel->text(), QStringLiteral("CUSTOMERS  Record  6 of 6"));

    panel->setText(QStringLiteral("two\nlines"));
    settle();
    EXPECT_GT(panel->height(), oneLine);
    EXPECT_EQ(panel->geometry(), slot->rect());
    panel->setText(QStringLiteral("one line"));
    settle();
    EXPECT_EQ(panel->height(), oneLine);

    // A text and a width changed while a bar message hides the slot take effect when it shows again.
    window.statusBar()->showMessage(QStringLiteral("Copied"));
    settle();
    EXPECT_FALSE(slot->isVisible());
    panel->setText(QStringLiteral("two\nlines"));
    panel->setMaximumWidth(300);
    window.statusBar()->clearMessage();
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_GT(panel->height(), oneLine);
    EXPECT_EQ(slot->width(), 300);
    EXPECT_EQ(panel->geometry(), slot->rect());
    panel->setText(QStringLiteral("one line"));
    settle();

    QFont big = panel->font();
    big.setPointSize(big.pointSize() + 10);
    panel->setFont(big);
    settle();
    EXPECT_GT(panel->height(), oneLine);

    panel->setFixedWidth(120);
    settle();
    EXPECT_EQ(slot->width(), 120);
    EXPECT_EQ(panel->geometry(), slot->rect());
    EXPECT_EQ(window.statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel0")), panel);
}
