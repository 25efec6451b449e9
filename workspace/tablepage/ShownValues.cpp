#include "workspace/tablepage/ShownValues.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QRegularExpression>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>

using namespace platform::engine;

namespace {

// One property a control: its shown text, "1" when it was marked null, the stored condition.
const char* const kShown = "qvShownValue";
const char* const kPictureChanged = "qvPictureChanged";

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
    Control->setProperty(kShown, QStringList{text, isNull ? QStringLiteral("1") : QString(), StoredCondition});
    if (Control->property(kPictureChanged).isValid())
        Control->setProperty(kPictureChanged, QVariant());
}

void ForgetShownValue(QWidget* Control)
{
    if (!Control)
        return;
    for (const char* name : {kShown, kPictureChanged})
        if (Control->property(name).isValid())
            Control->setProperty(name, QVariant());
}

bool ChangedByUser(const QWidget* Control)
{
    QString text;
    bool isNull = false;
    if (!Control || !currentValue(Control, text, isNull))
        return false;
    const QStringList shown = Control->property(kShown).toStringList();
    if (shown.size() != 3)
        return true;
    if (qobject_cast<const TBVImage*>(Control))
        return Control->property(kPictureChanged).toBool();
    return isNull != !shown.at(1).isEmpty() || text != shown.at(0);
}

void MarkPictureChanged(QWidget* Image)
{
    if (Image)
        Image->setProperty(kPictureChanged, true);
}

QString StoredCondition(const QWidget* Control)
{
    const QStringList shown = Control ? Control->property(kShown).toStringList() : QStringList();
    return shown.size() == 3 ? shown.at(2) : QString();
}

QString FloatFieldText(const Field& Field)
{
    if (Field.isNull())
        return {};
    const QString text = Field.storedText();
    if (Field.dataType() == ftFloat)
        return text;
    const std::string digits = text.trimmed().toStdString();
    // An integer a numeric column keeps as one is shown whole, however long.
    if (!digits.empty() && std::all_of(digits.begin() + (digits[0] == '-' ? 1 : 0), digits.end(),
                                       [](char c) { return c >= '0' && c <= '9'; }))
        return text;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
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
