// Showing a found record by each kind of key, on SQLite and PostgreSQL: values, null markers,
// pictures, long text, the export lines, and a failed fetch.
#include "tests/workspace/tablepage/page/Fixture.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/imaging/Imaging.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/tablepage/RecordDisplay.h"

#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

using namespace platform::engine;

namespace {

// The text of any message the code under test shows: the system's message window or a standard box.
inline QString shownText(const platform::modal::Request& q)
{
    if (auto* form = qobject_cast<TForm_SaveMsg*>(q.window))
        return form->RichEdit->toPlainText();
    return q.text;
}

QColor textColour(QWidget* w) { return w->palette().color(QPalette::Text); }

QImage sample()
{
    QImage img(12, 8, QImage::Format_RGB32);
    img.fill(QColor(10, 120, 200));
    return img;
}

class RecordFixture : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
        dbObj.DBType = QStringLiteral("SQLITE");
    }

    void insertBlob(const QString& sql, const QByteArray& bytes)
    {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.paramByName(QStringLiteral("p")).setBlob(bytes);
        q.execSQL();
    }

    void show(int index)
    {
        state.RecordIndex = index;
        ShowRecord(*env);
    }

    TBVMaskEdit* edit(const char* column) { return control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_") + QLatin1String(column)); }
    QLineEdit* caption(const char* column) { return control<QLineEdit>(QStringLiteral("Label_") + QLatin1String(column)); }
    bool red(const char* column) { return textColour(caption(column)) == QColor(Qt::red); }

    // A table keyed by a serial id, with every kind of control; two records, the second mostly NULL.
    void makeSerialTable(const QString& table, const QString& idType)
    {
        recreate(table, QStringLiteral("id ") + idType
                            + QStringLiteral(", name varchar(20), d date, ts timestamp, n integer, f float, notes text, pic ")
                            + (table.startsWith(QLatin1String("qvrec_")) ? QStringLiteral("bytea") : QStringLiteral("blob")));
        exec({QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (id, name, d, ts, n, f, notes) VALUES "
                                                                      "(1, 'O''Brien', '2001-03-12', '2001-03-12 14:05:00', NULL, 2.5, 'line one')"),
              QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (id, name) VALUES (2, 'second')")});
        insertBlob(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET pic = :p WHERE id = 1"),
                   platform::imaging::encodeGif(sample()));
        state.SerialFields = QStringList{table.toUpper() + QStringLiteral("=ID")};
        build(table);
        state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2")};
    }

    void checkSerialRecords(const QString& table)
    {
        ASSERT_EQ(state.KeyColumn, QStringLiteral("id"));
        state.AsciiHeader.clear();
        show(0);
        EXPECT_EQ(edit("name")->text(), QStringLiteral("O'Brien"));
        EXPECT_EQ(edit("d")->text(), QStringLiteral("03/12/2001"));
        EXPECT_EQ(edit("ts")->text(), QStringLiteral("03/12/2001 14:05:00"));
        EXPECT_EQ(edit("n")->Hint, QStringLiteral("null"));
        EXPECT_TRUE(red("n"));
        EXPECT_FALSE(red("d"));
        auto* memo = control<TBVMemo>(QStringLiteral("MMemo_notes"));
        ASSERT_NE(memo, nullptr);
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("line one"));
        auto* pic = control<TBVImage>(QStringLiteral("Image_pic"));
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(int(pic->ImageFormat), 3);
        EXPECT_EQ(pic->picture().size(), QSize(12, 8));
        EXPECT_EQ(state.AsciiHeader, QStringLiteral("name|d|ts|n|f|notes|"));
        EXPECT_EQ(state.AsciiLine,
                  QStringLiteral("'O''Brien'|{d '2001-03-12'}|{ts '2001-03-12 14:05:00'}|null|2.5|''|"));
        EXPECT_TRUE(panel0.text().startsWith(table.toUpper() + QStringLiteral("  Record  1 of 2          ")));
        // The two lines read back as an INSERT, the way the delimited import uses them.
        QString columns = state.AsciiHeader, values = state.AsciiLine;
        columns.chop(1);
        values.chop(1);
        exec({QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (id, ") + columns.replace(QLatin1Char('|'), QLatin1Char(','))
              + QStringLiteral(") VALUES (3, ") + values.replace(QLatin1Char('|'), QLatin1Char(',')) + QLatin1Char(')')});
        {
            Query q;
            q.setDatabaseName(db.databaseName());
            q.sql() << QStringLiteral("SELECT name, d, ts, n, f, notes FROM ") + table + QStringLiteral(" WHERE id = 3");
            q.open();
            ASSERT_FALSE(q.eof());
            EXPECT_EQ(q.fields(0).asString(), QStringLiteral("O'Brien"));
            EXPECT_EQ(q.fields(1).asString(), QStringLiteral("03/12/2001"));
            EXPECT_EQ(q.fields(2).asString(), QStringLiteral("03/12/2001 14:05:00"));
            EXPECT_TRUE(q.fields(3).isNull());
            EXPECT_EQ(q.fields(4).asFloat(), 2.5);
            EXPECT_EQ(q.fields(5).asString(), QString());
        }

        show(1);
        EXPECT_EQ(edit("name")->text(), QStringLiteral("second"));
        EXPECT_TRUE(edit("d")->text().remove(QLatin1Char('/')).trimmed().isEmpty());
        EXPECT_TRUE(red("d"));
        EXPECT_EQ(memo->toPlainText(), QString());
        EXPECT_EQ(memo->Hint, QStringLiteral("null"));
        EXPECT_TRUE(red("notes"));
        EXPECT_EQ(pic->Hint, QStringLiteral("null"));
        EXPECT_TRUE(red("pic"));
        EXPECT_EQ(pic->size(), QSize(21, 21));
        EXPECT_EQ(state.AsciiLine, QStringLiteral("'second'|null|null|null|null|''|"));
        EXPECT_TRUE(panel0.text().startsWith(table.toUpper() + QStringLiteral("  Record  2 of 2")));
        EXPECT_TRUE(ui.BitBtn_Update->isEnabled());
        EXPECT_TRUE(ui.BitBtn_Previous->isEnabled());
        EXPECT_FALSE(ui.BitBtn_Next->isEnabled());

        // Back on the first: the date's caption black again, the memo read afresh.
        show(0);
        EXPECT_FALSE(red("d"));
        EXPECT_FALSE(red("notes"));
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("line one"));
    }
};

TEST_F(RecordFixture, SerialKeyOnSqlite)
{
    makeSerialTable(QStringLiteral("qv_rs"), QStringLiteral("integer primary key"));
    checkSerialRecords(QStringLiteral("qv_rs"));
}

TEST_F(RecordFixture, SerialKeyOnPostgres)
{
    QV_REQUIRE_PG();
    connect(testsupport::pg().dsn, testsupport::pg().user, testsupport::pg().password);
    dbObj.DBType = QStringLiteral("POSTGRESQL");
    makeSerialTable(QStringLiteral("qvrec_serial"), QStringLiteral("serial primary key"));
    checkSerialRecords(QStringLiteral("qvrec_serial"));
}

TEST_F(RecordFixture, PicturesOfEachFormat)
{
    recreate(QStringLiteral("qv_pics"), QStringLiteral("id integer primary key, pic blob, after_pic varchar(5)"));
    const struct { int id; QByteArray bytes; int format; } rows[] = {
        {1, platform::imaging::encodeJpeg(sample()), 2},
        {2, platform::imaging::encodeGif(sample()), 3},
        {3, platform::imaging::encodeBmp(sample()), 1},
        {4, QByteArray("this is no picture"), 0},
        {5, QByteArray(), -1},
    };
    for (const auto& r : rows) {
        exec({QStringLiteral("INSERT INTO qv_pics (id, after_pic) VALUES (%1, 'x')").arg(r.id)});
        insertBlob(QStringLiteral("UPDATE qv_pics SET pic = :p WHERE id = %1").arg(r.id), r.bytes);
    }
    state.SerialFields = QStringList{QStringLiteral("QV_PICS=ID")};
    build(QStringLiteral("qv_pics"));
    state.RecordKeys = QStringList{"1", "2", "3", "4", "5"};
    auto* pic = control<TBVImage>(QStringLiteral("Image_pic"));
    ASSERT_NE(pic, nullptr);
    const int belowTop = edit("after_pic")->y();

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        show(i);
        EXPECT_EQ(int(pic->ImageFormat), rows[i].format);
        EXPECT_EQ(pic->picture().size(), QSize(12, 8));
        EXPECT_EQ(pic->Hint, QString());
        // The control below moves down by the picture's height, from its own place every time.
        EXPECT_EQ(edit("after_pic")->y(), belowTop + pic->height());
    }
    // Not a picture: the control is emptied rather than keeping the previous one.
    show(3);
    EXPECT_EQ(int(pic->ImageFormat), 0);
    EXPECT_FALSE(pic->hasPicture());
    EXPECT_EQ(pic->size(), QSize(21, 21));
    EXPECT_FALSE(red("pic"));
    // The header and the line leave the picture out alike.
    EXPECT_EQ(state.AsciiHeader, QStringLiteral("after_pic|"));
    EXPECT_EQ(state.AsciiLine, QStringLiteral("'x'|"));

    // An empty blob empties the picture and leaves the caption's colour as it was.
    show(2);
    QPalette p = caption("pic")->palette();
    p.setColor(QPalette::Text, Qt::red);
    caption("pic")->setPalette(p);
    show(4);
    EXPECT_FALSE(pic->hasPicture());
    EXPECT_TRUE(red("pic"));
}

TEST_F(RecordFixture, UniqueTextKeyWithQuotes)
{
    recreate(QStringLiteral("qv_ru"), QStringLiteral("sku varchar(12) unique, \"unit price\" float, about text"));
    exec({QStringLiteral("INSERT INTO qv_ru VALUES ('O''Brien', 1.5, 'irish')"),
          QStringLiteral("INSERT INTO qv_ru VALUES ('12', 3, 'number-like text')")});
    state.UniqueFields = QStringList{QStringLiteral("QV_RU=sku")};
    build(QStringLiteral("qv_ru"));
    ASSERT_TRUE(state.KeyColumn.isEmpty());
    ASSERT_EQ(state.UniqueColumn, QStringLiteral("sku"));
    state.RecordKeys = QStringList{QStringLiteral("O'Brien"), QStringLiteral("12")};
    state.AsciiHeader.clear();
    show(0);
    EXPECT_EQ(edit("unitprice")->text(), QStringLiteral("1.5"));
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_about"))->toPlainText(), QStringLiteral("irish"));
    EXPECT_EQ(state.AsciiHeader, QStringLiteral("sku|\"unit price\"|about|"));
    EXPECT_EQ(state.AsciiLine, QStringLiteral("'O''Brien'|1.5|''|"));
    show(1);
    EXPECT_EQ(edit("sku")->text(), QStringLiteral("12"));
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_about"))->toPlainText(), QStringLiteral("number-like text"));
}

TEST_F(RecordFixture, KeyColumnWithBlankAndStoredClauseOnPostgres)
{
    QV_REQUIRE_PG();
    connect(testsupport::pg().dsn, testsupport::pg().user, testsupport::pg().password);
    dbObj.DBType = QStringLiteral("POSTGRESQL");
    recreate(QStringLiteral("qvrec_blank"), QStringLiteral("\"order id\" integer, note text, code varchar(8)"));
    exec({QStringLiteral("INSERT INTO qvrec_blank VALUES (7, 'seven', 'a''b')")});
    state.SerialFields = QStringList{QStringLiteral("QVREC_BLANK=order id")};
    build(QStringLiteral("qvrec_blank"));
    ASSERT_EQ(state.KeyColumn, QStringLiteral("order id"));
    state.RecordKeys = QStringList{QStringLiteral("7")};
    show(0);
    EXPECT_EQ(edit("code")->text(), QStringLiteral("a'b"));
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_note"))->toPlainText(), QStringLiteral("seven"));

    // Without a key the record is found by its stored clause.
    recreate(QStringLiteral("qvrec_nokey"), QStringLiteral("a varchar(5), b integer, note text"));
    exec({QStringLiteral("INSERT INTO qvrec_nokey VALUES ('x', NULL, 'by clause')"),
          QStringLiteral("INSERT INTO qvrec_nokey VALUES ('y', 2, 'other')")});
    state.SerialFields.clear();
    build(QStringLiteral("qvrec_nokey"));
    ASSERT_TRUE(state.KeyColumn.isEmpty());
    ASSERT_TRUE(state.UniqueColumn.isEmpty());
    state.RecordKeys = QStringList{QStringLiteral("WHERE a = 'x' AND b IS NULL")};
    show(0);
    EXPECT_EQ(edit("a")->text(), QStringLiteral("x"));
    EXPECT_TRUE(red("b"));
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_note"))->toPlainText(), QStringLiteral("by clause"));
}

TEST_F(RecordFixture, FailedFetchClearsThePage)
{
    recreate(QStringLiteral("qv_rf"), QStringLiteral("id integer primary key, name varchar(10), notes text"));
    exec({QStringLiteral("INSERT INTO qv_rf VALUES (1, 'kept', 'memo')")});
    state.SerialFields = QStringList{QStringLiteral("QV_RF=ID")};
    build(QStringLiteral("qv_rf"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2")};
    show(0);
    ASSERT_EQ(edit("name")->text(), QStringLiteral("kept"));
    const QString header = state.AsciiHeader;

    exec({QStringLiteral("ALTER TABLE qv_rf RENAME TO qv_rf_gone")});
    QString message;
    platform::modal::ScopedResponder r([&](const platform::modal::Request& q) {
        message = shownText(q);
        return platform::modal::Answer{q.window ? 1 : int(QMessageBox::Ok)};
    });
    show(1);
    EXPECT_TRUE(message.contains(QStringLiteral("SELECT *")));
    EXPECT_TRUE(message.contains(QStringLiteral("WHERE id = 2")));
    EXPECT_EQ(edit("name")->text(), QString());
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_notes"))->toPlainText(), QString());
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Remove->isEnabled());
    EXPECT_TRUE(state.AsciiLine.isEmpty());
    EXPECT_EQ(state.AsciiHeader, header);
    EXPECT_TRUE(window.updatesEnabled());
    exec({QStringLiteral("DROP TABLE qv_rf_gone")});
}

TEST_F(RecordFixture, StatusAndButtonsAtIndexFourOfTwelve)
{
    recreate(QStringLiteral("qv_rn"), QStringLiteral("id integer primary key, v integer"));
    QStringList keys;
    for (int i = 1; i <= 12; ++i) {
        exec({QStringLiteral("INSERT INTO qv_rn VALUES (%1, %1)").arg(i)});
        keys << QString::number(i);
    }
    state.SerialFields = QStringList{QStringLiteral("QV_RN=ID")};
    build(QStringLiteral("qv_rn"));
    state.RecordKeys = keys;
    show(4);
    EXPECT_EQ(edit("v")->text(), QStringLiteral("5"));
    EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("QV_RN  Record  5 of 12          ")));
    EXPECT_TRUE(ui.BitBtn_First->isEnabled());
    EXPECT_TRUE(ui.BitBtn_Last->isEnabled());

    // A header once built stays until it is emptied, even for another table.
    const QString header = state.AsciiHeader;
    state.AsciiHeader = QStringLiteral("kept|");
    show(5);
    EXPECT_EQ(state.AsciiHeader, QStringLiteral("kept|"));
    EXPECT_EQ(header, QStringLiteral("v|"));

    // No keys: every record button off, the page empty.
    state.RecordKeys.clear();
    show(-1);
    for (QPushButton* b : {ui.BitBtn_Update, ui.BitBtn_Remove, ui.BitBtn_First, ui.BitBtn_Next,
                           ui.BitBtn_Previous, ui.BitBtn_Last})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(edit("v")->text(), QString());
}

TEST_F(RecordFixture, ActivityNotesLoadOnlyTheNoteColumn)
{
    recreate(QStringLiteral("activity_action_note"), QStringLiteral("id integer primary key, note text, remark text"));
    exec({QStringLiteral("INSERT INTO activity_action_note VALUES (1, 'the note', 'the remark')")});
    state.SerialFields = QStringList{QStringLiteral("ACTIVITY_ACTION_NOTE=ID")};
    build(QStringLiteral("activity_action_note"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    auto* remark = control<TBVMemo>(QStringLiteral("MMemo_remark"));
    remark->setPlainText(QStringLiteral("as it was"));
    show(0);
    EXPECT_EQ(control<TBVMemo>(QStringLiteral("MMemo_note"))->toPlainText(), QStringLiteral("the note"));
    EXPECT_EQ(remark->toPlainText(), QStringLiteral("as it was"));
    exec({QStringLiteral("DROP TABLE activity_action_note")});
}

TEST(LongTextStatement, Lines)
{
    const struct { const char* key; const char* value; const char* clause; const char* sql; } cases[] = {
        {"id", "42", "", "SELECT notes FROM \"line item\" WHERE id = 42"},
        {"rowid", "AAAA1xAAEAAAABhAAA", "", "SELECT notes FROM \"line item\" WHERE ROWID = 'AAAA1xAAEAAAABhAAA'"},
        {"rowid", "257", "", "SELECT notes FROM \"line item\" WHERE ROWID = '257'"},
        {"", "", "WHERE a = 'x'", "SELECT notes FROM \"line item\" WHERE a = 'x'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MemoSelectStatement(QStringLiteral("line item"), QStringLiteral("notes"), QString::fromUtf8(c.key),
                                      QString::fromUtf8(c.value), QString::fromUtf8(c.clause)),
                  QString::fromUtf8(c.sql));
}

// How often each watched widget was painted.
struct PaintCounts : QObject {
    QMap<QObject*, int> count;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count[watched];
        return false;
    }
};

} // namespace

// A value repeated from the record before is left as shown; one the user moved in, selected,
// typed in or undid is shown afresh, as any other value is. The same text, shown whole in an edit
// without focus, keeps its cursor where it stands: only the history and the marks are new.
TEST_F(RecordFixture, RepeatedValuesAndTouchedFields)
{
    recreate(QStringLiteral("qv_repeat"), QStringLiteral("id integer primary key, name varchar(40), n integer"));
    exec({QStringLiteral("INSERT INTO qv_repeat VALUES (1, 'the same long name', NULL), (2, 'the same long name', NULL), "
                         "(3, 'other', 5)")});
    state.SerialFields = QStringList{QStringLiteral("QV_REPEAT=ID")};
    build(QStringLiteral("qv_repeat"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    TBVMaskEdit* name = edit("name");
    TBVMaskEdit* n = edit("n");
    show(0);
    EXPECT_EQ(name->cursorPosition(), 0);

    QSignalSpy moves(name, &QLineEdit::cursorPositionChanged);
    show(1);
    EXPECT_EQ(moves.count(), 0);
    EXPECT_EQ(name->text(), QStringLiteral("the same long name"));
    EXPECT_EQ(name->Hint, QStringLiteral("the same long name"));
    EXPECT_EQ(n->Hint, QStringLiteral("null"));
    EXPECT_TRUE(red("n"));

    const auto expectFresh = [&](TBVMaskEdit* e, const QString& text, int cursor) {
        EXPECT_EQ(e->text(), text);
        EXPECT_EQ(e->cursorPosition(), cursor);
        EXPECT_FALSE(e->hasSelectedText());
        EXPECT_FALSE(e->isModified());
        const bool readOnly = e->isReadOnly();
        e->setReadOnly(false);
        EXPECT_FALSE(e->isUndoAvailable());
        EXPECT_FALSE(e->isRedoAvailable());
        e->setReadOnly(readOnly);
    };
    const QString same = QStringLiteral("the same long name");
    ASSERT_TRUE(name->showsWholeText());
    name->end(false);
    show(0);
    expectFresh(name, same, int(same.size()));
    name->setSelection(0, 3);
    show(1);
    expectFresh(name, same, int(same.size()));
    // Typed and taken back while the page took changes: the same text, with an undo history
    // that the read-only page hides.
    name->setReadOnly(false);
    name->setCursorPosition(0);
    name->insert(QStringLiteral("x"));
    name->undo();
    name->setCursorPosition(0);
    ASSERT_EQ(name->text(), same);
    ASSERT_TRUE(name->isRedoAvailable());
    name->setReadOnly(true);
    show(0);
    expectFresh(name, same, int(same.size()));
    // A null field typed in and emptied again.
    n->setReadOnly(false);
    n->insert(QStringLiteral("7"));
    n->backspace();
    ASSERT_TRUE(n->isUndoAvailable());
    show(1);
    expectFresh(n, QString(), 0);
    EXPECT_EQ(n->Hint, QStringLiteral("null"));

    show(2);
    expectFresh(name, QStringLiteral("other"), 0);
    expectFresh(n, QStringLiteral("5"), 0);
}

// A record shown again with the texts its edits already hold, as after an add or an update,
// paints none of them. An edit with focus, or one too narrow for its text, still has its cursor
// put at the start, so the start of the text is what shows.
TEST_F(RecordFixture, TextsShownAgainStayUnpainted)
{
    const QString longText = QStringLiteral("a text far too long to be shown whole in a field of this width, ") + QString(60, QLatin1Char('x'));
    recreate(QStringLiteral("qv_again"), QStringLiteral("id integer primary key, name varchar(40), code varchar(4), note varchar(200)"));
    exec({QStringLiteral("INSERT INTO qv_again VALUES (1, 'typed name', 'ab', '") + longText + QStringLiteral("')")});
    state.SerialFields = QStringList{QStringLiteral("QV_AGAIN=ID")};
    build(QStringLiteral("qv_again"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);
    TBVMaskEdit* name = edit("name");
    TBVMaskEdit* code = edit("code");
    TBVMaskEdit* note = edit("note");
    ASSERT_TRUE(name->showsWholeText());
    ASSERT_FALSE(note->showsWholeText());

    // The user types each value again, as for an add, and leaves the cursor at its end.
    for (TBVMaskEdit* e : {name, code, note}) {
        const QString text = e->text();
        e->setReadOnly(false);
        e->clear();
        e->insert(text);
        ASSERT_EQ(e->cursorPosition(), text.size());
    }
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    code->setFocus();
    ASSERT_TRUE(code->hasFocus());
    QApplication::processEvents();

    PaintCounts paints;
    for (TBVMaskEdit* e : {name, code, note})
        e->installEventFilter(&paints);
    show(0);
    QApplication::processEvents();

    EXPECT_EQ(paints.count.value(name), 0);
    EXPECT_EQ(name->cursorPosition(), name->text().size());
    EXPECT_EQ(code->cursorPosition(), 0);
    EXPECT_EQ(note->cursorPosition(), 0);
    EXPECT_GE(paints.count.value(note), 1);
    for (TBVMaskEdit* e : {name, code, note}) {
        EXPECT_FALSE(e->isModified());
        e->setReadOnly(false);
        EXPECT_FALSE(e->isUndoAvailable()) << e->objectName().toStdString();
        EXPECT_FALSE(e->EditedByUser);
    }
}

// A show that leaves the status text and a navigation button as they were paints neither again;
// one that changes them paints them.
TEST_F(RecordFixture, UnchangedStatusAndButtonsStayUnpainted)
{
    recreate(QStringLiteral("qv_unpainted"), QStringLiteral("id integer primary key, name varchar(40)"));
    exec({QStringLiteral("INSERT INTO qv_unpainted VALUES (1, 'one'), (2, 'two'), (3, 'three')")});
    state.SerialFields = QStringList{QStringLiteral("QV_UNPAINTED=ID")};
    build(QStringLiteral("qv_unpainted"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    ui.StatusBar->addWidget(&panel0, 1);
    show(0);
    QApplication::processEvents();

    PaintCounts paints;
    for (QWidget* w : std::initializer_list<QWidget*>{&panel0, ui.BitBtn_First, ui.BitBtn_Next})
        w->installEventFilter(&paints);

    show(0);
    QApplication::processEvents();
    EXPECT_EQ(paints.count.value(&panel0), 0);
    EXPECT_EQ(paints.count.value(ui.BitBtn_First), 0);
    EXPECT_FALSE(ui.BitBtn_First->isEnabled());

    show(1);
    QApplication::processEvents();
    EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("QV_UNPAINTED  Record  2 of 3")));
    EXPECT_GE(paints.count.value(&panel0), 1);
    EXPECT_TRUE(ui.BitBtn_First->isEnabled());
    EXPECT_GE(paints.count.value(ui.BitBtn_First), 1);
    EXPECT_EQ(paints.count.value(ui.BitBtn_Next), 0);
}
