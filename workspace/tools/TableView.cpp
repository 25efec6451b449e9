#include "workspace/tools/TableView.h"

#include "app/StartUp.h"
#include "platform/modal/Modal.h"
#include "components/DialogBehaviour.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_TableView.h"

#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextCursor>
#include <QTextBlock>
#include <algorithm>

QStringList TableViewLines(const ColumnList& columns)
{
    qsizetype width = 0;
    for (const auto& [name, column] : columns)
        width = std::max(width, name.size());
    QStringList lines;
    for (const auto& [name, column] : columns) {
        QString line = PadToWidth(name, QStringLiteral(" "), static_cast<int>(width + 2));
        line += FieldTypeName(column->ColumnType);
        if (column->ColumnType == platform::engine::ftString)
            line += QLatin1Char('(') + QString::number(column->ColumnSize) + QLatin1Char(')');
        lines << line;
    }
    return lines;
}

TForm_TableView::TForm_TableView(MainState& state, const ColumnSources& sources, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_TableView>()), state_(state), sources_(sources)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont font = ui_->Memo_Columns->font();
    font.setPixelSize(13);
    // Where Courier New is missing, another fixed-pitch face keeps the type names in one column.
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    ui_->Memo_Columns->setFont(font);
    connect(ui_->DBSCombobox_Tables, &QComboBox::currentIndexChanged, this, &TForm_TableView::DBSCombobox_TablesChange);
    connect(ui_->BitBtn_Print, &QPushButton::clicked, this, &TForm_TableView::BitBtn_PrintClick);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    CenterOnScreen(*this);
    FormCreate();
}

TForm_TableView::~TForm_TableView() { FormDestroy(); }

void TForm_TableView::FormCreate() { FillTableCombo(); }

void TForm_TableView::FormDestroy() { FreeFieldList(); }

void TForm_TableView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (ui_->DBSCombobox_Tables->currentIndex() < 0 && !CurrentTable.isEmpty()) {
        const int at = ui_->DBSCombobox_Tables->findText(CurrentTable, Qt::MatchFixedString);
        // A table whose columns cannot be read leaves the listing empty and the window open.
        try {
            if (at >= 0)
                ui_->DBSCombobox_Tables->setCurrentIndex(at);
        } catch (const std::exception& error) {
            ShowApplicationException(error);
        }
    }
}

void TForm_TableView::FillTableCombo()
{
    const bool oracle = state_.CurrentDatabase && state_.CurrentDatabase->DBType == QLatin1String("ORACLE");
    QStringList names;
    for (const QString& name : state_.TableNames)
        names << (oracle ? name.toUpper() : name.toLower());
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QSignalBlocker block(ui_->DBSCombobox_Tables);
    ui_->DBSCombobox_Tables->clear();
    ui_->DBSCombobox_Tables->addItems(names);
    ui_->DBSCombobox_Tables->setCurrentIndex(-1);
}

void TForm_TableView::FreeFieldList() { columns_.clear(); }

void TForm_TableView::DBSCombobox_TablesChange()
{
    ui_->Memo_Columns->clear();
    if (ui_->DBSCombobox_Tables->currentIndex() < 0)
        return;
    FreeFieldList();
    ColumnListLoader(state_, sources_).LoadFieldObjects(ui_->DBSCombobox_Tables->currentText(), columns_);
    ui_->Memo_Columns->setPlainText(TableViewLines(columns_).join(QLatin1Char('\n')));
}

void TForm_TableView::BitBtn_PrintClick()
{
    if (ui_->DBSCombobox_Tables->currentIndex() < 0)
        return;
    QPrinter printer;
    if (!platform::modal::printDialog(this, printer))
        return;
    QPlainTextEdit* memo = ui_->Memo_Columns;
    // The heading stands above the listing only while it prints; the box is not redrawn meanwhile.
    struct Heading {
        QPlainTextEdit* memo;
        explicit Heading(QPlainTextEdit* m, const QString& text) : memo(m)
        {
            memo->setUpdatesEnabled(false);
            QTextCursor cursor(memo->document());
            cursor.movePosition(QTextCursor::Start);
            cursor.insertText(text + QLatin1Char('\n'));
        }
        ~Heading()
        {
            QTextCursor cursor(memo->document());
            cursor.movePosition(QTextCursor::Start);
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            memo->setUpdatesEnabled(true);
        }
    } heading(memo, QStringLiteral("Table : ") + ui_->DBSCombobox_Tables->currentText());
    printer.setDocName(QString());
    memo->print(&printer);
}

void MenuItem_TableAttributesClick(TForm_Main& form)
{
    TForm_TableView view(form.state(), ColumnSources{&form.Table, &form.Table2, &form.Query, &form.ADOQuery}, &form);
    view.CurrentTable = form.state().CurrentTable;
    platform::modal::execWindow(view);
}
