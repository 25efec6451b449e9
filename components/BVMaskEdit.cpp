#include "components/BVMaskEdit.h"

#include "components/BVLabel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// The fields of a window-definition mask, split at the semicolons that are not escaped.
QStringList maskFields(const QString& mask)
{
    QStringList fields{QString()};
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'\\' && i + 1 < mask.size()) {
            fields.back() += c;
            fields.back() += mask[++i];
        } else if (c == u';') {
            fields.append(QString());
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// One position of a Qt input mask: a literal that is always there, or a place for input.
struct MaskPosition {
    bool literal;
    QChar ch;
};

std::vector<MaskPosition> maskPositions(const QString& qtMask)
{
    std::vector<MaskPosition> out;
    for (qsizetype i = 0; i < qtMask.size(); ++i) {
        const QChar c = qtMask[i];
        if (c == u';')
            break;
        if (c == u'\\') {
            if (i + 1 < qtMask.size())
                out.push_back({true, qtMask[++i]});
            continue;
        }
        if (c == u'>' || c == u'<' || c == u'!')
            continue;
        if (QStringLiteral("AaNnXx90DdHhBb#").contains(c))
            out.push_back({false, c});
        else
            out.push_back({true, c});
    }
    return out;
}

QChar qtBlank(const QString& qtMask)
{
    const qsizetype semi = [&] {
        for (qsizetype i = 0; i < qtMask.size(); ++i) {
            if (qtMask[i] == u'\\')
                ++i;
            else if (qtMask[i] == u';')
                return i;
        }
        return qsizetype(-1);
    }();
    if (semi >= 0 && semi + 1 < qtMask.size())
        return qtMask[semi + 1];
    return u' ';
}

QString convertCase(const QString& s, TEditCharCase c)
{
    switch (c) {
    case TEditCharCase::Upper: return s.toUpper();
    case TEditCharCase::Lower: return s.toLower();
    case TEditCharCase::Normal: break;
    }
    return s;
}

} // namespace

// Keeps the case rule and the length limit for what the user brings in: typing, pasting and
// dropping. Text set by the program (a stored value) is neither converted nor cut, and what the
// user adds converts only itself: the stored text around it stays as it is.
class BVMaskEditValidator : public QValidator {
public:
    explicit BVMaskEditValidator(TBVMaskEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int& pos) const override
    {
        if (edit_->hasEditMask())
            return Acceptable;  // the mask carries the case rule and the length
        // An empty undo history means the program set the text.
        const bool edited = edit_->isUndoAvailable();
        if (edited && edit_->charCase_ != TEditCharCase::Normal) {
            // The part that differs from the text before this edit is what came in.
            const QString& before = edit_->lastText_;
            qsizetype head = 0;
            const qsizetype shorter = std::min(before.size(), input.size());
            while (head < shorter && before[head] == input[head])
                ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && before[before.size() - 1 - tail] == input[input.size() - 1 - tail])
                ++tail;
            const QString added = input.mid(head, input.size() - head - tail);
            const QString converted = convertCase(added, edit_->charCase_);
            if (converted != added) {
                input = input.left(head) + converted + input.right(tail);
                pos = std::clamp(pos + int(converted.size() - added.size()), 0, int(input.size()));
            }
        }
        const int limit = edit_->maxLength_;
        const int length = int(input.size());
        if (limit > 0 && length > limit && length > edit_->lastLength_ && edited) {
            const int cut = std::min({length - limit, length - edit_->lastLength_, pos});
            input.remove(pos - cut, cut);
            pos -= cut;
        }
        return Acceptable;
    }

private:
    TBVMaskEdit* edit_;
};

TBVMaskEdit::TBVMaskEdit(QWidget* parent) : QLineEdit(parent)
{
    QLineEdit::setMaxLength(std::numeric_limits<int>::max());  // text set by the program is never cut
    setValidator(new BVMaskEditValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        lastText_ = text();
        lastLength_ = int(lastText_.size());
    });
    connect(this, &QLineEdit::textEdited, this, [this] { EditedByUser = true; });
}

void TBVMaskEdit::keyPressEvent(QKeyEvent* event)
{
    // Typed text is converted here, before it reaches the text, so the undo history stays whole;
    // the validator catches what comes another way.
    const QString typed = event->text();
    if (!hasEditMask() && !typed.isEmpty() && typed.front().isPrint()) {
        if (maxLength_ > 0 && text().size() - selectedText().size() + typed.size() > maxLength_) {
            event->accept();
            return;
        }
        const QString converted = convertCase(typed, charCase_);
        if (converted != typed) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), converted,
                               event->isAutoRepeat(), ushort(event->count()));
            QLineEdit::keyPressEvent(&replaced);
            event->setAccepted(replaced.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TBVMaskEdit::setRequired(bool required)
{
    required_ = required;
    PaintRequired(this, LabelControl.data(), required);
}

void TBVMaskEdit::setEditMask(const QString& mask)
{
    editMask_ = TranslateEditMask(mask).isEmpty() ? QString() : mask;
    saveLiterals_ = EditMaskSavesLiterals(mask);
    applyMask();
}

void TBVMaskEdit::applyMask()
{
    QString qtMask = TranslateEditMask(editMask_);
    if (!qtMask.isEmpty() && charCase_ != TEditCharCase::Normal)
        qtMask.prepend(charCase_ == TEditCharCase::Upper ? u'>' : u'<');
    if (qtMask == inputMask())
        return;
    const QString keep = qtMask.isEmpty() ? QString() : text();
    setInputMask(qtMask);
    if (qtMask.isEmpty())
        QLineEdit::setMaxLength(std::numeric_limits<int>::max());  // the mask set its own length
    else if (!keep.isEmpty())
        setText(keep);
}

bool TBVMaskEdit::showsWholeText() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    // A line edit keeps two pixels free on either side and one for the cursor; two more allow for
    // the rounding of its own layout.
    return fontMetrics().horizontalAdvance(displayText()) + 1 + 2 <= contents.width() - 2 * 2;
}

QString TBVMaskEdit::maskedText() const
{
    if (!hasEditMask())
        return text();
    const QString qtMask = inputMask();
    const auto positions = maskPositions(qtMask);
    const QChar blank = qtBlank(qtMask);
    const QString shown = displayText();
    QString out;
    for (size_t i = 0; i < positions.size() && qsizetype(i) < shown.size(); ++i) {
        if (positions[i].literal) {
            if (saveLiterals_)
                out += positions[i].ch;
        } else {
            out += shown[i] == blank ? QChar(u' ') : shown[i];
        }
    }
    return out;
}

QString TBVMaskEdit::unmaskedText() const
{
    if (!hasEditMask())
        return text();
    const QString qtMask = inputMask();
    const auto positions = maskPositions(qtMask);
    const QChar blank = qtBlank(qtMask);
    const QString shown = displayText();
    QString out;
    for (size_t i = 0; i < positions.size() && qsizetype(i) < shown.size(); ++i)
        if (!positions[i].literal && shown[i] != blank)
            out += shown[i];
    return out;
}

bool TBVMaskEdit::isEmptyMask() const
{
    return unmaskedText().isEmpty();
}

void TBVMaskEdit::setCharCase(TEditCharCase c)
{
    if (c == charCase_)
        return;
    charCase_ = c;
    // The rule is for what is typed from now on; the text there (a stored value) stays as it is.
    if (hasEditMask())
        applyMask();
}

void TBVMaskEdit::setCharCase(int code)
{
    setCharCase(code == 1 ? TEditCharCase::Upper : code == 2 ? TEditCharCase::Lower : TEditCharCase::Normal);
}

void TBVMaskEdit::setMaxLengthLimit(int length)
{
    maxLength_ = std::max(length, 0);
}

QString TranslateEditMask(const QString& mask)
{
    const QStringList fields = maskFields(mask);
    const QString& pattern = fields.front();
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        switch (c.unicode()) {
        case u'\\':
            if (i + 1 < pattern.size()) {
                out += u'\\';
                out += pattern[++i];
            }
            break;
        case u'!':  // optional places stored as leading blanks: Qt has no such rule
            break;
        case u'>':
        case u'<':
            // "<>" together switch the case rule off
            if (c == u'<' && i + 1 < pattern.size() && pattern[i + 1] == u'>') {
                out += u'!';
                ++i;
            } else {
                out += c;
            }
            break;
        case u'L': out += u'A'; break;
        case u'l': out += u'a'; break;
        case u'A': out += u'N'; break;
        case u'a': out += u'n'; break;
        case u'C': out += u'X'; break;
        case u'c': out += u'x'; break;
        case u'0': out += u'9'; break;
        case u'9': out += u'0'; break;
        case u'#': out += u'#'; break;
        case u'_': out += u' '; break;  // a blank that is always there
        default:
            // a literal here that Qt reads as a mask character
            if (QStringLiteral("NnXxDdHhBb[]{}").contains(c))
                out += u'\\';
            out += c;
            break;
        }
    }
    if (out.isEmpty())
        return QString();
    QChar blank = u'_';
    if (fields.size() > 2 && !fields[2].isEmpty())
        blank = fields[2].front();
    out += u';';
    out += blank;
    return out;
}

bool EditMaskSavesLiterals(const QString& mask)
{
    const QStringList fields = maskFields(mask);
    return fields.size() < 2 || fields[1].trimmed() != QStringLiteral("0");
}
