// Printing the found records (to a PDF read back as text) and previewing them in the results box,
// with and without field names.
#include "Fixture.h"

#include "workspace/tools/Printing.h"

namespace {

class Printing : public TransferWindow {
protected:
    void SetUp() override
    {
        TransferWindow::SetUp();
        connectSqlite();
        recreate(QStringLiteral("print_t"),
                 QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), "
                                "a_very_long_column_name_x VARCHAR(10), born DATE, notes TEXT"));
        exec({QStringLiteral("INSERT INTO print_t (name, a_very_long_column_name_x, born, notes) "
                             "VALUES ('ABC', NULL, '2020-01-02', 'a memo')"),
              QStringLiteral("INSERT INTO print_t (name, a_very_long_column_name_x, born, notes) "
                             "VALUES ('x|y', 'v', NULL, NULL)")});
        choose(QStringLiteral("print_t"));
        findAll();
        ASSERT_EQ(form.state().RecordKeys.size(), 2);
    }
    void preview(bool fieldNames)
    {
        ui.MenuItem_ShowFieldNames->setChecked(fieldNames);
        ui.PageControl->setCurrentWidget(ui.TabSheet_Table);
        form.BitBtn_PrintClick(ui.MenuItem_PrintPreview);
    }
};

const QStringList kPlainLines{QStringLiteral("1|ABC||01/02/2020|"), QStringLiteral("2|x|y|v||")};
const QStringList kFieldNameLines{
    QStringLiteral("id                  1"),  QStringLiteral("name                ABC"),
    QStringLiteral("a_very_long_column_name_x"), QStringLiteral("born                01/02/2020"),
    QString(),
    QStringLiteral("id                  2"),  QStringLiteral("name                x|y"),
    QStringLiteral("a_very_long_column_name_xv"), QStringLiteral("born"),
    QString(),
};

TEST_F(Printing, PreviewWritesTheRecordsInBothLayouts)
{
    preview(false);
    // Memo text is left out; nothing is escaped; a null shows as an empty value.
    EXPECT_EQ(results(), kPlainLines);
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);
    EXPECT_EQ(form.state().RecordIndex, 1);

    preview(true);
    // The name is padded to 20 characters; a longer one touches its value.
    QStringList expected = kFieldNameLines;
    expected[8] = QStringLiteral("born                ");
    EXPECT_EQ(results(), expected);
}

TEST_F(Printing, PrintSendsTheSameTextToThePrinter)
{
    const QString pdf = home.file(QStringLiteral("records.pdf"));
    form.BitBtn_PrintClick(ui.BitBtn_Print);  // the print dialog cancelled: no job
    EXPECT_EQ(printDialogs, 1);
    EXPECT_FALSE(QFile::exists(pdf));

    printFile = pdf;
    ui.MenuItem_ShowFieldNames->setChecked(false);
    form.MenuItem_PrintClick(ui.MenuItem_Print);
    QString text = pdfText(pdf);
    for (const QString& line : kPlainLines)
        EXPECT_TRUE(text.contains(line)) << text.toStdString();
    EXPECT_EQ(form.state().RecordIndex, 1);

    ui.MenuItem_ShowFieldNames->setChecked(true);
    form.BitBtn_PrintClick(ui.BitBtn_Print);
    text = pdfText(pdf);
    for (const QString& line : kFieldNameLines) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\n" << text.toStdString();
        }
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Printing, LongPrintsBreakIntoPagesAndLongLinesWrap)
{
    exec({QStringLiteral("DELETE FROM print_t")});
    QStringList inserts;
    for (int i = 0; i < 150; ++i)
        inserts << QStringLiteral("INSERT INTO print_t (name, a_very_long_column_name_x) VALUES ('row%1', '%2')")
                       .arg(i)
                       .arg(i == 7 ? QStringLiteral("W").repeated(10) : QString());
    exec(inserts);
    exec({QStringLiteral("UPDATE print_t SET notes = 'n', name = '") + QStringLiteral("L").repeated(300)
          + QStringLiteral("' WHERE a_very_long_column_name_x = 'WWWWWWWWWW'")});
    findAll();
    ASSERT_EQ(form.state().RecordKeys.size(), 150);
    printFile = home.file(QStringLiteral("long.pdf"));
    ui.MenuItem_ShowFieldNames->setChecked(true);
    form.BitBtn_PrintClick(ui.BitBtn_Print);
    const QString text = pdfText(printFile);
    EXPECT_GT(text.count(QLatin1Char('\f')), 3);  // pages end with a form feed
    EXPECT_TRUE(text.contains(QStringLiteral("name                row149")));
    // The long value goes on in the next line, every character of it.
    EXPECT_EQ(text.count(QLatin1Char('L')), 300);
    EXPECT_FALSE(text.contains(QStringLiteral("L").repeated(300)));
}

TEST_F(Printing, ARecordThatIsGoneIsNotPrinted)
{
    exec({QStringLiteral("DELETE FROM print_t WHERE name = 'ABC'")});
    preview(false);
    EXPECT_EQ(results(), QStringList{kPlainLines[1]});

    printFile = home.file(QStringLiteral("gone.pdf"));
    form.BitBtn_PrintClick(ui.BitBtn_Print);
    const QString text = pdfText(printFile);
    EXPECT_TRUE(text.contains(kPlainLines[1])) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("ABC"))) << text.toStdString();
    EXPECT_TRUE(ui.TabSheet_Table->updatesEnabled());
    EXPECT_TRUE(form.updatesEnabled());
}

TEST_F(Printing, APrinterThatCannotStartIsAnError)
{
    printFile = home.file(QStringLiteral("missing/folder/out.pdf"));
    form.state().RecordIndex = 0;
    EXPECT_THROW(form.BitBtn_PrintClick(ui.BitBtn_Print), std::runtime_error);
    EXPECT_EQ(form.state().RecordIndex, 0);  // no record was walked
}

TEST_F(Printing, NoFoundRecordsAndOtherSenders)
{
    query();
    type(QStringLiteral("name"), QStringLiteral("nobody"));
    execute();
    ASSERT_TRUE(form.state().RecordKeys.isEmpty());
    messages.clear();

    ui.Memo_Results->setPlainText(QStringLiteral("old"));
    form.BitBtn_PrintClick(ui.BitBtn_Cancel);  // no print command
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("old"));
    EXPECT_EQ(printDialogs, 0);

    preview(false);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QString());
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);

    // The job is still opened and closed.
    printFile = home.file(QStringLiteral("empty.pdf"));
    form.BitBtn_PrintClick(ui.BitBtn_Print);
    EXPECT_TRUE(QFile::exists(printFile));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Printing, TheControlsStayHidden)
{
    for (QWidget* w : {static_cast<QWidget*>(ui.BitBtn_Print), static_cast<QWidget*>(ui.BitBtn_Preview)})
        EXPECT_FALSE(w->isVisibleTo(&form)) << w->objectName().toStdString();
    for (QAction* a : {ui.MenuItem_Print, ui.MenuItem_PrintPreview, ui.MenuItem_PrintSetup})
        EXPECT_FALSE(a->isVisible()) << a->objectName().toStdString();
}

} // namespace
