#pragma once
// The sort order of a table: chosen in its own dialog from the page's columns, kept per table in
// the configuration file and written by the query as its ORDER BY line.
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class TForm_Order; }
struct MainState;
struct TablePageEnv;

class TForm_Order : public QDialog {
    Q_OBJECT
public:
    // page: the Table page's scroll box contents, whose mask edits are the columns offered.
    TForm_Order(QWidget* page, const QString& currentTable, QWidget* parent = nullptr);
    ~TForm_Order() override;

    Ui::TForm_Order* ui() const { return ui_.get(); }

    QString DragItem;

public slots:
    void FormCreate();
    void FormShow();
    void BitBtn_AddClick();
    void BitBtn_RemoveClick();
    void ListBox_SortOrderMouseDown();
    void ListBox_SortOrderMouseUp();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_Order> ui_;
    QWidget* page_;
    QString currentTable_;
    bool shown_ = false;
};

// Runs the dialog for CurrentTable and stores the result in OrderBy, UseSortOrder and the file.
void BitBtn_SortOrderClick(TablePageEnv& env);

// OrderBy as the query's ORDER BY line writes it (without the words ORDER BY): names holding a
// blank quoted. Names the table's column list does not hold are dropped from OrderBy, with a
// message, so that a column removed since the order was stored does not fail every query.
QString OrderByClause(MainState& state);
