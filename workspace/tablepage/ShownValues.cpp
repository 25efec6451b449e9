#include "workspace/tablepage/ShownValues.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/PerWidget.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/ExactReals.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>

using namespace platform::engine;

namespace {

// What each control showed: its text, whether it was marked null, the stored condition, and
// whether its picture was changed since.
struct Shown {
    bool known = false;
    QString text;
    bool isNull = false;
    QString condition;
    bool pictureChanged = false;
};

PerWidget<Shown>& shownValues()
{
    static PerWidget<Shown> values;
    return values;
}

// The value a data control holds now: its text and whether it is marked null.
bool currentValue(const QWidget* control, QString& text, bool& isNull)
{
    if (auto* edit = qobject_cast<const TBVMaskEdit*>(control)) {
        text = edit->text();
        isNull = IsNullMarker(edit->Hint);
        return true;
    }
    if (auto* memo = qobject_cast<const TBVMemo*>(control)) {
        text = memo->toPlainText();
        isNull = IsNullMarker(memo->Hint);
        return true;
    }
    if (auto* image = qobject_cast<const TBVImage*>(control)) {
        isNull = IsNullMarker(image->Hint);
        return true;
    }
    return false;
}

QString quoted(const QString& text) { return SqlLiteral(ftString, text); }

} // namespace

void RememberShownValue(QWidget* Control, const QString& StoredCondition)
{
    QString text;
    bool isNull = false;
    if (!Control || !currentValue(Control, text, isNull))
        return;
    Shown& shown = shownValues()[Control];
    shown.known = true;
    shown.text = text;
    shown.isNull = isNull;
    shown.condition = StoredCondition;
    shown.pictureChanged = false;
}

void ForgetShownValue(QWidget* Control)
{
    if (!Control)
        return;
    if (Shown* shown = shownValues().find(Control))
        *shown = Shown{};  // the entry stays for the control's next record
}

bool ChangedByUser(const QWidget* Control)
{
    QString text;
    bool isNull = false;
    if (!Control || !currentValue(Control, text, isNull))
        return false;
    const Shown* shown = shownValues().find(Control);
    if (!shown || !shown->known)
        return true;
    if (qobject_cast<const TBVImage*>(Control))
        return shown->pictureChanged;
    return isNull != shown->isNull || text != shown->text;
}

void MarkPictureChanged(QWidget* Image)
{
    if (Image)
        shownValues()[Image].pictureChanged = true;
}

QString StoredCondition(const QWidget* Control)
{
    const Shown* shown = Control ? shownValues().find(Control) : nullptr;
    return shown && shown->known ? shown->condition : QString();
}

QString FloatFieldText(const Field& Field)
{
    if (Field.isNull())
        return {};
    const QString text = Field.storedText();
    if (Field.dataType() == ftFloat)
        return text;
    // Read on the stack: this runs for every float of every record an export or a print writes.
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty())
        return text;
    QVarLengthArray<char, 64> chars(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const char16_t c = trimmed[i].unicode();
        if (c > 0x7f)
            return text;  // no number
        chars[i] = char(c);
    }
    const char* digits = chars.data();
    const char* end = digits + chars.size();
    // An integer a numeric column keeps as one is shown whole, however long.
    if (std::all_of(digits + (digits[0] == '-' ? 1 : 0), end, [](char c) { return c >= '0' && c <= '9'; }))
        return text;
    double value = 0;
    const auto [last, ec] = std::from_chars(digits, end, value);
    if (ec != std::errc() || last != end || !std::isfinite(value))
        return text;
    return FloatText(value);
}

QString StoredValueCondition(const TBVMaskEdit* Edit, const Field& Field)
{
    const QString name = QuoteIfBlank(Edit->FieldName);
    if (Field.isNull())
        return name + QStringLiteral(" IS NULL");
    switch (Edit->FieldType) {
    case ftDateTime:
        return {};
    case ftDate: {
        static const QRegularExpression plainDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        const QString stored = Field.storedText();
        return name + QLatin1Char('=')
               + (plainDate.match(stored).hasMatch() ? QStringLiteral("{d '") + stored + QStringLiteral("'}")
                                                     : quoted(stored));
    }
    case ftFloat:
        if (IsPrintedReal(Field))
            return PrintedRealTerm(name, Field.storedText());
        // A number quoted: the database reads it in the column's own type, exactly (PostgreSQL's
        // real, double and numeric alike).
        return name + QLatin1Char('=') + quoted(FloatFieldText(Field));
    case ftBoolean:
        return name + QStringLiteral("='") + BooleanToBit(Field.asString()) + QLatin1Char('\'');
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
        if (Field.dataType() == ftSmallint || Field.dataType() == ftInteger || Field.dataType() == ftAutoInc)
            return name + QLatin1Char('=') + Field.asString();
        return name + QLatin1Char('=') + quoted(Field.storedText());
    default:
        return name + QLatin1Char('=') + quoted(Field.storedText());
    }
}
