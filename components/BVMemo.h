#pragma once
// A memo that carries the metadata of the database column it edits.
#include "platform/engine/FieldTypes.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

class QLabel;

class TBVMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString Description READ description WRITE setDescription)
    Q_PROPERTY(int FieldLength READ fieldLength WRITE setFieldLength)
    Q_PROPERTY(QString FieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString FieldTable READ fieldTable WRITE setFieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldType)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
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
    void setRequired(bool required);  // red (255) when set, black (0) when not; also LabelControl
    // 0: no limit. The limit stops typing and pasting; text set by the program is never cut.
    int maxLengthLimit() const { return maxLength_; }
    void setMaxLengthLimit(int length);
    int maxLength() const { return maxLength_; }
    void setMaxLength(int length) { setMaxLengthLimit(length); }
    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }
    void setFieldType(int code) { setFieldTypeCode(code); }

    QString description() const { return Description; }
    void setDescription(const QString& v) { Description = v; }
    int fieldLength() const { return FieldLength; }
    void setFieldLength(int v) { FieldLength = v; }
    QString fieldName() const { return FieldName; }
    void setFieldName(const QString& v) { FieldName = v; }
    QString fieldTable() const { return FieldTable; }
    void setFieldTable(const QString& v) { FieldTable = v; }
    QString hint() const { return Hint; }
    void setHint(const QString& v) { Hint = v; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int room() const;  // characters that may still be typed; -1 without a limit

    bool required_ = false;
    int maxLength_ = 0;
};
