#pragma once
// A mask edit that carries the metadata of the database column it edits.
#include "platform/engine/FieldTypes.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>

class QLabel;

enum TFieldStyle : quint8 {
    fdsString, fdsDate, fdsInteger, fdsFloat, fdsCurrency, fdsPhone, fdsShortZip, fdsLongZip, fdsMilTime
};

// Ordinals as stored in window definitions: 0 normal, 1 upper, 2 lower.
enum class TEditCharCase { Normal, Upper, Lower };

// Every property has a set<Name> setter, so a window definition can set it either way uic writes
// it (a direct setter call, or setProperty when the property is marked stdset="0").
class TBVMaskEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Description READ description WRITE setDescription)
    Q_PROPERTY(int FieldLength READ fieldLength WRITE setFieldLength)
    Q_PROPERTY(QString FieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString FieldTable READ fieldTable WRITE setFieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldType)
    Q_PROPERTY(int FieldStyle READ fieldStyleCode WRITE setFieldStyle)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString LastValue READ lastValue WRITE setLastValue)
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int CharCase READ charCaseCode WRITE setCharCase)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
    // Replaces the base's maxLength: 0 is no limit, and the limit holds for typing only.
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
public:
    explicit TBVMaskEdit(QWidget* parent = nullptr);

    QString Description;
    int FieldLength = 0;
    QString FieldName;
    QString FieldTable;
    platform::engine::FieldType FieldType = platform::engine::ftUnknown;
    TFieldStyle FieldStyle = fdsString;
    QString LastValue;
    QString Hint;                 // the null marker of the Table page: "null", "not null" or the text
    QPointer<QLabel> LabelControl; // recoloured with Required; not owned
    // Set by every change of the user's (typing, pasting, undo, redo): whether the undo history
    // may hold anything, which a read-only edit does not tell. The record display clears it when
    // it shows a value.
    bool EditedByUser = false;
    // True when the whole text shows at once, so that where the cursor stands changes nothing on
    // the screen while the edit has no focus.
    bool showsWholeText() const;

    bool required() const { return required_; }
    void setRequired(bool required);  // red (255) when set, black (0) when not; also LabelControl

    // Masks are given in the form the window definitions use ("!99/99/0000;1;_") and translated.
    // An empty mask removes it.
    QString editMask() const { return editMask_; }
    void setEditMask(const QString& mask);
    bool hasEditMask() const { return !editMask_.isEmpty(); }
    // The text as the field reads it: the mask's literals kept when the mask saves them (";1"),
    // every unfilled position a blank. An untouched date edit gives "  /  /    ". Without a mask,
    // text().
    QString maskedText() const;
    // The text without the mask's literals and blanks, as the field holds it.
    QString unmaskedText() const;
    // True when the control holds nothing but its empty mask (or, without a mask, nothing).
    bool isEmptyMask() const;

    TEditCharCase charCase() const { return charCase_; }
    void setCharCase(TEditCharCase c);  // applied to typed and pasted text, never to set text
    void setCharCase(int code);         // 0 normal, 1 upper, 2 lower
    int charCaseCode() const { return static_cast<int>(charCase_); }

    // MaxLength 0 means no limit. The limit stops typing and pasting; text set by the program
    // is never cut. A mask sets its own length.
    int maxLengthLimit() const { return maxLength_; }
    void setMaxLengthLimit(int length);
    int maxLength() const { return maxLength_; }
    void setMaxLength(int length) { setMaxLengthLimit(length); }

    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }
    void setFieldType(int code) { setFieldTypeCode(code); }
    int fieldStyleCode() const { return FieldStyle; }
    void setFieldStyleCode(int code) { FieldStyle = static_cast<TFieldStyle>(code); }
    void setFieldStyle(int code) { setFieldStyleCode(code); }

    QString description() const { return Description; }
    void setDescription(const QString& v) { Description = v; }
    int fieldLength() const { return FieldLength; }
    void setFieldLength(int v) { FieldLength = v; }
    QString fieldName() const { return FieldName; }
    void setFieldName(const QString& v) { FieldName = v; }
    QString fieldTable() const { return FieldTable; }
    void setFieldTable(const QString& v) { FieldTable = v; }
    QString lastValue() const { return LastValue; }
    void setLastValue(const QString& v) { LastValue = v; }
    QString hint() const { return Hint; }
    void setHint(const QString& v) { Hint = v; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class BVMaskEditValidator;
    void applyMask();

    bool required_ = false;
    QString editMask_;
    bool saveLiterals_ = true;
    TEditCharCase charCase_ = TEditCharCase::Normal;
    int maxLength_ = 0;
    int lastLength_ = 0;  // length before the edit being checked
    QString lastText_;    // the text before the edit being checked
};

// Translates an edit mask of the window definitions ("mask;save literals;blank") to a Qt input
// mask. The two differ: "0" is a required digit and "9" an optional one there, while Qt's "9" is
// required and "0" optional. The blank character defaults to "_" as there.
QString TranslateEditMask(const QString& mask);

// Whether a mask of the window definitions keeps its literals in the text (its second field is
// not "0").
bool EditMaskSavesLiterals(const QString& mask);
