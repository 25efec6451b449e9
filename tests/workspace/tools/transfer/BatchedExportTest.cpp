// The found records read in batches of keys give what stepping through them on the page gives,
// byte for byte: the export's lines, the preview's and the printed pages, on SQLite and
// PostgreSQL, over tables keyed by a serial (the keys close together or far apart), a unique
// column, the row identifier and stored clauses, with records removed or re-keyed since the
// search and keys found twice, at the batches' boundaries. Records that cannot be written are
// named in one message.
#include "Fixture.h"

#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordText.h"
#include "workspace/tablepage/RecordWalk.h"
#include "workspace/tools/Printing.h"

#include <QPrinter>

namespace {

enum class Keys { Serial, Unique, RowId, Clause };

struct Shape {
    const char* name;
    Keys keys;
    bool sparse = false;  // only every third record found: the keys lie far apart
};

const Shape kShapes[] = {{"serial", Keys::Serial},
                         {"sparse serial", Keys::Serial, true},
                         {"unique", Keys::Unique},
                         {"rowid", Keys::RowId},
                         {"clause", Keys::Clause}};
const Shape& kSerial = kShapes[0];
const Shape& kClause = kShapes[4];

// The batches of the boundary cases: small, so that each awkward row falls in some batch.
constexpr int kBatch = 20;

QString quoted(QString text) { return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); }

class BatchedExport : public TransferWindow, public ::testing::WithParamInterface<Db> {
protected:
    QString table;

    void SetUp() override
    {
        TransferWindow::SetUp();
        if (!connectTo(pg()))
            GTEST_SKIP() << "no PostgreSQL server";
    }
    bool pg() const { return GetParam() == Db::Pg; }

    // count rows of awkward values: quotes, bars, text outside the BMP, nulls in every column,
    // floats that need all their digits, dates, a memo and a picture column. Rows without a key
    // repeat now and then; on SQLite a date and a timestamp that are no such thing.
    void makeTable(const Shape& shape, int found)
    {
        const int count = shape.sparse ? 3 * found : found;
        // A table of its own for each shape: the page keeps what it learnt of a table's columns.
        table = QStringLiteral("batch_") + QString::fromLatin1(shape.name).replace(QLatin1Char(' '), QLatin1Char('_'));
        const bool serial = shape.keys == Keys::Serial;
        QString columns;
        if (serial)
            columns = pg() ? QStringLiteral("id SERIAL PRIMARY KEY, ") : QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, ");
        columns += shape.keys == Keys::Unique ? QStringLiteral("sku VARCHAR(30) NOT NULL UNIQUE, ") : QStringLiteral("sku VARCHAR(30), ");
        columns += pg() ? QStringLiteral("name VARCHAR(40), n INTEGER, f DOUBLE PRECISION, d DATE, ts TIMESTAMP, b BOOLEAN, "
                                         "notes TEXT, pic BYTEA")
                        : QStringLiteral("name VARCHAR(40), n INTEGER, f DOUBLE, d DATE, ts TIMESTAMP, b BOOLEAN, "
                                         "notes TEXT, pic BLOB");
        recreate(table, columns);
        form.state().UniqueFields.clear();
        if (shape.keys == Keys::Unique)
            form.state().UniqueFields = {table.toUpper() + QStringLiteral("=SKU")};
        form.state().AddRowId = shape.keys == Keys::RowId;
        if (shape.keys == Keys::RowId) {
            // An empty catalogue names no serial column: the row identifier keys the records.
            recreate(QStringLiteral("systables"), QStringLiteral("tabid integer, tabname varchar(30)"));
            recreate(QStringLiteral("syscolumns"), QStringLiteral("tabid integer, colname varchar(30), coltype integer"));
        }
        db.DBType = shape.keys == Keys::RowId ? QStringLiteral("INFORMIX") : pg() ? QStringLiteral("POSTGRESQL")
                                                                                  : QStringLiteral("ACCESS");

        const char* floats[] = {nullptr, "0.1", "1e300", "-2.5", "0.3333333333333333", "123456789.125"};
        for (int row = 1; row <= count; ++row) {
            // Rows without a key of their own repeat the row before now and then.
            const int i = shape.keys != Keys::Unique && !serial && row % 6 == 0 ? row - 1 : row;
            const QString sku = QStringLiteral("S%1").arg(shape.keys == Keys::Unique ? row : i, 4, 10, QLatin1Char('0'))
                                + (i % 9 == 0 ? QStringLiteral(" O'Brien") : QString());
            const QDate day = QDate(2001, 3, 12).addDays(i);
            const QString values =
                quoted(sku) + QStringLiteral(", :name, ")
                + (i % 11 ? QString::number(i * 37 % 1000 - 500) : QStringLiteral("NULL")) + QStringLiteral(", ")
                + (floats[i % 6] ? QString::fromLatin1(floats[i % 6]) : QStringLiteral("NULL")) + QStringLiteral(", ")
                + (i % 13 ? quoted(day.toString(Qt::ISODate)) : QStringLiteral("NULL")) + QStringLiteral(", ")
                // A repeated row differs in its timestamp, which its stored clause leaves out.
                + (i % 4 ? quoted(QDateTime(day, QTime(13, 45, 30)).addSecs(row * 61).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                         : QStringLiteral("NULL"))
                + QStringLiteral(", ") + (i % 17 ? quoted(QString::number(i % 2)) : QStringLiteral("NULL")) + QStringLiteral(", ")
                + (i % 3 ? quoted(QStringLiteral("memo %1").arg(i)) : QStringLiteral("NULL")) + QStringLiteral(", :pic");
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (sku, name, n, f, d, ts, b, notes, pic) VALUES (")
                           + values + QLatin1Char(')');
            // Bound, as statement text outside the BMP does not reach SQLite whole.
            if (i % 7 == 0)
                q.paramByName(QStringLiteral("name")).clear();
            else if (i % 10 == 3)
                q.paramByName(QStringLiteral("name")).setString(QStringLiteral("Zoë 😀 %1").arg(i));
            else
                q.paramByName(QStringLiteral("name"))
                    .setString(QStringLiteral("name %1").arg(i) + (i % 5 ? QString() : QStringLiteral(" O'Hara | x")));
            if (i % 8 == 1)
                q.paramByName(QStringLiteral("pic")).setBlob(QByteArray("\x00\xff'\\x", 5));
            else
                q.paramByName(QStringLiteral("pic")).clear();
            q.execSQL();
        }
        if (!pg())
            exec({QStringLiteral("UPDATE ") + table + QStringLiteral(" SET d = '14.03.2019', ts = 'not a time' WHERE sku LIKE 'S0005%'")});
        choose(table);
        findAll();
        QStringList& keys = form.state().RecordKeys;
        ASSERT_EQ(keys.size(), count) << messages.join(QLatin1Char('\n')).toStdString();
        if (shape.sparse) {
            QStringList every;
            for (qsizetype k = 0; k < keys.size(); k += 3)
                every << keys[k];
            keys = every;
        }
    }

    // A found record's key that holds nothing outside the BMP, from index on: another user's
    // statement below writes it into its text.
    int plainKeyFrom(int index)
    {
        const QStringList& keys = form.state().RecordKeys;
        while (index < keys.size() - 1 && std::any_of(keys[index].begin(), keys[index].end(),
                                                      [](QChar c) { return c.isSurrogate(); }))
            ++index;
        return index;
    }

    // Since the search, another user removed one record and changed another's key; and the
    // key list names two records twice, one of them across a batch's boundary.
    void changeBehindTheSearch(const Shape& shape, int batch)
    {
        QStringList& keys = form.state().RecordKeys;
        const QString gone = keys[plainKeyFrom(int(keys.size()) / 2)];
        const QString moved = keys[plainKeyFrom(int(keys.size()) - 2)];
        switch (shape.keys) {
        case Keys::Serial:
            exec({QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE id = ") + gone,
                  QStringLiteral("UPDATE ") + table + QStringLiteral(" SET id = id + 100000 WHERE id = ") + moved});
            break;
        case Keys::Unique:
            exec({QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE sku = ") + quoted(gone),
                  QStringLiteral("UPDATE ") + table + QStringLiteral(" SET sku = sku || '-moved' WHERE sku = ") + quoted(moved)});
            break;
        case Keys::RowId:
            exec({QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE rowid = ") + gone,
                  QStringLiteral("UPDATE ") + table + QStringLiteral(" SET rowid = rowid + 100000 WHERE rowid = ") + moved});
            break;
        case Keys::Clause:
            exec({QStringLiteral("DELETE FROM ") + table + QStringLiteral(" ") + gone, QStringLiteral("UPDATE ") + table + QStringLiteral(" SET n = 424242 ") + moved});
            break;
        }
        keys.insert(std::min<qsizetype>(batch, keys.size()), keys[0]);
        keys.append(keys[1]);
    }

    // The export as stepping through the records on the page writes it; the records it could
    // not show by index.
    QStringList walkedExport(std::vector<int>& notShown)
    {
        MainState& s = form.state();
        s.AsciiHeader.clear();
        QStringList records;
        TablePageEnv env = form.tablePageEnv();
        WalkFoundRecords(env, [&](int index, bool shown) {
            if (shown)
                records << s.AsciiLine;
            else
                notShown.push_back(index);
        });
        return QStringList{s.AsciiHeader} + records;
    }

    QStringList walkedPrintLines(bool fieldNames)
    {
        QStringList lines;
        TablePageEnv env = form.tablePageEnv();
        WalkFoundRecords(env, [&](int, bool shown) {
            if (shown)
                lines << RecordPrintLines(PageControls(ui), fieldNames);
        });
        return lines;
    }
};

TEST_P(BatchedExport, ReadsWhatTheWalkShowsAtTheBatchBoundaries)
{
    for (const Shape& shape : kShapes) {
        if (shape.keys == Keys::RowId && pg())
            continue;  // PostgreSQL has no row identifier
        for (const int count : {kBatch - 1, kBatch, kBatch + 1}) {
            SCOPED_TRACE(std::string(shape.name) + " " + std::to_string(count));
            makeTable(shape, count);
            changeBehindTheSearch(shape, kBatch);
            MainState& s = form.state();

            std::vector<int> notShown;
            const QStringList walked = walkedExport(notShown);
            const QStringList walkedPlain = walkedPrintLines(false), walkedNamed = walkedPrintLines(true);
            ASSERT_GE(notShown.size(), 2u);

            // The export's lines, and the print's in both layouts, from one read each.
            TablePageEnv env = form.tablePageEnv();
            RecordTexts texts(ui, s);
            QString header;
            QStringList lines, plain, named;
            std::vector<int> unread;
            const auto read = [&](const std::function<QStringList(platform::engine::DataSet&)>& make, QStringList& out) {
                unread.clear();
                const FoundRecordsRead result = ReadFoundRecords(
                    env, texts,
                    [&](platform::engine::DataSet& row) -> std::optional<QStringList> {
                        if (!texts.showsEveryEdit())
                            return std::nullopt;
                        header = texts.header();
                        return make(row);
                    },
                    [&](int, const QStringList& made) { out << made; }, kBatch);
                EXPECT_FALSE(result.abandoned);
                for (const UnreadRecord& u : result.unread)
                    unread.push_back(u.index);
            };
            read([&](platform::engine::DataSet& row) { return QStringList{texts.asciiLine(row)}; }, lines);
            EXPECT_EQ(unread, notShown);
            lines.prepend(header);
            ASSERT_EQ(lines.size(), walked.size());
            for (qsizetype i = 0; i < lines.size(); ++i)
                ASSERT_EQ(lines[i].toStdString(), walked[i].toStdString()) << "line " << i;
            read([&](platform::engine::DataSet& row) { return RecordPrintLines(texts.editTexts(row), false); }, plain);
            EXPECT_EQ(plain, walkedPlain);
            read([&](platform::engine::DataSet& row) { return RecordPrintLines(texts.editTexts(row), true); }, named);
            EXPECT_EQ(named, walkedNamed);
        }
    }
}

TEST_P(BatchedExport, TheCommandsWriteWhatTheWalkWrites)
{
    // On SQLite past the commands' own batches; PostgreSQL's walk fetches each memo on a
    // connection of its own, too slow for that many records, and its batches are above.
    for (const auto& [shape, count] : {std::pair{kSerial, pg() ? 30 : kFoundRecordBatch + 1},
                                       std::pair{kClause, pg() ? 30 : kStoredClauseBatch + 1}}) {
        SCOPED_TRACE(shape.name);
        makeTable(shape, count);
        changeBehindTheSearch(shape, shape.keys == Keys::Clause ? kStoredClauseBatch : kFoundRecordBatch);
        MainState& s = form.state();
        const int found = int(s.RecordKeys.size());

        std::vector<int> notShown;
        const QStringList walked = walkedExport(notShown);
        const QString walkedLine = s.AsciiLine;
        messages.clear();
        ui.PageControl->setCurrentWidget(ui.TabSheet_Table);
        form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
        const QStringList batched = results();
        ASSERT_EQ(batched.size(), walked.size());
        for (qsizetype i = 0; i < batched.size(); ++i)
            ASSERT_EQ(batched[i].toStdString(), walked[i].toStdString()) << "line " << i;
        // The page ends on the last record, as the walk leaves it.
        EXPECT_EQ(s.RecordIndex, found - 1);
        EXPECT_EQ(s.AsciiLine, walkedLine);
        EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);
        // One message names every record left out.
        ASSERT_EQ(messages.size(), 1) << messages.join(QStringLiteral("\n---\n")).toStdString();
        const QString& report = messages[0];
        EXPECT_TRUE(report.startsWith(
            QStringLiteral("%1 of the %2 found records could not be written:").arg(notShown.size()).arg(found)))
            << report.toStdString();
        for (int index : notShown)
            EXPECT_TRUE(report.contains(QStringLiteral("\nRecord %1 (").arg(index + 1))) << report.toStdString();

        QStringList walkedLines;
        for (const bool fieldNames : {false, true}) {
            ui.MenuItem_ShowFieldNames->setChecked(fieldNames);
            walkedLines = walkedPrintLines(fieldNames);
            messages.clear();
            form.BitBtn_PrintClick(ui.BitBtn_Preview);
            EXPECT_EQ(results(), walkedLines);
            ASSERT_EQ(messages.size(), 1);
            EXPECT_TRUE(messages[0].contains(QStringLiteral("could not be previewed:"))) << messages[0].toStdString();
            EXPECT_EQ(s.RecordIndex, found - 1);
        }

        // The same lines make the same pages.
        const QString expected = home.file(QStringLiteral("walked.pdf"));
        {
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(expected);
            LinePrinter out(printer);
            for (const QString& line : walkedLines)
                out.writeLine(line);
        }
        printFile = home.file(QStringLiteral("batched.pdf"));
        messages.clear();
        form.BitBtn_PrintClick(ui.BitBtn_Print);
        const QString text = pdfText(printFile);
        EXPECT_GT(text.count(QLatin1Char('\f')), 1);
        EXPECT_EQ(text, pdfText(expected));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("could not be printed:"))) << messages[0].toStdString();
    }
}

TEST_P(BatchedExport, AKeyTheDatabaseRefusesIsNamedWithItsMessage)
{
    makeTable(kSerial, 5);
    // A key that is no number: SQLite finds no row by it, PostgreSQL refuses the statement.
    form.state().RecordKeys.insert(2, QStringLiteral("abc"));
    std::vector<int> notShown;
    const QStringList walked = walkedExport(notShown);
    messages.clear();
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(results(), walked);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("1 of the 6 found records could not be written:\nRecord 3 (key abc): ")))
        << messages[0].toStdString();
    if (pg())
        EXPECT_TRUE(messages[0].contains(QStringLiteral("invalid input syntax"))) << messages[0].toStdString();
    else
        EXPECT_TRUE(messages[0].endsWith(QStringLiteral("its key selects no row any more: the record was changed or "
                                                        "removed since it was found.")));
    // Every other record is written, the last one shown.
    EXPECT_EQ(results().size(), 6);
    EXPECT_EQ(form.state().RecordIndex, 5);
}

TEST_P(BatchedExport, AnEditNoColumnFillsIsPrintedAsThePageShowsIt)
{
    makeTable(kSerial, 5);
    // The record display leaves such an edit as it is, and empties it with the page when a
    // record is gone: no row tells its text, so the print steps through the page.
    auto* stray = new TBVMaskEdit(ui.ScrollBox->widget());
    stray->FieldName = QStringLiteral("elsewhere");
    const auto walk = [&] {
        stray->setText(QStringLiteral("kept"));
        return walkedPrintLines(false);
    };
    exec({QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE id = ") + form.state().RecordKeys[1]});
    ui.MenuItem_ShowFieldNames->setChecked(false);
    const QStringList walked = walk();
    ASSERT_EQ(walked.size(), 4);
    EXPECT_TRUE(walked[0].endsWith(QStringLiteral("|kept|"))) << walked[0].toStdString();
    EXPECT_FALSE(walked[1].endsWith(QStringLiteral("|kept|"))) << walked[1].toStdString();
    stray->setText(QStringLiteral("kept"));
    messages.clear();
    form.BitBtn_PrintClick(ui.BitBtn_Preview);
    EXPECT_EQ(results(), walked);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("1 of the 5 found records could not be previewed:\nRecord 2 (key %1): it could "
                                          "not be fetched again.")
                               .arg(form.state().RecordKeys[1]))
        << messages[0].toStdString();
}

// A link the server dropped is made again by the next statement, and every record is written;
// when it cannot be made again, the records not read are named as one range.
TEST_P(BatchedExport, ALostLinkIsMadeAgainOrTheRecordsLeftAreNamed)
{
    if (!pg())
        GTEST_SKIP() << "a link to a server";
    // A role of its own, whose password the test may change; the table made afresh holds no
    // grant of an earlier run's.
    makeTable(kSerial, 30);
    const QString role = QStringLiteral("qv_batch_lost");
    testsupport::pgExec(QStringLiteral("DROP ROLE IF EXISTS ") + role);
    testsupport::pgExec(QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN PASSWORD 'first'"));
    testsupport::pgExec(QStringLiteral("GRANT SELECT ON ") + table + QStringLiteral(" TO ") + role);
    const auto& server = testsupport::pg();
    connect(server.dsn, QStringLiteral("POSTGRESQL"), role, QStringLiteral("first"));
    choose(table);
    findAll();
    std::vector<int> notShown;
    const QStringList walked = walkedExport(notShown);
    ASSERT_EQ(walked.size(), 31);
    const auto dropLink = [&] {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << QStringLiteral("SELECT pg_backend_pid()");
        q.open();
        testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(q.fields(0).asInteger()));
    };

    dropLink();
    messages.clear();
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(results(), walked);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    dropLink();
    testsupport::pgExec(QStringLiteral("ALTER ROLE ") + role + QStringLiteral(" PASSWORD 'changed'"));
    messages.clear();
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(results(), QStringList{});
    ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("30 of the 30 found records could not be written:\nRecords 1 to 30: ")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("password authentication failed"))) << messages[0].toStdString();
    EXPECT_EQ(messages[0].count(QLatin1Char('\n')), 1);

    form.Database.setConnected(false);
    testsupport::pgExec(QStringLiteral("DROP OWNED BY ") + role + QStringLiteral(" CASCADE; DROP ROLE ") + role);
}

INSTANTIATE_TEST_SUITE_P(Databases, BatchedExport, ::testing::Values(Db::Sqlite, Db::Pg), DatabaseName);

TEST(UnreadRecords, OneMessageNamesThemByNumberAndKey)
{
    EXPECT_EQ(UnreadRecordsMessage({}, 10, QStringLiteral("written")), QString());
    const std::vector<UnreadRecord> unread{
        {1, QStringLiteral("7"), QString()},
        {2, QStringLiteral("WHERE a='x'"), QStringLiteral("refused")},
        {3, QStringLiteral("9"), QStringLiteral("refused")},
        // Runs of three or more for one message are one range.
        {6, QStringLiteral("12"), QStringLiteral("link lost")},
        {7, QStringLiteral("13"), QStringLiteral("link lost")},
        {8, QStringLiteral("14"), QStringLiteral("link lost")},
    };
    EXPECT_EQ(UnreadRecordsMessage(unread, 10, QStringLiteral("written")).toStdString(),
              "6 of the 10 found records could not be written:\r\n"
              "Record 2 (key 7): its key selects no row any more: the record was changed or removed since it was found.\r\n"
              "Record 3 (WHERE a='x'): refused\r\n"
              "Record 4 (key 9): refused\r\n"
              "Records 7 to 9: link lost");
}

} // namespace
