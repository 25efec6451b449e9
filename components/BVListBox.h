#pragma once
#include <QListWidget>
#include <QPointer>
#include <QStringList>

class QLabel;

class TBVListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Codes READ codes WRITE setCodes)
    Q_PROPERTY(bool Required READ required WRITE setRequired)
public:
    explicit TBVListBox(QWidget* parent = nullptr);
    QPointer<QLabel> LabelControl;  // not owned
    const QStringList& codes() const { return codes_; }
    void setCodes(const QStringList& codes) { codes_ = codes; }  // a copy: the source stays separate
    bool required() const { return required_; }
    void setRequired(bool required);  // red (255) when set, black (0) when not; also LabelControl

private:
    QStringList codes_;
    bool required_ = false;
};
