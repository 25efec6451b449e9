#include "workspace/tablepage/PageModes.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/AddRecord.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/QueryByExample.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/UpdateRecord.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QString kQueryCaption = QStringLiteral("Quorvel     [QUERY MODE]");
const QString kAddCaption = QStringLiteral("Quorvel     [ADD MODE]");
const QString kUpdateCaption = QStringLiteral("Quorvel     [UPDATE MODE]");
const QString kBrowseCaption = QStringLiteral("Quorvel");

void setCaption(TablePageEnv& env, const QString& caption)
{
    if (env.window)
        env.window->setWindowTitle(caption);
}

void setStatus(TablePageEnv& env, const QString& text)
{
    if (env.statusPanel0) {
        env.statusPanel0->setText(text);
        env.statusPanel0->repaint();
    }
    env.ui.StatusBar->repaint();
}

void disableNavigation(Ui::TForm_Main& ui)
{
    for (QPushButton* b : {ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last})
        b->setEnabled(false);
}

} // namespace

void RestoreDefaultCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void BitBtn_QueryClick(TablePageEnv& env, QObject* Sender)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    state.ContinueQuery = true;
    if (Sender == ui.BitBtn_Query || Sender == ui.MenuItem_Query) {
        state.InQueryMode = true;
        ClearTablePage(ui);
        // The cleared page holds criteria, no stored record, until a record is shown again.
        state.RecordShown = false;
        ClearMaxLengths(ui);
        state.WherePresent = false;
        setCaption(env, kQueryCaption);
        SetEditFocus(env);
    } else if (Sender == ui.BitBtn_Add || Sender == ui.MenuItem_Add) {
        state.InAddMode = true;
        ClearTablePage(ui);
        // What is typed is no stored record: a refused INSERT must not leave Update and Remove
        // acting on the record shown before.
        state.RecordShown = false;
        setCaption(env, kAddCaption);
        SetMaskEditDefaults(env);
        SetEditFocus(env);
    } else if (Sender == ui.BitBtn_Update || Sender == ui.MenuItem_Update) {
        state.InUpdateMode = true;
        state.WherePresent = false;
        setCaption(env, kUpdateCaption);
        SetEditFocus(env);
    }
    SetPageEditable(state, ui);
    SetModeButtons(state, ui);
    disableNavigation(ui);
}

void BitBtn_ExecuteClick(TablePageEnv& env, QObject*)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    ui.BitBtn_Execute->setEnabled(false);
    ui.BitBtn_Cancel->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    // Whatever the work raises, the page goes back to browsing: a failed mode must not stay
    // half-entered with its commands disabled.
    const bool wasQuery = state.InQueryMode;
    try {
        if (state.InQueryMode) {
            try {
                ExecuteQuery(env);
            } catch (const QueryRefused& refused) {
                // Nothing was sent: the page stays in query mode with every criterion as typed,
                // so the one refused can be mended.
                RestoreDefaultCursor();
                platform::modal::messageBox(env.window, QMessageBox::Warning, QApplication::applicationName(),
                                            refused.message(), QMessageBox::Ok);
                SetPageEditable(state, ui);
                SetModeButtons(state, ui);
                setCaption(env, kQueryCaption);
                if (refused.control)
                    refused.control->setFocus();
                return;
            }
        } else if (state.InAddMode) {
            setStatus(env, QStringLiteral("Adding Record"));
            AddRecord(env);
        } else if (state.InUpdateMode) {
            setStatus(env, QStringLiteral("Updating Record"));
            UpdateShownRecord(env);
        }
    } catch (const std::exception& error) {
        ui.Panel_Stop->setVisible(false);
        RestoreDefaultCursor();
        platform::modal::messageBox(env.window, QMessageBox::Critical, QApplication::applicationName(),
                                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    }
    if (wasQuery)
        RestoreMaxLengths(state, ui);
    state.InQueryMode = false;
    state.InAddMode = false;
    state.InUpdateMode = false;

    ResetModeButtons(state, ui);
    SetPageReadOnly(ui);
    setCaption(env, kBrowseCaption);
    RestoreDefaultCursor();
    SetButtons(state, ui);
}

void BitBtn_CancelClick(TablePageEnv& env, QObject*)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    if (state.InQueryMode)
        RestoreMaxLengths(state, ui);
    state.InQueryMode = false;
    state.InAddMode = false;
    state.InUpdateMode = false;
    if (state.RecordKeys.isEmpty())
        ClearTablePage(ui);
    else
        ShowRecord(env);
    SetPageReadOnly(ui);
    ResetModeButtons(state, ui);
    setCaption(env, kBrowseCaption);
}

void BitBtn_QuickQueryClick(TablePageEnv& env, QObject*)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    const QList<QWidget*> controls = PageControls(ui);

    // The edit the key is read from. A configured key column the table lacks has none; then there
    // is nothing to narrow the query with, and nothing is done.
    TBVMaskEdit* keyEdit = nullptr;
    for (QWidget* control : controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(control);
        if (!edit)
            continue;
        if (!state.KeyColumn.isEmpty() && edit->fieldTypeCode() == 14) {
            keyEdit = edit;
            break;
        }
        if (state.KeyColumn.isEmpty() && !state.UniqueColumn.isEmpty()
            && edit->FieldName.compare(state.UniqueColumn, Qt::CaseInsensitive) == 0) {
            keyEdit = edit;
            break;
        }
    }
    if (!keyEdit && (!state.KeyColumn.isEmpty() || !state.UniqueColumn.isEmpty()))
        return;

    QString keyText;
    if (keyEdit) {
        keyText = keyEdit->isEmptyMask() ? QString() : keyEdit->text();
        if (!state.KeyColumn.isEmpty())
            state.KeyControl = keyEdit;
        else
            state.UniqueControl = keyEdit;
    }
    const QPixmap blank = ui.Image_Clear->pixmap();
    for (QWidget* control : controls) {
        if (auto* edit = qobject_cast<TBVMaskEdit*>(control)) {
            edit->clear();
        } else if (auto* memo = qobject_cast<TBVMemo*>(control)) {
            memo->clear();
        } else if (auto* image = qobject_cast<TBVImage*>(control)) {
            image->setPicture(blank);
            FitImageFrame(ui, image);
        }
    }
    if (!keyEdit)
        return;

    keyEdit->setText(keyText);
    state.InQueryMode = true;
    state.ContinueQuery = true;
    state.WherePresent = false;
    setCaption(env, kQueryCaption);
    BitBtn_ExecuteClick(env, ui.BitBtn_Execute);
}

void BitBtn_AppendSQLClick(TablePageEnv& env, QObject*)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    if (const auto text = platform::modal::inputBox(env.window, QStringLiteral("Add SQL to Query"),
                                                    QStringLiteral("SQL:"), state.AppendedSql))
        state.AppendedSql = *text;
    ui.BitBtn_AppendSQL->setToolTip(state.AppendedSql);
    const QLabel* glyph = state.AppendedSql.isEmpty() ? ui.Image_SQLMinus : ui.Image_SQLPlus;
    ui.BitBtn_AppendSQL->setIcon(QIcon(glyph->pixmap()));
}
