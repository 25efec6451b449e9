#pragma once
// The prompt for the table that delimited records go into.
#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

namespace Ui { class TForm_TableName; }

class TForm_TableName : public QDialog {
    Q_OBJECT
public:
    // currentTable: what the edit starts with when the window shows.
    explicit TForm_TableName(const QString& currentTable, QWidget* parent = nullptr);
    ~TForm_TableName() override;

    Ui::TForm_TableName* ui() const { return ui_.get(); }

    bool Cancelled = false;

public slots:
    void FormShow();
    void BitBtn_OkClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_TableName> ui_;
    QString currentTable_;
};

// Shows the prompt modally; the typed name exactly as typed, or nullopt when the user cancelled
// (Cancel, Esc or the close box).
std::optional<QString> AskTableName(const QString& currentTable, QWidget* parent);
