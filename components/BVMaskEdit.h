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

enum class TEditCharCase { Normal, Upper, Lower };

class TBVMaskEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(int FieldLength MEMBER FieldLength)
    Q_PROPERTY(QString FieldName MEMBER FieldName)
    Q_PROPERTY(QString FieldTable MEMBER FieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldTypeCode)
    Q_PROPERTY(int FieldStyle READ fieldStyleCode WRITE setFieldStyleCode)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString LastValue MEMBER LastValue)
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QString Hint MEMBER Hint)
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

    bool required() const { return required_; }
    void setRequired(bool required);  // red (255) when set, black (0) when not; also LabelControl

    // Masks are given in the form the window definitions use ("!99/99/0000;1;_") and translated.
    QString editMask() const { return editMask_; }
    void setEditMask(const QString& mask);
    // The text without the mask's literals and blanks, as the field holds it.
    QString unmaskedText() const;
    // True when the control holds nothing but its empty mask.
    bool isEmptyMask() const;

    TEditCharCase charCase() const { return charCase_; }
    void setCharCase(TEditCharCase c);  // applied to typed and set text

    // MaxLength 0 means no limit.
    int maxLengthLimit() const { return maxLength_; }
    void setMaxLengthLimit(int length);

    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }
    int fieldStyleCode() const { return FieldStyle; }
    void setFieldStyleCode(int code) { FieldStyle = static_cast<TFieldStyle>(code); }

private:
    bool required_ = false;
    QString editMask_;
    TEditCharCase charCase_ = TEditCharCase::Normal;
    int maxLength_ = 0;
};

// Translates an edit mask of the window definitions ("mask;save literals;blank") to a Qt input
// mask. The two differ: "0" is a required digit and "9" an optional one there, while Qt's "9" is
// required and "0" optional.
QString TranslateEditMask(const QString& mask);
