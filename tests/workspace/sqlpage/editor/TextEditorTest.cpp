#include "Fixture.h"

#include "app/DatabaseRegistry.h"
#include "app/Options.h"
#include "app/StartUp.h"
#include "components/SaveMsgDlg.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPrinter>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

namespace {

QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Answers file dialogs with a path and records what each asked.
struct FileAnswers {
    QString path;
    std::vector<Request> asked;
    Answer operator()(const Request& r)
    {
        asked.push_back(r);
        Answer a;
        a.result = path.isEmpty() ? 0 : 1;
        a.text = path;
        return a;
    }
};

} // namespace

class TextEditor : public EditorFixture {
protected:
    testsupport::TempHome home;
};

TEST_F(TextEditor, FormatTurnsSourceLinesBackIntoSql)
{
    struct Case {
        QStringList in, out;
    } cases[] = {
        {{"SQL.ADD('SELECT * ');", "SQL.ADD('FROM T');"}, {"SELECT * ", "FROM T"}},
        {{"  Sql.Add('select a,' +", "   sql.add('  b   from t');  "}, {"SELECT A, ", " B FROM T"}},
        {{"SQL.ADD('WHERE NAME = ''x''');"}, {"WHERE NAME = X"}},
        {{"plain   text"}, {"PLAIN TEXT"}},
        {{""}, {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSqlSource(c.in), c.out) << c.in.join('|').toStdString();

    ui.Memo_SQL->setPlainText(QStringLiteral("SQL.ADD('SELECT * ');\nSQL.ADD('FROM T');"));
    BitBtn_CodeFormatClick(env);
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("SELECT * \nFROM T"));
    EXPECT_TRUE(ui.BitBtn_CodeFormat->isHidden());
}

TEST_F(TextEditor, SetFontWritesOnlyTheOwnerBoxSectionAndReadsBack)
{
    QFont chosen(QStringLiteral("DejaVu Sans Mono"));
    chosen.setPointSize(13);
    chosen.setBold(true);
    chosen.setUnderline(true);
    QPalette palette = ui.Memo_Results->palette();
    palette.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
    ui.Memo_Results->setPalette(palette);

    openPopupOn(ui.Memo_Results);
    {
        // Cancelled: nothing written, the font unchanged.
        ScopedResponder r([](const Request& req) { EXPECT_EQ(req.kind, Kind::Font); return Answer{}; });
        MenuItem_SetFontClick(env, ui.MenuItem_SetFont);
    }
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("Quorvel.ini"))));
    {
        ScopedResponder r([&](const Request& req) {
            EXPECT_EQ(req.font, ui.Memo_Results->font()) << "starts with the box's font";
            Answer a;
            a.result = 1;
            a.font = chosen;
            return a;
        });
        MenuItem_SetFontClick(env, ui.MenuItem_SetFont);
    }
    EXPECT_EQ(ui.Memo_Results->font().family(), chosen.family());

    const platform::IniFile ini(kQuorvelIni);
    EXPECT_FALSE(ini.sectionExists(QStringLiteral("Memo_SQL")));
    EXPECT_EQ(ini.readSectionValues(QStringLiteral("Memo_Results")),
              QStringList({"FONTNAME=DejaVu Sans Mono", "FONTSTYLE=10", "FONTSIZE=13",
                           QStringLiteral("FONTCOLOR=%1").arg(0x563412)}));

    // A font sized in pixels comes back at the same size.
    QFont pixels(QStringLiteral("DejaVu Serif"));
    pixels.setPixelSize(17);
    WriteFontSection(QStringLiteral("Memo_SQL"), pixels, Qt::black);

    QPlainTextEdit sqlBox, resultsBox;
    OptionControls controls;
    controls.Memo_SQL = &sqlBox;
    controls.Memo_Results = &resultsBox;
    LoadOptions(state, controls);
    EXPECT_EQ(resultsBox.font().family(), chosen.family());
    EXPECT_EQ(resultsBox.font().pointSize(), 13);
    EXPECT_TRUE(resultsBox.font().bold());
    EXPECT_TRUE(resultsBox.font().underline());
    EXPECT_FALSE(resultsBox.font().italic());
    EXPECT_EQ(resultsBox.palette().color(QPalette::Text), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(sqlBox.font().pixelSize(), 17);
}

TEST_F(TextEditor, PopupItemsWorkOnTheOwnerBoxOnly)
{
    ui.Memo_SQL->setPlainText(QStringLiteral("sql text"));
    ui.Memo_Results->setPlainText(QStringLiteral("results"));

    // No owner yet, or a sender that is not an item of the popup: nothing happens.
    MenuItem_ClearClick(env, ui.MenuItem_Clear);
    openPopupOn(ui.Memo_Results);
    MenuItem_ClearClick(env, ui.MenuItem_Open);
    MenuItem_ClearClick(env, nullptr);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("results"));

    MenuItem_SelectAllClick(env, ui.MenuItem_SelectAll);
    EXPECT_EQ(ui.Memo_Results->textCursor().selectedText(), QStringLiteral("results"));
    EXPECT_FALSE(ui.Memo_SQL->textCursor().hasSelection());
    MenuItem_CopyClick(env, ui.MenuItem_Copy);
    openPopupOn(ui.Memo_SQL);
    MenuItem_SelectAllClick(env, ui.MenuItem_SelectAll);
    MenuItem_PasteClick(env, ui.MenuItem_Paste);
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("results"));
    openPopupOn(ui.Memo_Results);
    MenuItem_ClearClick(env, ui.MenuItem_Clear);
    EXPECT_TRUE(ui.Memo_Results->toPlainText().isEmpty());
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("results"));

    const QStringList expected = {"Open", "Save", "", "Clear", "Select All", "", "Copy", "Cut", "Paste", "",
                                  "Find", "Replace", "", "Set Font...", "", "Print..."};
    QStringList items;
    for (QAction* a : ui.PopupMenu_RE->actions())
        items << (a->isSeparator() ? QString() : a->text().remove(QLatin1Char('&')));
    EXPECT_EQ(items, expected);
}

TEST_F(TextEditor, PopupOpenAndSaveKeepLastSqlFile)
{
    const QString saved = home.file(QStringLiteral("out.sql"));
    ui.Memo_Results->setPlainText(QStringLiteral("SELECT 1\n\nFROM t"));
    openPopupOn(ui.Memo_Results);
    FileAnswers answers{saved};
    {
        ScopedResponder r(std::ref(answers));
        SubMenuItem_SaveClick(env, ui.SubMenuItem_Save);
    }
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].kind, Kind::SaveFile);
    EXPECT_EQ(answers.asked[0].defaultSuffix, QStringLiteral("txt"));
    EXPECT_EQ(answers.asked[0].filter, kSaveFilter);
    EXPECT_EQ(fileBytes(saved), QByteArray("SELECT 1\n\nFROM t\n"));
    EXPECT_EQ(state.LastSqlFile, saved);

    // A file written elsewhere, with CR LF line ends.
    const QString other = home.file(QStringLiteral("in.txt"));
    writeFile(other, "SELECT a\r\nFROM b\r\n");
    openPopupOn(ui.Memo_SQL);
    FileAnswers open{other};
    {
        ScopedResponder r(std::ref(open));
        SubMenuItem_OpenClick(env, ui.SubMenuItem_Open);
    }
    ASSERT_EQ(open.asked.size(), 1u);
    EXPECT_EQ(open.asked[0].kind, Kind::OpenFile);
    EXPECT_EQ(open.asked[0].value, saved) << "starts on the last file";
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("SELECT a\nFROM b"));
    EXPECT_EQ(state.LastSqlFile, other);

    // File menu Open loads Memo_SQL and leaves LastSqlFile alone.
    FileAnswers menuOpen{saved};
    {
        ScopedResponder r(std::ref(menuOpen));
        MenuItem_OpenClick(env);
    }
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("SELECT 1\n\nFROM t"));
    EXPECT_EQ(state.LastSqlFile, other);

    // A file that cannot be read is reported and the box keeps its text.
    std::vector<Request> seen;
    {
        ScopedResponder r([&](const Request& req) {
            seen.push_back(req);
            Answer a;
            a.result = 1;
            a.text = home.file(QStringLiteral("missing.txt"));
            return a;
        });
        MenuItem_OpenClick(env);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].kind, Kind::MessageBox);
    EXPECT_TRUE(seen[1].text.contains(QStringLiteral("missing.txt"))) << seen[1].text.toStdString();
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("SELECT 1\n\nFROM t"));
}

TEST_F(TextEditor, FileSaveActsOnTheSqlPageOnlyAndCancelEmptiesLastSqlFile)
{
    const QString target = home.file(QStringLiteral("q.txt"));
    ui.Memo_SQL->setPlainText(QStringLiteral("DELETE FROM t"));
    state.LastSqlFile = QStringLiteral("/somewhere/last.txt");

    showTablePage();
    {
        ScopedResponder r([](const Request&) {
            ADD_FAILURE() << "no dialog on the Table page";
            return Answer{};
        });
        MenuItem_SaveClick(env);
    }
    EXPECT_EQ(state.LastSqlFile, QStringLiteral("/somewhere/last.txt"));

    showSqlPage();
    FileAnswers cancel{QString()};
    {
        ScopedResponder r(std::ref(cancel));
        MenuItem_SaveClick(env);
    }
    ASSERT_EQ(cancel.asked.size(), 1u);
    EXPECT_EQ(cancel.asked[0].value, QStringLiteral("/somewhere/last.txt"));
    EXPECT_TRUE(state.LastSqlFile.isEmpty());

    FileAnswers ok{target};
    {
        ScopedResponder r(std::ref(ok));
        MenuItem_SaveClick(env);
    }
    EXPECT_EQ(state.LastSqlFile, target);
    EXPECT_EQ(fileBytes(target), QByteArray("DELETE FROM t\n"));
}

TEST_F(TextEditor, FileSaveKeepsTheStartUpLoginInTheCurrentDatabase)
{
    platform::IniFile(kQuorvelIni)
        .writeString(QStringLiteral("DATABASES"), QStringLiteral("Blank"), QStringLiteral("SQLITE|Blank||||||||"));
    DatabaseRegistry registry(state, *ui.MenuItem_Database, [](QAction*) {});
    state.RegistryIni = std::make_unique<platform::Registry>(QStringLiteral("\\"));
    env.registry = &registry;
    state.CurrentDataSource = testsupport::sqliteDsn();
    state.LoginUserName = QStringLiteral("scott");
    state.LoginPassword = QStringLiteral("tiger");

    // As start-up leaves it: the placeholder of the data source, filled in.
    registry.LoadDatabases();
    registry.FindCurrentDatabase(QStringLiteral("no such type"));
    FillInStartUpLogin(state);
    ASSERT_NE(state.CurrentDatabase, nullptr);
    ASSERT_EQ(state.CurrentDatabase->DataSource, state.CurrentDataSource);

    showSqlPage();
    FileAnswers ok{home.file(QStringLiteral("s.txt"))};
    {
        ScopedResponder r(std::ref(ok));
        MenuItem_SaveClick(env);
    }
    ASSERT_NE(state.CurrentDatabase, nullptr);
    EXPECT_EQ(state.CurrentDatabase->DataSource, state.CurrentDataSource);
    EXPECT_EQ(state.CurrentDatabase->UserName, QStringLiteral("scott"));
    EXPECT_EQ(state.CurrentDatabase->Password, QStringLiteral("tiger"));
    EXPECT_EQ(registry.FindDatabaseObj(state.CurrentDatabase->DBDesc), state.CurrentDatabase);
}

TEST_F(TextEditor, FillInTakesOnlyEmptyFields)
{
    TDataBaseObj configured;
    configured.DataSource = QStringLiteral("stored_dsn");
    configured.UserName = QStringLiteral("stored_user");
    state.CurrentDatabase = &configured;
    state.CurrentDataSource = QStringLiteral("chosen");
    state.LoginUserName = QStringLiteral("typed");
    state.LoginPassword = QStringLiteral("pw");
    FillInStartUpLogin(state);
    EXPECT_EQ(configured.DataSource, QStringLiteral("stored_dsn"));
    EXPECT_EQ(configured.UserName, QStringLiteral("stored_user"));
    EXPECT_EQ(configured.Password, QStringLiteral("pw"));
    state.CurrentDatabase = nullptr;
    FillInStartUpLogin(state);  // no current database: nothing to do
}

TEST_F(TextEditor, SqlViewerShowsTheQueryText)
{
    query.sql() << QStringLiteral("SELECT Count(*) FROM t") << QStringLiteral("WHERE a = 'x'");
    QString shown;
    {
        ScopedResponder r([&](const Request& req) {
            if (auto* form = qobject_cast<TForm_SaveMsg*>(req.window))
                shown = form->RichEdit->toPlainText();
            Answer a;
            a.result = 1;
            return a;
        });
        MenuItem_SQLViewerClick(env);
    }
    EXPECT_EQ(shown, QStringLiteral("SELECT Count(*) FROM t\nWHERE a = 'x'"));
}

TEST_F(TextEditor, PrintGoesToTheChosenPrinterOnlyOnOk)
{
    ui.Memo_Results->setPlainText(QStringLiteral("1|alpha|\n2|beta|"));
    openPopupOn(ui.Memo_Results);
    const QString pdf = home.file(QStringLiteral("box.pdf"));
    for (bool ok : {false, true}) {
        ScopedResponder r([&](const Request& req) {
            EXPECT_EQ(req.kind, Kind::Print);
            if (req.printer) {
                req.printer->setOutputFormat(QPrinter::PdfFormat);
                req.printer->setOutputFileName(pdf);
            }
            Answer a;
            a.result = ok ? 1 : 0;
            return a;
        });
        SubMenuItem_PrintClick(env, ui.SubMenuItem_Print);
        EXPECT_EQ(QFile::exists(pdf), ok);
    }
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF"));
}
