#include "workspace/sqlpage/QueryTemplate.h"

#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/SqlCommandLine.h"

#include "ui_Main.h"
#include "ui_QueryTemplate.h"

#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextLayout>

SqlTemplateEnv MakeSqlTemplateEnv(TForm_Main& form)
{
    return SqlTemplateEnv{form.state(), form.ui(), &form,
                          ColumnSources{&form.Table, &form.Table2, &form.Query, &form.ADOQuery},
                          [&form] { ShowCaretPosition(form); }};
}

QStringList TemplateTableNames(const MainState& state)
{
    const bool oracle = state.CurrentDatabase && state.CurrentDatabase->DBType == QLatin1String("ORACLE");
    QStringList names;
    names.reserve(state.TableNames.size());
    for (const QString& name : state.TableNames)
        names << (oracle ? name.toUpper() : name.toLower());
    return names;
}

QStringList TemplateColumnNames(MainState& state, const ColumnSources& sources, const QString& table)
{
    ColumnList columns;
    ColumnListLoader(state, sources).LoadFieldObjects(table, columns);
    QStringList names;
    for (const auto& column : columns)
        names << column.second->ColumnName;
    return names;
}

QStringList SelectTemplateLines(const QString& table, const QStringList& fields, const QStringList& whereFields)
{
    QString list;
    for (qsizetype i = 0; i < fields.size(); ++i)
        list += QuoteIfBlank(fields[i]) + (i + 1 < fields.size() ? QStringLiteral(", ") : QStringLiteral(" "));
    QStringList lines{QStringLiteral("SELECT ") + list, QStringLiteral("FROM ") + QuoteTableName(table)};
    for (qsizetype i = 0; i < whereFields.size(); ++i)
        lines << (i == 0 ? QStringLiteral("WHERE ") : QStringLiteral("AND ")) + QuoteIfBlank(whereFields[i])
                     + QStringLiteral(" = ''");
    return lines;
}

QStringList UpdateTemplateLines(const QString& table, const QStringList& fields, const QStringList& whereFields)
{
    QStringList lines{QStringLiteral("UPDATE ") + QuoteTableName(table)};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QString line = (i == 0 ? QStringLiteral("SET ") : QString()) + QuoteIfBlank(fields[i]) + QStringLiteral(" = ''");
        // Every SET line but the last ends in a comma and a blank; the last has no blank.
        if (i + 1 < fields.size())
            line += QStringLiteral(", ");
        lines << line;
    }
    if (fields.isEmpty())
        lines << QStringLiteral("SET");
    for (qsizetype i = 0; i < whereFields.size(); ++i)
        lines << (i == 0 ? QStringLiteral("WHERE ") : QStringLiteral("AND ")) + QuoteIfBlank(whereFields[i])
                     + QStringLiteral(" = ''");
    return lines;
}

QStringList IndentTemplateLines(const QStringList& lines)
{
    QStringList out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        const QString six = line.left(6);
        const bool clause = six == QLatin1String("SELECT") || six == QLatin1String("UPDATE")
                            || six == QLatin1String("DELETE") || six == QLatin1String("INSERT")
                            || line.left(4) == QLatin1String("FROM") || line.left(5) == QLatin1String("WHERE");
        out << (clause ? line : QStringLiteral("  ") + line);
    }
    return out;
}

QStringList DisplayedLines(QPlainTextEdit& box)
{
    QStringList out;
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(box.document()->documentLayout());
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        if (layout)
            layout->ensureBlockLayout(block);
        const QString text = block.text();
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() <= 1) {
            out << text;
            continue;
        }
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            out << text.mid(line.textStart(), line.textLength());
        }
    }
    return out;
}

void WriteTemplate(QPlainTextEdit& box, const QStringList& lines, bool indent,
                   const std::function<void()>& showCaretPosition)
{
    const auto wrapMode = box.lineWrapMode();
    const auto horizontal = box.horizontalScrollBarPolicy();
    const auto vertical = box.verticalScrollBarPolicy();
    const bool updates = box.updatesEnabled();

    box.setUpdatesEnabled(false);
    box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.setPlainText(lines.join(QLatin1Char('\n')));

    QStringList fitted = DisplayedLines(box);
    if (indent)
        fitted = IndentTemplateLines(fitted);
    box.setPlainText(fitted.join(QLatin1Char('\n')));
    box.moveCursor(QTextCursor::End);
    if (showCaretPosition)
        showCaretPosition();

    box.setLineWrapMode(wrapMode);
    box.setHorizontalScrollBarPolicy(horizontal);
    box.setVerticalScrollBarPolicy(vertical);
    box.setUpdatesEnabled(updates);
    box.ensureCursorVisible();
}

TForm_Select::TForm_Select(MainState& state, const ColumnSources& sources, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_Select>()), state_(state), sources_(sources)
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui_->ComboBox_Tables, &QComboBox::currentIndexChanged, this, &TForm_Select::ComboBox_TablesChange);
    connect(ui_->BitBtn_Select, &QPushButton::clicked, this, &TForm_Select::BitBtn_SelectClick);
    connect(ui_->BitBtn_Clear, &QPushButton::clicked, this, &TForm_Select::BitBtn_ClearClick);
    connect(ui_->BitBtn_Select2, &QPushButton::clicked, this, &TForm_Select::BitBtn_Select2Click);
    connect(ui_->BitBtn_Clear2, &QPushButton::clicked, this, &TForm_Select::BitBtn_Clear2Click);
    connect(ui_->SpeedButton_Sort, &QToolButton::clicked, this, &TForm_Select::SpeedButton_SortClick);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, &TForm_Select::BitBtn_OKClick);
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, &TForm_Select::BitBtn_CancelClick);
    CenterOnScreen(*this);
}

TForm_Select::~TForm_Select() = default;

void TForm_Select::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_Select::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_Select::FormShow()
{
    QComboBox* tables = ui_->ComboBox_Tables;
    {
        const QSignalBlocker quiet(tables);
        tables->clear();
        QStringList names = TemplateTableNames(state_);
        names.sort(Qt::CaseInsensitive);
        tables->addItems(names);
        tables->setCurrentIndex(-1);
    }
    Cancelled = false;
    tables->setFocus();
}

void TForm_Select::ComboBox_TablesChange()
{
    for (QListWidget* list : {ui_->ListBox_Fields, ui_->ListBox_WhereFields}) {
        list->setSortingEnabled(false);
        list->clear();
    }
    const QString table = chosenTable();
    if (table.isEmpty())
        return;
    QStringList names;
    try {
        names = TemplateColumnNames(state_, sources_, table);
    } catch (const std::exception& error) {
        AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
        return;
    }
    ui_->ListBox_Fields->addItems(names);
    ui_->ListBox_WhereFields->addItems(names);
}

void TForm_Select::BitBtn_SelectClick() { ui_->ListBox_Fields->selectAll(); }
void TForm_Select::BitBtn_ClearClick() { ui_->ListBox_Fields->clearSelection(); }
void TForm_Select::BitBtn_Select2Click() { ui_->ListBox_WhereFields->selectAll(); }
void TForm_Select::BitBtn_Clear2Click() { ui_->ListBox_WhereFields->clearSelection(); }

void TForm_Select::SpeedButton_SortClick()
{
    for (QListWidget* list : {ui_->ListBox_Fields, ui_->ListBox_WhereFields}) {
        list->setSortingEnabled(true);
        list->sortItems();
    }
}

void TForm_Select::BitBtn_OKClick()
{
    if (chosenTable().isEmpty()) {
        done(QDialog::Rejected);
        return;
    }
    if (ui_->ListBox_Fields->selectedItems().isEmpty()) {
        platform::modal::messageBox(this, QMessageBox::Critical, QStringLiteral("Error"),
                                    QStringLiteral("You have not selected any fields to query on!"), QMessageBox::Ok);
        ui_->ListBox_Fields->setFocus();
        return;
    }
    Cancelled = false;
    done(QDialog::Accepted);
}

void TForm_Select::BitBtn_CancelClick()
{
    Cancelled = true;
    done(QDialog::Rejected);
}

void TForm_Select::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TForm_Select::FormClose()
{
    if (chosenTable().isEmpty())
        Cancelled = true;
}

QString TForm_Select::chosenTable() const
{
    return ui_->ComboBox_Tables->currentIndex() < 0 ? QString() : ui_->ComboBox_Tables->currentText();
}

namespace {

// The selected items in list order (the selection itself is kept in click order).
QStringList selectedInOrder(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out << list->item(i)->text();
    return out;
}

} // namespace

QStringList TForm_Select::chosenFields() const { return selectedInOrder(ui_->ListBox_Fields); }
QStringList TForm_Select::chosenWhereFields() const { return selectedInOrder(ui_->ListBox_WhereFields); }

void BitBtn_SelectClick(SqlTemplateEnv& env, QObject* Sender)
{
    const bool update = Sender == env.ui.BitBtn_Update2;
    TForm_Select chooser(env.state, env.sources, env.window);
    chooser.ui()->Label_Fields->setText(update ? QStringLiteral("Update Fields") : QStringLiteral("Select Fields"));
    platform::modal::execWindow(chooser);
    if (chooser.Cancelled)
        return;

    const QString table = chooser.chosenTable();
    const QStringList lines = update ? UpdateTemplateLines(table, chooser.chosenFields(), chooser.chosenWhereFields())
                                     : SelectTemplateLines(table, chooser.chosenFields(), chooser.chosenWhereFields());
    env.ui.Memo_SQL->clear();
    WriteTemplate(*env.ui.Memo_SQL, lines, true, env.showCaretPosition);
}
