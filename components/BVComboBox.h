#pragma once
#include "platform/engine/FieldTypes.h"

#include <QComboBox>
#include <QPointer>
#include <QString>
#include <QStringList>

class QLabel;
class QMouseEvent;
namespace platform::engine { class Query; }

class TBVComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QStringList Codes READ codes WRITE setCodes)
    Q_PROPERTY(QString Description READ description WRITE setDescription)
    Q_PROPERTY(QString FieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString FieldTable READ fieldTable WRITE setFieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldType)
    Q_PROPERTY(int FieldLength READ fieldLength WRITE setFieldLength)
    Q_PROPERTY(QString MasterCode READ masterCode WRITE setMasterCode)
    Q_PROPERTY(QString MasterDesc READ masterDesc WRITE setMasterDesc)
    Q_PROPERTY(QString MasterInact READ masterInact WRITE setMasterInact)
    Q_PROPERTY(QString MasterTable READ masterTable WRITE setMasterTable)
    Q_PROPERTY(QString MessageString READ messageString WRITE setMessageString)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString LastValue READ lastValue WRITE setLastValue)
public:
    explicit TBVComboBox(QWidget* parent = nullptr);

    QString Caption, Description, FieldName, FieldTable;
    platform::engine::FieldType FieldType = platform::engine::ftUnknown;
    int FieldLength = 0;
    QString MasterCode, MasterDesc, MasterInact, MasterTable, MessageString, LastValue;
    platform::engine::Query* Query = nullptr;  // not owned
    QPointer<QLabel> LabelControl;             // not owned

    const QStringList& codes() const { return codes_; }
    void setCodes(const QStringList& codes) { codes_ = codes; }  // a copy: the source stays separate
    bool required() const { return required_; }
    void setRequired(bool required);  // red (255) when set, black (0) when not; also LabelControl
    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }
    void setFieldType(int code) { setFieldTypeCode(code); }

    QString caption() const { return Caption; }
    void setCaption(const QString& v) { Caption = v; }
    QString description() const { return Description; }
    void setDescription(const QString& v) { Description = v; }
    QString fieldName() const { return FieldName; }
    void setFieldName(const QString& v) { FieldName = v; }
    QString fieldTable() const { return FieldTable; }
    void setFieldTable(const QString& v) { FieldTable = v; }
    int fieldLength() const { return FieldLength; }
    void setFieldLength(int v) { FieldLength = v; }
    QString masterCode() const { return MasterCode; }
    void setMasterCode(const QString& v) { MasterCode = v; }
    QString masterDesc() const { return MasterDesc; }
    void setMasterDesc(const QString& v) { MasterDesc = v; }
    QString masterInact() const { return MasterInact; }
    void setMasterInact(const QString& v) { MasterInact = v; }
    QString masterTable() const { return MasterTable; }
    void setMasterTable(const QString& v) { MasterTable = v; }
    QString messageString() const { return MessageString; }
    void setMessageString(const QString& v) { MessageString = v; }
    QString lastValue() const { return LastValue; }
    void setLastValue(const QString& v) { LastValue = v; }

signals:
    // The mouse events of the box, offered to its owner.
    void OnMouseDown(QMouseEvent* event);
    void OnMouseMove(QMouseEvent* event);
    void OnMouseUp(QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QStringList codes_;
    bool required_ = false;
};
