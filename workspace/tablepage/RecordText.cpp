#include "workspace/tablepage/RecordText.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/TablePage.h"

#include <algorithm>

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

bool isNullMarker(const QString& text) { return text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0; }

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
            const bool asShown = !f.isNull() && type != ftString && type != ftBoolean;
            line += EditLineLiteral(column.edit, f, asShown ? shownText(column.edit, f) : QString());
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
        ShownEditText shown{edit->FieldName, edit->text(), isNullMarker(edit->Hint)};
        if (editFields_[e] >= 0) {
            const Field& f = row.fields(editFields_[e]);
            shown.text = f.isNull() ? QString() : shownText(edit, f);
            shown.nullMarked = f.isNull() || isNullMarker(shown.text);
        }
        texts.push_back(shown);
    }
    return texts;
}
