#include "workspace/MenuStates.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "platform/modal/Modal.h"

#include "ui_Main.h"

#include <QPrinter>

namespace {

bool tablePageActive(const Ui::TForm_Main& ui)
{
    return ui.PageControl->currentIndex() == kTablePageIndex;
}

} // namespace

void MenuItem_FileClick(MainState& state, Ui::TForm_Main& ui)
{
    ui.MenuItem_CreateDBASCII->setEnabled(!state.CurrentTable.isEmpty());
    const bool results = !ui.Memo_Results->document()->isEmpty();
    ui.MenuItem_FromScreen->setEnabled(results);
    ui.MenuItem_MultiFromScreen->setEnabled(results);
}

void MenuItem_CommandsClick(Ui::TForm_Main& ui)
{
    const std::pair<QAction*, QWidget*> pairs[] = {
        {ui.MenuItem_Query, ui.BitBtn_Query},       {ui.MenuItem_Add, ui.BitBtn_Add},
        {ui.MenuItem_Update, ui.BitBtn_Update},     {ui.MenuItem_Remove, ui.BitBtn_Remove},
        {ui.MenuItem_First, ui.BitBtn_First},       {ui.MenuItem_Previous, ui.BitBtn_Previous},
        {ui.MenuItem_Next, ui.BitBtn_Next},         {ui.MenuItem_Last, ui.BitBtn_Last},
        {ui.MenuItem_Execute, ui.BitBtn_Execute},   {ui.MenuItem_Cancel, ui.BitBtn_Cancel},
    };
    for (const auto& [item, button] : pairs)
        item->setEnabled(button->isEnabled());
}

void MenuItem_ViewClick(MainState& state, Ui::TForm_Main& ui)
{
    const bool keyed = !state.KeyColumn.isEmpty() || !state.UniqueColumn.isEmpty();
    ui.MenuItem_ListView->setEnabled(keyed && tablePageActive(ui) && !state.RecordKeys.isEmpty() &&
                                     !state.InAddMode && !state.InUpdateMode);
}

void MenuItem_ToolsClick(MainState& state, Ui::TForm_Main& ui)
{
    ui.MenuItem_BuildData->setEnabled(!state.CurrentTable.isEmpty());
    const bool table = tablePageActive(ui);
    ui.MenuItem_AllowLowerCase->setVisible(table);
    ui.MenuItem_DefaultNulls->setVisible(table);
    ui.MenuItem_ShowFieldNames->setVisible(!table);
}

void ApplyAllowLowerCase(Ui::TForm_Main& ui)
{
    const bool allow = ui.MenuItem_AllowLowerCase->isChecked();
    for (TBVMaskEdit* edit : ui.TabSheet_Table->findChildren<TBVMaskEdit*>()) {
        if (allow)
            edit->setCharCase(TEditCharCase::Normal);
        else if (edit->FieldName != QLatin1String("rowid"))
            edit->setCharCase(TEditCharCase::Upper);
    }
}

void MenuItem_ToolBarClick(Ui::TForm_Main& ui, QObject* Sender)
{
    if (Sender == ui.MenuItem_ToolBar)
        ui.Panel_Menu->setVisible(ui.MenuItem_ToolBar->isChecked());
    else if (Sender == ui.MenuItem_StatusBar)
        ui.StatusBar->setVisible(ui.MenuItem_StatusBar->isChecked());
    else if (Sender == ui.MenuItem_AllowLowerCase)
        ApplyAllowLowerCase(ui);
    // Include Commands: the check mark only.
}

void MenuItem_ShowFieldNamesClick(Ui::TForm_Main&) {}

void MenuItem_ExitClick(QWidget& window)
{
    window.close();
}

void MenuItem_PrintSetupClick(QWidget* window)
{
    // Kept for the program's life so the choices stay; never freed, as it must outlive the GUI.
    static QPrinter* printer = new QPrinter;
    platform::modal::pageSetupDialog(window, *printer);
}
