#include "workspace/tablepage/RecordText.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

using namespace platform::engine;

namespace {

// True when text fills every place of a window-definition mask made of digit places and
// literals, each digit place with a digit: setting it then leaves it as it is.
bool fillsMask(const QString& mask, const QString& text)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        QChar c = mask[i];
        if (c == u';')
            break;
        if (c == u'!' || c == u'>' || c == u'<')
            continue;
        if (c == u'\\') {
            if (++i >= mask.size())
                return false;
            c = mask[i];  // a literal, whatever it is
        } else if (c == u'9' || c == u'0') {
            if (at >= text.size() || text[at] < u'0' || text[at] > u'9')
                return false;
            ++at;
            continue;
        } else if (QStringLiteral("LlAaCc#").contains(c)) {
            return false;  // other kinds of places: the mask decides
        }
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
    }
    return at == text.size();
}

// Text as LineStringLiteral writes it, quoted with its quotes doubled, onto the end of line.
void appendQuoted(QString& line, const QString& text)
{
    line += u'\'';
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\''); at >= 0; at = text.indexOf(u'\'', from)) {
        line += QStringView(text).sliced(from, at + 1 - from);
        line += u'\'';
        from = at + 1;
    }
    line += QStringView(text).sliced(from);
    line += u'\'';
}

// A whole number as the database writes it: no blanks, no leading zero, within 64 bits.
bool isPlainInteger(const QString& text)
{
    const qsizetype sign = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digits = text.size() - sign;
    if (digits < 1 || digits > 18 || (text[sign] == u'0' && digits > 1))
        return false;
    for (qsizetype i = sign; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

// A decimal number a double holds: digits, a point and an exponent only, as the float
// check reads them.
bool isPlainFloat(const QString& text)
{
    char chars[64];
    const qsizetype n = text.size();
    if (n < 1 || n >= qsizetype(sizeof chars))
        return false;
    bool digits = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && c != u'.' && c != u'e' && c != u'E' && c != u'-' && c != u'+')
            return false;
        // A sign only at the start or after the exponent; a digit first.
        if ((c == u'-' || c == u'+') && !(i == 0 ? c == u'-' : (text[i - 1] == u'e' || text[i - 1] == u'E')))
            return false;
        if (!digits && !digit && !(i == 0 && c == u'-'))
            return false;
        digits = digits || digit;
        chars[i] = char(c);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(chars, chars + n, value);
    return ec == std::errc() && end == chars + n && std::isfinite(value);
}

// True when text is a real day of a four-digit year (from 1000) as "yyyy-mm-dd", followed, with
// time, by a real time of day as " hh:mm:ss".
bool isCanonicalClockText(const QString& text, bool time)
{
    if (text.size() != (time ? 19 : 10))
        return false;
    auto number = [&](qsizetype at, qsizetype digits) {
        int n = 0;
        for (qsizetype i = at; i < at + digits; ++i) {
            if (text[i] < u'0' || text[i] > u'9')
                return -1;
            n = n * 10 + (text[i].unicode() - u'0');
        }
        return n;
    };
    if (text[4] != u'-' || text[7] != u'-')
        return false;
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 1000 || !QDate::isValid(year, month, day))
        return false;
    if (!time)
        return true;
    if (text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return false;
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

// The line's literal of a value the edit shows as it is, where reading the shown text back
// gives the very value: a date or date and time of a four-digit year (as "MM/dd/yyyy" and
// "hh:mm:ss" give it back), a whole number, a decimal number. Saves reading the text again for
// each record.
std::optional<QString> directLiteral(int editType, const Field& f)
{
    if (editType == ftInteger || editType == ftSmallint || editType == ftFloat) {
        const QString text = editType == ftFloat ? FloatFieldText(f) : f.asString();
        if (editType == ftFloat ? isPlainFloat(text) : isPlainInteger(text))
            return text;
        return std::nullopt;
    }
    if ((editType != ftDate && editType != ftDateTime) || f.dataType() != editType)
        return std::nullopt;
    // Stored already as the literal writes it ("yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss"): taken as it is.
    const QString stored = f.storedText();
    if (isCanonicalClockText(stored, editType == ftDateTime))
        return (editType == ftDate ? QStringLiteral("{d '") : QStringLiteral("{ts '")) + stored + QStringLiteral("'}");
    const QDateTime dt = f.asDateTime();
    if (!dt.isValid() || dt.date().year() < 1000 || dt.date().year() > 9999)
        return std::nullopt;
    if (editType == ftDate)
        return QStringLiteral("{d '") + ClockText(dt.date(), nullptr, ClockOrder::Odbc) + QStringLiteral("'}");
    const QTime time(dt.time().hour(), dt.time().minute(), dt.time().second());
    return QStringLiteral("{ts '") + ClockText(dt.date(), &time, ClockOrder::Odbc) + QStringLiteral("'}");
}

} // namespace

RecordTexts::RecordTexts(Ui::TForm_Main& ui, const MainState& state) : keyColumn_(state.KeyColumn.toLower())
{
    for (QWidget* w : PageControls(ui)) {
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
            edits_.push_back(edit);
            controls_.push_back(w);
        } else if (qobject_cast<TBVMemo*>(w) || qobject_cast<TBVImage*>(w)) {
            controls_.push_back(w);
        }
    }
}

RecordTexts::~RecordTexts() = default;

void RecordTexts::describe(DataSet& fetch, int firstField)
{
    firstField_ = firstField;
    columns_.clear();
    header_.clear();
    editFields_.assign(edits_.size(), -1);
    // Matched as the record display matches them: pictures and memos by the upper-cased name,
    // edits by the lower-cased one; the first edit that is no key gives the line its value.
    for (int i = firstField; i < fetch.fieldCount(); ++i) {
        const Field& f = fetch.fields(i);
        const QString name = f.fieldName();
        const QString lower = name.toLower();
        const QString upper = name.toUpper();
        bool picture = IsPictureType(f.dataType());
        bool keyControl = false;
        bool memo = false;
        const TBVMaskEdit* firstEdit = nullptr;
        for (QWidget* w : controls_) {
            if (auto* image = qobject_cast<TBVImage*>(w)) {
                picture = picture || image->objectName().mid(6).toUpper() == upper;
            } else if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
                if (edit->FieldName.toLower() != lower)
                    continue;
                if (edit->FieldType == ftAutoInc)
                    keyControl = true;
                else if (!firstEdit)
                    firstEdit = edit;
            } else if (auto* m = qobject_cast<TBVMemo*>(w)) {
                memo = memo || m->FieldName.toUpper() == upper;
            }
        }
        for (std::size_t e = 0; e < edits_.size(); ++e)
            if (edits_[e]->FieldName.toLower() == lower)
                editFields_[e] = i;

        Column column;
        if (!(picture || keyControl || lower == keyColumn_)) {
            header_ += QuoteIfBlank(name) + QLatin1Char('|');
            column.entry = memo ? Entry::Memo : firstEdit ? Entry::Edit : Entry::Field;
            column.edit = firstEdit;
            // The page's date masks take the shown dates as they are.
            column.fillsMask = firstEdit && firstEdit->hasEditMask()
                               && fillsMask(firstEdit->editMask(), firstEdit->FieldType == ftDateTime
                                                                       ? QStringLiteral("01/02/2003 04:05:06")
                                                                       : QStringLiteral("01/02/2003"));
        }
        columns_.push_back(column);
    }
}

QString RecordTexts::heldText(const TBVMaskEdit* edit, const QString& shown) const
{
    if (!edit->hasEditMask() || fillsMask(edit->editMask(), shown))
        return shown;
    std::unique_ptr<TBVMaskEdit>& copy = maskedCopies_[edit];
    if (!copy) {
        copy = std::make_unique<TBVMaskEdit>();
        copy->setCharCase(edit->charCase());
        copy->setEditMask(edit->editMask());
    }
    copy->setText(shown);
    return copy->text();
}

QString RecordTexts::shownText(const TBVMaskEdit* edit, const Field& f) const
{
    return heldText(edit, ShownFieldText(edit, f));
}

QString RecordTexts::asciiLine(DataSet& row) const
{
    QString line;
    line.reserve(lineLength_ + 16);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const Column& column = columns_[c];
        if (column.entry == Entry::None)
            continue;
        const Field& f = row.fields(firstField_ + int(c));
        switch (column.entry) {
        case Entry::Memo:
            line += QStringLiteral("''");
            break;
        case Entry::Edit: {
            // Text and booleans go as stored, whatever the edit shows.
            const int type = column.edit->FieldType;
            if (type == ftString && !f.isNull()) {
                appendQuoted(line, f.asString());
                break;
            }
            const bool asShown = !f.isNull() && type != ftString && type != ftBoolean;
            // The shown text fills a date edit's mask, so the edit holds it as it is.
            const std::optional<QString> direct =
                asShown && (!column.edit->hasEditMask() || column.fillsMask) ? directLiteral(type, f) : std::nullopt;
            line += direct ? *direct : EditLineLiteral(column.edit, f, asShown ? shownText(column.edit, f) : QString());
            break;
        }
        case Entry::Field:
            line += FieldLineLiteral(f);
            break;
        case Entry::None:
            break;
        }
        line += QLatin1Char('|');
    }
    lineLength_ = line.size();
    return line;
}

bool RecordTexts::showsEveryEdit() const
{
    return std::all_of(editFields_.begin(), editFields_.end(), [](int field) { return field >= 0; });
}

std::vector<ShownEditText> RecordTexts::editTexts(DataSet& row) const
{
    std::vector<ShownEditText> texts;
    texts.reserve(edits_.size());
    for (std::size_t e = 0; e < edits_.size(); ++e) {
        const TBVMaskEdit* edit = edits_[e];
        ShownEditText shown{edit->FieldName, edit->text(), IsNullMarker(edit->Hint)};
        if (editFields_[e] >= 0) {
            const Field& f = row.fields(editFields_[e]);
            shown.text = f.isNull() ? QString() : shownText(edit, f);
            shown.nullMarked = f.isNull() || IsNullMarker(shown.text);
        }
        texts.push_back(shown);
    }
    return texts;
}
