#include "workspace/PageControl.h"

#include "app/MainState.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QScrollBar>

namespace {

constexpr int kCaretPanelWidth = 100;
// Distance of Execute and Cancel from the tool bar's right edge, as laid out in the window.
constexpr int kExecuteRightGap = 63;
constexpr int kCancelRightGap = 35;
constexpr int kWheelStep = 32;

enum class Show { Yes, No, Keep };

struct PageItem {
    QAction* Ui::TForm_Main::*item;
    Show table;
    Show sql;
};

const PageItem kPageItems[] = {
    {&Ui::TForm_Main::N1, Show::Yes, Show::No},
    {&Ui::TForm_Main::N7, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_SelectTable, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_DefaultNulls, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Query, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Add, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Update, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Remove, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_First, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Previous, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Next, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Last, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Execute, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_Cancel, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_AllowLowerCase, Show::Yes, Show::No},
    {&Ui::TForm_Main::MenuItem_SQLViewer, Show::Yes, Show::No},
    {&Ui::TForm_Main::N12, Show::No, Show::Yes},
    {&Ui::TForm_Main::N6, Show::No, Show::Yes},
    {&Ui::TForm_Main::MenuItem_Open, Show::No, Show::Yes},
    {&Ui::TForm_Main::MenuItem_Save, Show::No, Show::Yes},
    {&Ui::TForm_Main::MenuItem_Execute2, Show::No, Show::Yes},
    {&Ui::TForm_Main::N4, Show::Yes, Show::Yes},
    {&Ui::TForm_Main::N5, Show::Yes, Show::Yes},
    {&Ui::TForm_Main::MenuItem_ShowFieldNames, Show::Yes, Show::Yes},
    {&Ui::TForm_Main::N8, Show::No, Show::No},
    {&Ui::TForm_Main::N9, Show::No, Show::No},
    {&Ui::TForm_Main::MenuItem_IncludeCommands, Show::No, Show::No},
    {&Ui::TForm_Main::MenuItem_Execute3, Show::No, Show::No},
    {&Ui::TForm_Main::N2, Show::Yes, Show::Keep},
    {&Ui::TForm_Main::MenuItem_PrintPreview, Show::Keep, Show::No},
};

bool tablePageActive(const Ui::TForm_Main& ui)
{
    return ui.PageControl->currentWidget() == ui.TabSheet_Table;
}

} // namespace

void FormResize(TForm_Main& form)
{
    Ui::TForm_Main& ui = form.ui();
    const int outerWidth = form.frameGeometry().width();
    ui.Panel_Center->move((outerWidth - ui.Panel_Center->width()) / 2, ui.Panel_Center->y());
    const int clientWidth = form.width();
    form.setPanelWidth(0, tablePageActive(ui) ? clientWidth : clientWidth - kCaretPanelWidth);
    KeepToolBarRightButtons(ui);
}

void PageControlChange(TForm_Main& form)
{
    Ui::TForm_Main& ui = form.ui();
    MainState& state = form.state();
    if (auto* findDialog = form.findChild<QWidget*>(QStringLiteral("FindDialog")); findDialog && findDialog->isVisible())
        findDialog->close();

    const bool table = tablePageActive(ui);
    if (table) {
        form.setPanelWidth(0, ui.PageControl->width());
        form.setPanelText(1, QString());
    } else {
        form.setPanelWidth(0, ui.PageControl->width() - kCaretPanelWidth);
        ShowCaretPosition(form);
    }
    ShowPageMenuItems(ui, table ? 0 : 1);
    if (!table)
        ui.Memo_SQL->setFocus();
    form.setPanelText(0, PageStatusText(state, table, form.GetConnectionText()));
}

void ShowPageMenuItems(Ui::TForm_Main& ui, int page)
{
    for (const PageItem& entry : kPageItems) {
        const Show rule = page == 0 ? entry.table : entry.sql;
        if (rule != Show::Keep)
            (ui.*entry.item)->setVisible(rule == Show::Yes);
    }
}

QString PageStatusText(const MainState& state, bool tablePageActive, const QString& connectionText)
{
    if (!tablePageActive || state.CurrentTable.isEmpty())
        return connectionText;
    const QString table = state.CurrentTable.toUpper();
    if (state.RecordKeys.isEmpty())
        return table + QStringLiteral("  Record  0 of 0          ") + connectionText;
    return table + QStringLiteral("  Record  ") + QString::number(state.RecordIndex + 1) + QStringLiteral(" of ")
           + QString::number(state.RecordKeys.count()) + QStringLiteral("          ") + connectionText;
}

void SetButtons(MainState& state, Ui::TForm_Main& ui)
{
    const bool found = !state.RecordKeys.isEmpty();
    // A page cleared by a failed display has nothing to update or remove.
    ui.BitBtn_Update->setEnabled(found && state.RecordShown);
    ui.BitBtn_Remove->setEnabled(found && state.RecordShown);
    if (found) {
        SetNavigationButtons(state, ui, state.RecordIndex);
    } else {
        for (QWidget* button : {ui.BitBtn_First, ui.BitBtn_Next, ui.BitBtn_Previous, ui.BitBtn_Last})
            button->setEnabled(false);
    }
}

void ScrollBoxMouseWheel(Ui::TForm_Main& ui, int WheelDelta)
{
    QScrollBar* bar = ui.ScrollBox->verticalScrollBar();
    bar->setValue(WheelDelta > 0 ? bar->value() - kWheelStep : bar->value() + kWheelStep);
}

void KeepToolBarRightButtons(Ui::TForm_Main& ui)
{
    const int width = ui.Panel_Menu->width();
    ui.BitBtn_Execute->move(width - kExecuteRightGap, ui.BitBtn_Execute->y());
    ui.BitBtn_Cancel->move(width - kCancelRightGap, ui.BitBtn_Cancel->y());
}

void ShowCommandLinePage(TForm_Main& form, bool runPageHandler)
{
    Ui::TForm_Main& ui = form.ui();
    if (ui.PageControl->currentWidget() != ui.TabSheet_CommandLine)
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    else if (runPageHandler)
        PageControlChange(form);
}
