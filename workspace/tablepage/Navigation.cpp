#include "workspace/tablepage/Navigation.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QVariant>

void BitBtn_FirstClick(TablePageEnv& env, QObject* Sender)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    if (Sender == ui.BitBtn_First || Sender == ui.MenuItem_First)
        state.RecordIndex = 0;
    else if (Sender == ui.BitBtn_Previous || Sender == ui.MenuItem_Previous)
        state.RecordIndex -= 1;
    else if (Sender == ui.BitBtn_Next || Sender == ui.MenuItem_Next)
        state.RecordIndex += 1;
    else if (Sender == ui.BitBtn_Last || Sender == ui.MenuItem_Last)
        state.RecordIndex = state.RecordKeys.count() - 1;
    ShowRecord(env);
}

void BitBtn_StopClick(TablePageEnv& env)
{
    env.state.ContinueQuery = false;
    env.ui.Panel_Stop->setVisible(false);
}

void FormKeyDown(TForm_Main& form, int& Key, Qt::KeyboardModifiers Shift)
{
    MainState& state = form.state();
    Ui::TForm_Main& ui = form.ui();
    const Qt::KeyboardModifiers mods = Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    QWidget* page = ui.PageControl->currentWidget();

    if (page == ui.TabSheet_Table) {
        if (Key == Qt::Key_F2) {
            if (QWidget* focused = QApplication::focusWidget()) {
                const QVariant hint = focused->property("Hint");
                const QString text = hint.isValid() ? hint.toString() : focused->toolTip();
                platform::modal::messageBox(&form, QMessageBox::NoIcon, QApplication::applicationName(), text,
                                            QMessageBox::Ok);
            }
        }
        if (!state.InQueryMode && !state.InAddMode && !state.InUpdateMode && mods == Qt::ControlModifier) {
            struct Binding {
                int key;
                QPushButton* button;
                void (TForm_Main::*handler)(QObject*);
            };
            const Binding bindings[] = {
                {Qt::Key_F, ui.BitBtn_First, &TForm_Main::BitBtn_FirstClick},
                {Qt::Key_L, ui.BitBtn_Last, &TForm_Main::BitBtn_FirstClick},
                {Qt::Key_N, ui.BitBtn_Next, &TForm_Main::BitBtn_FirstClick},
                {Qt::Key_P, ui.BitBtn_Previous, &TForm_Main::BitBtn_FirstClick},
                {Qt::Key_Q, ui.BitBtn_Query, &TForm_Main::BitBtn_QueryClick},
                {Qt::Key_A, ui.BitBtn_Add, &TForm_Main::BitBtn_QueryClick},
                {Qt::Key_U, ui.BitBtn_Update, &TForm_Main::BitBtn_QueryClick},
                {Qt::Key_R, ui.BitBtn_Remove, &TForm_Main::BitBtn_RemoveClick},
            };
            for (const Binding& b : bindings) {
                if (Key == b.key && b.button->isEnabled()) {
                    // Consumed: the focused field must not take it as well (Ctrl+U empties a line
                    // edit to its start, in the mode the key has just entered).
                    Key = 0;
                    (form.*b.handler)(b.button);
                    break;
                }
            }
        }
        // Ctrl+U means Update on this page and nothing else: a field never takes it as "empty the
        // line", whatever the mode, or the next Execute would write the emptied field.
        if (Key == Qt::Key_U && mods == Qt::ControlModifier)
            Key = 0;
    }
    if (Key == Qt::Key_Escape) {
        if (page == ui.TabSheet_CommandLine) {
            state.AbortListing = true;
            state.ContinueQuery = false;
        } else if (page == ui.TabSheet_Table) {
            state.ContinueQuery = false;
        }
    }
    if (Key == Qt::Key_F2)
        form.JumpToInsertValue();
}

namespace {

bool usable(QPushButton* button, QWidget* window)
{
    return button->isEnabled() && button->isVisibleTo(window);
}

class KeyPreview : public QObject {
public:
    explicit KeyPreview(TForm_Main& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A new key begins with its shortcut check and a pressed key ends with its release: the
        // press seen before is then no longer travelling. (Qt builds its key events in one place,
        // so the next one may well have the last one's address.)
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyRelease) {
            last_ = nullptr;
            lastReceiver_ = nullptr;
        }
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != &form_)
            return false;
        // A key the focused control ignores travels up to its parents; it is seen once.
        if (event == last_ && lastReceiver_ && lastReceiver_ != widget && widget->isAncestorOf(lastReceiver_))
            return false;
        last_ = event;
        lastReceiver_ = widget;

        auto* keyEvent = static_cast<QKeyEvent*>(event);
        int key = keyEvent->key();
        const Qt::KeyboardModifiers mods = keyEvent->modifiers();
        const QPointer<QWidget> alive(widget);
        FormKeyDown(form_, key, mods);
        if (!alive || key == 0)
            return true;

        Ui::TForm_Main& ui = form_.ui();
        const bool noShift = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        if (noShift && (key == Qt::Key_Return || key == Qt::Key_Enter) && qobject_cast<TBVMaskEdit*>(widget)) {
            for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Execute}) {
                if (usable(b, &form_)) {
                    // Execute leaves the field as a click on it does, so the field is checked; a
                    // check that keeps the focus there keeps the mode too.
                    const MainState& s = form_.state();
                    if (b == ui.BitBtn_Execute && (s.InAddMode || s.InUpdateMode)
                        && QApplication::focusWidget() == widget) {
                        b->setFocus(Qt::OtherFocusReason);
                        if (QApplication::focusWidget() != b)
                            return true;
                    }
                    b->click();
                    return true;
                }
            }
        }
        if (noShift && key == Qt::Key_Escape) {
            QPushButton* cancel = ui.Panel_Stop->isVisibleTo(&form_) ? ui.BitBtn_Stop : ui.BitBtn_Cancel;
            if (usable(cancel, &form_)) {
                cancel->click();
                return true;
            }
        }
        return false;
    }

private:
    TForm_Main& form_;
    QEvent* last_ = nullptr;
    QPointer<QWidget> lastReceiver_;
};

} // namespace

void InstallKeyPreview(TForm_Main& form)
{
    qApp->installEventFilter(new KeyPreview(form));
}
