#include "workspace/tablepage/ValueChecks.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/BVValid.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <cmath>
#include <stdexcept>

using namespace platform::engine;

namespace {

const QString kDateFallback = QStringLiteral("12/31/9999");
const QString kDateTimeFallback = QStringLiteral("12/31/9999 00:00:00");
const QString kFloatRangeMessage = QStringLiteral("Floating Point Number out of range!");

bool isNullMarker(const QString& marker) { return marker.toLower() == QLatin1String("null"); }

} // namespace

// One reading for the whole page: the validators' conversions.
std::optional<QDate> ParseDateText(const QString& S) { return StrToDate(S); }
std::optional<QDateTime> ParseDateTimeText(const QString& S) { return StrToDateTime(S); }

bool IsValidDateTime(const QString& S) { return ParseDateTimeText(S).has_value(); }

QString DateTextOrDefault(const QString& Value)
{
    return ParseDateText(Value) ? Value : kDateFallback;
}

QString DateTimeTextOrDefault(const QString& Value)
{
    return ParseDateTimeText(Value) ? Value : kDateTimeFallback;
}

QString FloatTextOrDefault(const QString& Value)
{
    // No inf or nan: no database takes them as a literal.
    const auto v = StrToFloat(Value);
    return v && std::isfinite(static_cast<double>(*v)) ? Value : QStringLiteral("0.00");
}

QString IntegerTextOrDefault(const QString& Value)
{
    return StrToInt64(Value) ? Value : QStringLiteral("-1");
}

bool FloatInRange(const QString& Value)
{
    const auto v = StrToFloat(Value);
    if (!v)
        return true;  // no number: that is the conversion's refusal, not the range's
    const double d = static_cast<double>(*v);
    return std::isfinite(d) && (d != 0 || *v == 0);
}

bool RefuseNumberOutOfRange(TBVMaskEdit* Edit)
{
    if (!Edit)
        return false;
    const QString text = Edit->maskedText();
    if (Edit->FieldType == ftFloat && !FloatInRange(text)) {
        ShowFloatError(Edit, kFloatRangeMessage, 0.0);
        return true;
    }
    static const QRegularExpression digits(QStringLiteral("^ *[+-]?[0-9]+ *$"));
    if ((Edit->FieldType == ftInteger || Edit->FieldType == ftSmallint) && digits.match(text).hasMatch()
        && !StrToInt64(text)) {
        ShowIntError(Edit, 0, QStringLiteral("Invalid Integer"));
        return true;
    }
    return false;
}

QString BooleanToBit(const QString& Value)
{
    if (Value == QLatin1String("0") || Value == QLatin1String("1"))
        return Value;
    return Value.trimmed().toLower() == QLatin1String("true") ? QStringLiteral("1") : QStringLiteral("0");
}

QString SqlLiteral(int FieldType, const QString& Value)
{
    switch (FieldType) {
    case ftString:
        // Written for the connection's dialect: a backslash in a stored value must not end the
        // literal on a server that takes it for an escape.
        return SqlStringLiteral(Value);
    case ftSmallint:
    case ftInteger:
        return IntegerTextOrDefault(Value).trimmed();
    case ftBoolean:
        return BooleanToBit(Value);
    case ftFloat:
        return FloatTextOrDefault(Value).trimmed();
    case ftDate:
        return QStringLiteral("{d '") + ClockText(*ParseDateText(DateTextOrDefault(Value)), nullptr, ClockOrder::Odbc)
               + QStringLiteral("'}");
    case ftDateTime: {
        const auto dt = ParseDateTimeText(Value);
        if (!dt)
            throw std::invalid_argument(("'" + Value + "' is not a valid date and time").toStdString());
        const QTime time = dt->time();
        return QStringLiteral("{ts '") + ClockText(dt->date(), &time, ClockOrder::Odbc) + QStringLiteral("'}");
    }
    default:
        return {};
    }
}

QString LineStringLiteral(const QString& Value)
{
    return SqlStringLiteral(Value, platform::engine::SqlDialect{});
}

QString ControlSqlLiteral(const TBVMaskEdit* Control)
{
    // Quotes are doubled here too: the literal goes into statements as well as into the line.
    return Control ? SqlLiteral(Control->FieldType, Control->text()) : QString();
}

QString PadToWidth(const QString& S, const QString& Pad, int Width)
{
    QString r = S;
    if (Pad.isEmpty())
        return r;
    while (r.length() < Width)
        r += Pad;
    return r;
}

void ReplaceAll(QString& S, const QString& Find, const QString& Replacement)
{
    if (Find.isEmpty() || Replacement.contains(Find))
        return;  // would never end
    for (qsizetype i = S.indexOf(Find); i >= 0; i = S.indexOf(Find))
        S.replace(i, 1, Replacement);
}

void NormalizeBooleanText(TBVMaskEdit* Control)
{
    if (Control)
        Control->setText(BooleanToBit(Control->text()));
}

void ValidateDateTime(TablePageEnv&, TBVMaskEdit* Control)
{
    if (!Control || IsValidDateTime(Control->text()))
        return;
    AppMessageDlg(QStringLiteral("Invalid DateTime"), mtError, mbOK);
    Control->setText(kDateTimeFallback);
    Control->setFocus();
}

void ValidateFieldOnExit(TablePageEnv& env, QWidget* Sender)
{
    auto* edit = qobject_cast<TBVMaskEdit*>(Sender);
    if (!edit || !(env.state.InAddMode || env.state.InUpdateMode) || isNullMarker(edit->Hint))
        return;
    // A value left as stored is not written, whatever it looks like (a date SQLite keeps as
    // "14.03.2019", an integer past 32 bits in a small-integer column).
    if (env.state.InUpdateMode && !ChangedByUser(edit))
        return;
    switch (edit->FieldType) {
    case ftDate:
        ValidateDate(edit);
        break;
    case ftDateTime:
        ValidateDateTime(env, edit);
        break;
    case ftSmallint:
        ValidateSmallInt(edit, 0);
        break;
    case ftInteger:
        // Integers of 64 bits: whether the column holds one is for the database to say.
        ValidateLargeInt(edit, 0);
        break;
    case ftBoolean:
        NormalizeBooleanText(edit);
        break;
    case ftFloat:
        if (!IsValidFloat(edit->maskedText()))
            ValidateFloat(edit, 0.0);
        else if (!FloatInRange(edit->maskedText()))
            ShowFloatError(edit, kFloatRangeMessage, 0.0);
        break;
    default:
        break;
    }
}

namespace {

// Keys that move the caret or the focus, or copy and select, in a field; Enter and Tab type a
// line break and a tab in a memo.
bool leavesValue(int Key, Qt::KeyboardModifiers Shift, bool Memo)
{
    switch (Key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Menu:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return !Memo;
    case Qt::Key_C:
    case Qt::Key_A:
        return Shift.testFlag(Qt::ControlModifier) && !Shift.testFlag(Qt::AltModifier);
    case Qt::Key_Insert:
        return Shift.testFlag(Qt::ControlModifier);  // Ctrl+Insert copies; Shift+Insert pastes
    default:
        return Key >= Qt::Key_F1 && Key <= Qt::Key_F35;
    }
}

} // namespace

void DataControlKeyDown(TablePageEnv& env, QWidget* Sender, int Key, Qt::KeyboardModifiers Shift)
{
    auto* edit = qobject_cast<TBVMaskEdit*>(Sender);
    auto* memo = qobject_cast<TBVMemo*>(Sender);
    if (!edit && !memo)
        return;
    QString& marker = edit ? edit->Hint : memo->Hint;
    const MainState& s = env.state;
    if (s.InAddMode || s.InUpdateMode || s.InQueryMode) {
        const bool ctrl = Shift.testFlag(Qt::ControlModifier);
        const bool modifierOnly = Key == Qt::Key_Control || Key == Qt::Key_Shift || Key == Qt::Key_Alt
                                  || Key == Qt::Key_Meta || Key == Qt::Key_AltGr;
        if (modifierOnly) {
            // Holding Ctrl or Shift on the way to Ctrl+D or Ctrl+Shift+N is no typing.
        } else if (leavesValue(Key, Shift, memo != nullptr)) {
            // Moving through a field or copying from it changes nothing: a NULL stays NULL.
        } else if (ctrl && Key == Qt::Key_D) {
            // Ctrl+D leaves the marker as it is.
        } else if (ctrl && Shift.testFlag(Qt::ShiftModifier) && Key == Qt::Key_N) {
            if (edit)
                edit->clear();
            else
                memo->clear();
            marker = QStringLiteral("null");
        } else {
            marker = QStringLiteral("not null");
        }
    }
    SetNullMarker(env.ui, Sender, isNullMarker(marker));
}

void SetEditFocus(TablePageEnv& env)
{
    if (env.ui.PageControl->currentWidget() != env.ui.TabSheet_Table)
        return;
    for (QWidget* w : PageControls(env.ui)) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!edit)
            continue;
        if (!env.state.InQueryMode && env.state.KeyControl && edit == env.state.KeyControl)
            continue;
        edit->setFocus();
        return;
    }
}

namespace {

// Carries the page's handlers on one data control; lives as the control's child.
class DataControlHooks : public QObject {
public:
    DataControlHooks(const TablePageEnv& env, QWidget* control) : QObject(control), env_(env)
    {
        control->installEventFilter(this);
        // Text brought in without a key (pasted or dropped with the mouse) is typed text too.
        if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
            connect(edit, &QLineEdit::textEdited, this, [this, edit] { textEdited(edit); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            DataControlKeyDown(env_, control, key->key(), key->modifiers());
        } else if (event->type() == QEvent::FocusOut) {
            // Only a move to another control of the window leaves the field: a message box or
            // another window taking the focus (the validators' own messages) does not.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !checking_) {
                checking_ = true;
                ValidateFieldOnExit(env_, control);
                checking_ = false;
            }
        }
        return false;
    }

private:
    void textEdited(TBVMaskEdit* edit)
    {
        const MainState& s = env_.state;
        if ((s.InAddMode || s.InUpdateMode || s.InQueryMode) && isNullMarker(edit->Hint)) {
            edit->Hint = QStringLiteral("not null");
            SetNullMarker(env_.ui, edit, false);
        }
    }

    TablePageEnv env_;  // holds references to the window's state and definition
    bool checking_ = false;
};

// Execute takes no focus from a click, so the field being typed in would never be left and
// checked: a press on it first moves the focus there, as a click on any other button does. When
// the check gives the field the focus back, the press goes no further.
class CheckFieldBeforeExecute : public QObject {
public:
    CheckFieldBeforeExecute(const TablePageEnv& env, QWidget* button) : QObject(button), env_(env)
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress
            || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        auto* button = static_cast<QWidget*>(watched);
        QWidget* field = QApplication::focusWidget();
        if (!button->isEnabled() || !field || !field->property("qvDataHooks").toBool()
            || !(env_.state.InAddMode || env_.state.InUpdateMode))
            return false;
        button->setFocus(Qt::MouseFocusReason);
        return QApplication::focusWidget() != button;
    }

private:
    TablePageEnv env_;
};

} // namespace

void ConnectDataControls(TablePageEnv& env)
{
    if (!env.ui.BitBtn_Execute->property("qvChecksField").toBool()) {
        env.ui.BitBtn_Execute->setProperty("qvChecksField", true);
        new CheckFieldBeforeExecute(env, env.ui.BitBtn_Execute);
    }
    for (QWidget* w : PageControls(env.ui)) {
        if (!qobject_cast<TBVMaskEdit*>(w) && !qobject_cast<TBVMemo*>(w))
            continue;
        if (w->property("qvDataHooks").toBool())
            continue;
        w->setProperty("qvDataHooks", true);
        new DataControlHooks(env, w);
    }
}
