#pragma once
#include "platform/engine/FieldTypes.h"

#include <QComboBox>
#include <QPointer>
#include <QString>
#include <QStringList>

class QLabel;
namespace platform::engine { class Query; }

class TBVComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(QStringList Codes READ codes WRITE setCodes)
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(QString FieldName MEMBER FieldName)
    Q_PROPERTY(QString FieldTable MEMBER FieldTable)
    Q_PROPERTY(int FieldType READ fieldTypeCode WRITE setFieldTypeCode)
    Q_PROPERTY(int FieldLength MEMBER FieldLength)
    Q_PROPERTY(QString MasterCode MEMBER MasterCode)
    Q_PROPERTY(QString MasterDesc MEMBER MasterDesc)
    Q_PROPERTY(QString MasterInact MEMBER MasterInact)
    Q_PROPERTY(QString MasterTable MEMBER MasterTable)
    Q_PROPERTY(QString MessageString MEMBER MessageString)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
    Q_PROPERTY(QString LastValue MEMBER LastValue)
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
    void setRequired(bool required);
    int fieldTypeCode() const { return FieldType; }
    void setFieldTypeCode(int code) { FieldType = static_cast<platform::engine::FieldType>(code); }

private:
    QStringList codes_;
    bool required_ = false;
};
