#include "workspace/sqlpage/InsertTemplate.h"

#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/modal/Modal.h"
#include "workspace/sqlpage/QueryTemplate.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_InsertTemplate.h"
#include "ui_Main.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

QString InsertPlaceholder(int FieldType)
{
    const QString type = FieldTypeName(FieldType);
    if (type == QLatin1String("integer") || type == QLatin1String("smallint") || type == QLatin1String("float"))
        return QStringLiteral("0");
    if (type == QLatin1String("date"))
        return QStringLiteral("{d '9999-12-31'}");
    if (type == QLatin1String("datetime"))
        return QStringLiteral("{ts '9999-12-31 00:00:00'}");
    if (type == QLatin1String("boolean") || type == QLatin1String("blob") || type == QLatin1String("memo")
        || type == QLatin1String("image"))
        return QStringLiteral("null");
    return QStringLiteral("' '");
}

QStringList InsertTemplateLines(const QString& table, const std::vector<std::pair<QString, int>>& columns,
                                bool byColumn)
{
    QString columnText, valueText;
    QStringList columnLines, valueLines;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i == 0 && columns[i].first.toLower().contains(QLatin1String("_serial")))
            continue;
        columnText += QuoteIfBlank(columns[i].first);
        columnLines << QuoteIfBlank(columns[i].first);
        valueText += InsertPlaceholder(columns[i].second);
        valueLines << InsertPlaceholder(columns[i].second);
        const bool last = i + 1 == columns.size();
        columnText += last ? QStringLiteral(")") : QStringLiteral(", ");
        valueText += last ? QStringLiteral(")") : QStringLiteral(",");
        columnLines.last() += last ? QStringLiteral(")") : QStringLiteral(",");
        valueLines.last() += last ? QStringLiteral(")") : QStringLiteral(",");
    }
    const QString head = QStringLiteral("INSERT INTO ") + QuoteTableName(table) + QStringLiteral(" (");
    if (!byColumn)
        return {head + columnText + QStringLiteral("VALUES(") + valueText};
    return QStringList{head} + columnLines + QStringList{QStringLiteral("VALUES(")} + valueLines;
}

int InsertValueLine(const QStringList& lines, const QString& selected)
{
    if (lines.isEmpty() || !lines.first().startsWith(QLatin1String("INSERT INTO")) || selected.isEmpty())
        return -1;
    int columnLine = 0, valuesLine = 0;
    for (int i = 1; i < lines.size(); ++i) {
        if (lines[i] == selected)
            columnLine = i;
        if (lines[i] == QLatin1String("VALUES(")) {
            valuesLine = i;
            break;
        }
    }
    // An edited box may have lost the value lines: then there is no line to go to.
    const int target = valuesLine + columnLine;
    return target < lines.size() ? target : -1;
}

TForm_Insert::TForm_Insert(MainState& state, const ColumnSources& sources, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_Insert>()), state_(state), sources_(sources)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui_->ListBox_Fields->hide();
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, &TForm_Insert::BitBtn_OKClick);
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, &TForm_Insert::BitBtn_CancelClick);
    connect(ui_->ListBox_Table, &QListWidget::itemDoubleClicked, this, &TForm_Insert::BitBtn_OKClick);
    CenterOnScreen(*this);
}

TForm_Insert::~TForm_Insert() = default;

void TForm_Insert::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_Insert::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_Insert::FormShow()
{
    QListWidget* list = ui_->ListBox_Table;
    list->clear();
    list->addItems(TemplateTableNames(state_));
    if (list->count() > 0)
        list->setCurrentRow(0);
    list->setFocus();
}

void TForm_Insert::BitBtn_OKClick()
{
    ui_->ListBox_Fields->clear();
    columns_.clear();
    const QString table = chosenTable();
    if (!table.isEmpty()) {
        ColumnList loaded;
        try {
            ColumnListLoader(state_, sources_).LoadFieldObjects(table, loaded);
        } catch (const std::exception& error) {
            // The window stays open: another table can be chosen, or Cancel.
            AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
            return;
        }
        columns_ = std::move(loaded);
        for (const auto& column : columns_)
            ui_->ListBox_Fields->addItem(column.second->ColumnName);
    }
    Cancelled = false;
    done(QDialog::Accepted);
}

void TForm_Insert::BitBtn_CancelClick()
{
    Cancelled = true;
    done(QDialog::Rejected);
}

QString TForm_Insert::chosenTable() const
{
    const QList<QListWidgetItem*> selected = ui_->ListBox_Table->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void BitBtn_InsertClick(SqlTemplateEnv& env)
{
    TForm_Insert chooser(env.state, env.sources, env.window);
    platform::modal::execWindow(chooser);
    const QString table = chooser.chosenTable();
    if (chooser.Cancelled || table.isEmpty())
        return;

    std::vector<std::pair<QString, int>> columns;
    for (const auto& column : chooser.columns())
        columns.emplace_back(column.second->ColumnName, column.second->ColumnType);
    const QStringList lines = InsertTemplateLines(table, columns, chooser.ui()->CheckBox_Column->isChecked());
    env.ui.Memo_SQL->clear();
    WriteTemplate(*env.ui.Memo_SQL, lines, false, env.showCaretPosition);
}

void JumpToInsertValue(Ui::TForm_Main& ui)
{
    if (ui.PageControl->currentWidget() != ui.TabSheet_CommandLine)
        return;
    QPlainTextEdit* box = ui.Memo_SQL;
    QStringList lines;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    const int target = InsertValueLine(lines, box->textCursor().selectedText());
    if (target < 0)
        return;
    QTextCursor cursor(box->document()->findBlockByNumber(target));
    cursor.movePosition(QTextCursor::EndOfBlock);
    box->setTextCursor(cursor);
    box->ensureCursorVisible();
}
