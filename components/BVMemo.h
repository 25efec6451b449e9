#pragma once
// A memo that carries the metadata of the database column it edits.
#include "platform/engine/FieldTypes.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

class QLabel;

class TBVMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(int FieldLength MEMBER FieldLength)
    Q_PROPERTY(QString FieldName MEMBER FieldName)
    Q_PROPERTY(QString FieldTable MEMBER FieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldTypeCode)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString Hint MEMBER Hint)
public:
    explicit TBVMemo(QWidget* parent = nullptr);

    QString Description;
    int FieldLength = 0;
    QString FieldName;
    QString FieldTable;
    platform::engine::FieldType FieldType = platform::engine::ftUnknown;
    QString Hint;                   // the null marker
    QPointer<QLabel> LabelControl;  // not owned

    bool required() const { return required_; }
    void setRequired(bool required);
    int maxLengthLimit() const { return maxLength_; }  // 0: no limit
    void setMaxLengthLimit(int length);
    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }

private:
    bool required_ = false;
    int maxLength_ = 0;
};
