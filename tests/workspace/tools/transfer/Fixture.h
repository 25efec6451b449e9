#pragma once
// The main window on a test database (the query-by-example fixture) with every modal run of the
// export, import, printing and view commands answered: the table-name prompt, the open dialog,
// the print dialog (to a PDF file), and the list and table windows through callbacks.
#include "tests/workspace/tablepage/qbe/Fixture.h"

#include "app/SelectDB.h"
#include "workspace/tools/ListView.h"
#include "workspace/tools/TableName.h"
#include "workspace/tools/TableView.h"

#include "ui_SelectDB.h"
#include "ui_TableName.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <functional>

class TransferWindow : public QbeWindow {
protected:
    std::optional<QString> tableNameAnswer;   // typed into the prompt; nullopt: Cancel
    bool closeTableNamePrompt = false;        // closes the prompt by its close box instead
    QString tableNameShown;                   // what the prompt's edit held when it showed
    int tableNamePrompts = 0;
    QString openFileAnswer;                   // the open dialog's answer; empty: Cancel
    QString printFile;                        // where the print dialog sends the job; empty: Cancel
    int printDialogs = 0;
    QStringList databasesToChoose;            // rows the database chooser selects, in this order
    bool cancelChooser = false;
    QStringList chooserRows;                  // what the chooser listed
    std::function<void(TForm_List&)> onList;
    std::function<void(TForm_TableView&)> onTableView;

    // Answers the windows of these commands; the query fixture answers the rest.
    bool answerTransfer(const platform::modal::Request& r, platform::modal::Answer& a)
    {
        if (auto* prompt = qobject_cast<TForm_TableName*>(r.window)) {
            ++tableNamePrompts;
            tableNameShown = prompt->ui()->Edit_TableName->text();
            if (closeTableNamePrompt) {
                prompt->close();
            } else if (tableNameAnswer) {
                prompt->ui()->Edit_TableName->setText(*tableNameAnswer);
                QTest::mouseClick(prompt->ui()->BitBtn_Ok, Qt::LeftButton);
            } else {
                QTest::mouseClick(prompt->ui()->BitBtn_Cancel, Qt::LeftButton);
            }
        } else if (auto* chooser = qobject_cast<TForm_SelectDatabases*>(r.window)) {
            QListWidget* rows = chooser->ui()->MListBox_DB;
            chooserRows.clear();
            for (int i = 0; i < rows->count(); ++i)
                chooserRows << rows->item(i)->text();
            for (const QString& name : databasesToChoose) {
                const auto found = rows->findItems(name, Qt::MatchExactly);
                if (!found.isEmpty())
                    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(found.first()).center());
            }
            QTest::mouseClick(cancelChooser ? chooser->ui()->BitBtn_Cancel : chooser->ui()->BitBtn_OK, Qt::LeftButton);
        } else if (auto* list = qobject_cast<TForm_List*>(r.window)) {
            if (onList)
                onList(*list);
            a.result = QDialog::Accepted;
        } else if (auto* view = qobject_cast<TForm_TableView*>(r.window)) {
            if (onTableView)
                onTableView(*view);
            a.result = QDialog::Accepted;
        } else if (r.kind == platform::modal::Kind::OpenFile) {
            a.result = openFileAnswer.isEmpty() ? 0 : 1;
            a.text = openFileAnswer;
        } else if (r.kind == platform::modal::Kind::Print) {
            ++printDialogs;
            if (!printFile.isEmpty() && r.printer) {
                r.printer->setOutputFormat(QPrinter::PdfFormat);
                r.printer->setOutputFileName(printFile);
            }
            a.result = printFile.isEmpty() ? 0 : 1;
        } else {
            return false;
        }
        return true;
    }

    void SetUp() override
    {
        answerOther = [this](const platform::modal::Request& r, platform::modal::Answer& a) { return answerTransfer(r, a); };
        QbeWindow::SetUp();
    }

    // Runs a query by example with no criteria: every record of the chosen table.
    void findAll()
    {
        query();
        execute();
    }

    QStringList results() const
    {
        const QString text = ui.Memo_Results->toPlainText();
        return ui.Memo_Results->document()->isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    static QString pdfText(const QString& file)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return QStringLiteral("<pdftotext failed>");
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};
