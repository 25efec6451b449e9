// The editor and menu commands reached through the main window's own bindings.
#include "workspace/sqlpage/FindReplaceDialogs.h"
#include "workspace/MainWindow.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include "ui_FindDialog.h"
#include "ui_Main.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

class EditorWindow : public ::testing::Test {
protected:
    testsupport::TempHome home;
    platform::modal::ScopedResponder responder{[](const platform::modal::Request&) {
        return platform::modal::Answer{};
    }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
};

TEST_F(EditorWindow, MenusSetTheirItemsWhenTheyOpen)
{
    form.show();
    ui.PageControl->setCurrentIndex(1);
    form.state().CurrentTable = QStringLiteral("customers");
    ui.Memo_Results->setPlainText(QStringLiteral("1|"));
    emit ui.MenuItem_File->aboutToShow();
    EXPECT_TRUE(ui.MenuItem_CreateDBASCII->isEnabled());
    EXPECT_TRUE(ui.MenuItem_FromScreen->isEnabled());

    emit ui.MenuItem_Tools->aboutToShow();
    EXPECT_FALSE(ui.MenuItem_AllowLowerCase->isVisible());
    EXPECT_TRUE(ui.MenuItem_ShowFieldNames->isVisible());

    ui.PageControl->setCurrentIndex(0);
    ui.BitBtn_Next->setEnabled(false);
    ui.BitBtn_Query->setEnabled(true);
    emit ui.MenuItem_Commands->aboutToShow();
    EXPECT_FALSE(ui.MenuItem_Next->isEnabled());
    EXPECT_TRUE(ui.MenuItem_Query->isEnabled());

    // One click of a check item flips it once and the bar follows.
    ASSERT_TRUE(ui.MenuItem_StatusBar->isChecked());
    ui.MenuItem_StatusBar->trigger();
    EXPECT_FALSE(ui.MenuItem_StatusBar->isChecked());
    EXPECT_TRUE(ui.StatusBar->isHidden());
}

TEST_F(EditorWindow, PopupItemsReachTheBoxTheyWereOpenedOn)
{
    form.show();
    ui.PageControl->setCurrentIndex(1);
    ui.Memo_SQL->setPlainText(QStringLiteral("keep"));
    ui.Memo_Results->setPlainText(QStringLiteral("drop"));
    emit ui.Memo_Results->customContextMenuRequested(QPoint(5, 5));
    ui.PopupMenu_RE->hide();
    ui.MenuItem_Clear->trigger();
    EXPECT_TRUE(ui.Memo_Results->toPlainText().isEmpty());
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("keep"));

    emit ui.Memo_SQL->customContextMenuRequested(QPoint(5, 5));
    ui.PopupMenu_RE->hide();
    ui.MenuItem_Find->trigger();
    EXPECT_EQ(form.state().FindReplaceTarget, ui.Memo_SQL);
    auto* find = form.findChild<TFindDialog*>(QStringLiteral("FindDialog"));
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    find->setFindText(QStringLiteral("EE"));
    QTest::mouseClick(find->ui().Button_FindNext, Qt::LeftButton);
    EXPECT_EQ(ui.Memo_SQL->textCursor().selectedText(), QStringLiteral("ee"));
}

TEST_F(EditorWindow, ExitClosesTheWindow)
{
    form.show();
    ASSERT_TRUE(form.isVisible());
    ui.MenuItem_Exit->trigger();
    EXPECT_FALSE(form.isVisible());
}
