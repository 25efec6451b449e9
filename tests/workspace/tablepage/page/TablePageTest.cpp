#include "Fixture.h"

#include "app/ConnectionStatus.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/RecordDisplay.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

using namespace platform::engine;

namespace {

QColor textColour(QWidget* w) { return w->palette().color(QPalette::Text); }

TEST(TablePageNames, KeepIdentChars)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"order date", "orderdate"}, {"order_date", "order_date"}, {"Col-1.x$", "Col1x"},
        {"größe", "gre"}, {"", ""}, {"\"q\"", "q"}, {"A9_z", "A9_z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepIdentChars(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(TablePageNames, FieldTypeName)
{
    const struct { int code; const char* name; } cases[] = {
        {1, "char"}, {2, "smallint"}, {3, "integer"}, {5, "boolean"}, {6, "float"}, {9, "date"},
        {11, "datetime"}, {15, "blob"}, {16, "memo"}, {17, "image"}, {14, "char"}, {0, "char"}, {99, "char"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldTypeName(c.code), QLatin1String(c.name)) << c.code;
}

TEST_F(PageFixture, ControlsPerFieldType)
{
    recreate(QStringLiteral("qv_kinds"),
             QStringLiteral("s1 varchar(1), s2 varchar(2), s10 varchar(10), i integer, sm smallint, f double, "
                            "d date, ts timestamp, b boolean, notes text, pic blob, after_pic varchar(3)"));
    ui.MenuItem_AllowLowerCase->setChecked(false);
    build(QStringLiteral("qv_kinds"));

    const struct {
        const char* column;
        int type, width, maxLength;
        const char* mask;
    } edits[] = {
        {"s1", 1, 19, 1, ""},           {"s2", 1, 21, 2, ""},
        {"s10", 1, 77, 10, ""},         {"i", 3, 88, 0, ""},
        {"sm", 2, 121, 0, ""},          {"f", 6, 88, 0, ""},
        {"d", 9, 77, 10, "!99/99/0000;1;_"},
        {"ts", 11, 144, 19, "!99/99/0000 00:00:99;1;_"},
        {"b", 5, 88, 0, ""},            {"after_pic", 1, 28, 3, ""},
    };
    int maxRight = 0;
    for (QWidget* w : PageControls(ui))
        if (w->objectName().startsWith(QLatin1String("Label_")))
            maxRight = std::max(maxRight, w->x() + w->width());

    for (const auto& e : edits) {
        SCOPED_TRACE(e.column);
        auto* edit = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_") + QLatin1String(e.column));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->FieldName, QLatin1String(e.column));
        EXPECT_EQ(int(edit->FieldType), e.type);
        EXPECT_EQ(edit->width(), e.width);
        EXPECT_EQ(edit->height(), 21);
        EXPECT_EQ(edit->maxLengthLimit(), e.maxLength);
        EXPECT_EQ(edit->editMask(), QLatin1String(e.mask));
        EXPECT_EQ(edit->x(), maxRight + 10);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_EQ(edit->charCase(), TEditCharCase::Upper);
        EXPECT_EQ(edit->font().family().toLower(), QStringLiteral("courier new"));
        auto* caption = control<QLineEdit>(QStringLiteral("Label_") + QLatin1String(e.column));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), QLatin1String(e.column));
        EXPECT_EQ(caption->x(), 10);
        EXPECT_TRUE(caption->isReadOnly());
        EXPECT_TRUE(caption->font().bold());
    }

    auto* memo = control<TBVMemo>(QStringLiteral("MMemo_notes"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(int(memo->FieldType), 16);
    EXPECT_EQ(memo->height(), 230);
    EXPECT_EQ(memo->maxLengthLimit(), 2147483647);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // 700 fits the wide window (the clamp starts 20 pixels short of the box's edge).
    ASSERT_GE(ui.ScrollBox->width() - (maxRight + 20), 700);
    EXPECT_EQ(memo->width(), 700);

    auto* pic = control<TBVImage>(QStringLiteral("Image_pic"));
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->geometry(), QRect(110, pic->y(), 21, 21));
    EXPECT_TRUE(pic->center());
    EXPECT_FALSE(pic->autoSize());
    TBevel* frame = nullptr;
    for (QWidget* w : PageControls(ui))
        if (auto* b = qobject_cast<TBevel*>(w))
            frame = b;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Hint, QStringLiteral("Image_pic"));
    EXPECT_EQ(frame->geometry(), pic->geometry().adjusted(-5, -5, 5, 5));

    // Rows step by the control's height and 10; a picture row takes 31 and sits 8 lower.
    const auto& cols = state.ColumnList;
    ASSERT_EQ(cols.size(), 12u);
    EXPECT_EQ(cols[0].second->ControlTop, 10);
    EXPECT_EQ(cols[1].second->ControlTop, 41);
    EXPECT_EQ(cols[10].second->ControlTop, cols[9].second->ControlTop + 230 + 10 + 8);
    EXPECT_EQ(cols[11].second->ControlTop, cols[10].second->ControlTop - 8 + 31);
    EXPECT_EQ(cols[0].second->LabelEdit->y(), 13);

    // One size per mask edit and memo, in page order; none for the picture.
    EXPECT_EQ(state.FieldSizes, QStringList({"1", "2", "10", "0", "0", "0", "10", "19", "0", "2147483647", "3"}));
    EXPECT_TRUE(ui.ScrollBox->isVisible());
    EXPECT_TRUE(ui.MenuItem_AllowLowerCase->isVisible());
    // The contents are sized to hold the page, so it scrolls.
    EXPECT_GE(ui.ScrollBox->widget()->minimumHeight(), cols[11].second->ControlTop + 21);

    // In a narrow window the memo is cut to the box, 30 pixels short of its edge; short edits keep
    // their widths.
    window.resize(560, 606);
    QApplication::processEvents();
    build(QStringLiteral("qv_kinds"));
    memo = control<TBVMemo>(QStringLiteral("MMemo_notes"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->width(), ui.ScrollBox->width() - (maxRight + 30));
    EXPECT_LT(memo->width(), 700);
    EXPECT_EQ(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_s10"))->width(), 77);
}

TEST_F(PageFixture, KeyAndUniqueControlsAndCase)
{
    recreate(QStringLiteral("qv_keyed"), QStringLiteral("code varchar(8), name varchar(20), amount integer"));
    state.SerialFields << QStringLiteral("QV_KEYED=AMOUNT");
    state.UniqueFields << QStringLiteral("QV_KEYED=CODE");
    ui.MenuItem_AllowLowerCase->setChecked(true);
    build(QStringLiteral("qv_keyed"));

    auto* amount = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_amount"));
    auto* code = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_code"));
    ASSERT_TRUE(amount && code);
    EXPECT_EQ(state.KeyControl, amount);
    EXPECT_EQ(state.KeyColumn, QStringLiteral("amount"));
    EXPECT_EQ(int(amount->FieldType), 14);
    EXPECT_EQ(amount->width(), 88);
    EXPECT_EQ(amount->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(state.UniqueControl, code);
    EXPECT_EQ(state.UniqueColumn, QStringLiteral("CODE"));
    EXPECT_EQ(code->charCase(), TEditCharCase::Normal);

    // The key is typed only for a query.
    SetPageEditable(state, ui);
    EXPECT_TRUE(amount->isReadOnly());
    EXPECT_FALSE(code->isReadOnly());
    state.InQueryMode = true;
    SetPageEditable(state, ui);
    EXPECT_FALSE(amount->isReadOnly());
    SetPageReadOnly(ui);
    EXPECT_TRUE(amount->isReadOnly() && code->isReadOnly());

    // A rebuild for a table without key or unique column leaves neither pointer behind.
    recreate(QStringLiteral("qv_plain"), QStringLiteral("a varchar(4)"));
    build(QStringLiteral("qv_plain"));
    EXPECT_EQ(state.KeyControl, nullptr);
    EXPECT_EQ(state.UniqueControl, nullptr);
    EXPECT_TRUE(state.KeyColumn.isEmpty());
    EXPECT_TRUE(state.UniqueColumn.isEmpty());
    EXPECT_EQ(state.FieldSizes, QStringList({"4"}));
}

TEST_F(PageFixture, SyntheticRowIdEdit)
{
    // Empty catalogue tables of the Oracle and Informix layouts: their queries find no serial
    // column, so the page gets the row identifier as its first, key, column.
    recreate(QStringLiteral("dba_trigger_cols"), QStringLiteral("table_owner varchar(30), table_name varchar(30), "
                                                                "trigger_owner varchar(30), trigger_name varchar(30), "
                                                                "column_name varchar(30)"));
    recreate(QStringLiteral("systables"), QStringLiteral("tabid integer, tabname varchar(30)"));
    recreate(QStringLiteral("syscolumns"), QStringLiteral("tabid integer, colname varchar(30), coltype integer"));
    recreate(QStringLiteral("qv_rowid"), QStringLiteral("name varchar(10)"));
    ui.MenuItem_AllowLowerCase->setChecked(false);

    const struct { const char* type; int width; } cases[] = {{"ORACLE", 150}, {"INFORMIX", 88}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        dbObj.DBType = QLatin1String(c.type);
        state.InQueryMode = false;
        build(QStringLiteral("qv_rowid"));
        auto* rowid = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_rowid"));
        ASSERT_NE(rowid, nullptr);
        EXPECT_EQ(state.ColumnList.front().first, QStringLiteral("rowid"));
        EXPECT_EQ(state.KeyControl, rowid);
        EXPECT_EQ(state.KeyColumn, QStringLiteral("rowid"));
        EXPECT_EQ(rowid->width(), c.width);
        EXPECT_EQ(rowid->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
        EXPECT_EQ(rowid->charCase(), TEditCharCase::Normal);
        EXPECT_EQ(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_name"))->charCase(), TEditCharCase::Upper);
        SetPageEditable(state, ui);
        EXPECT_TRUE(rowid->isReadOnly());
        state.InQueryMode = true;
        SetPageEditable(state, ui);
        EXPECT_FALSE(rowid->isReadOnly());
        EXPECT_FALSE(state.AddRowId);
    }
    for (const char* t : {"dba_trigger_cols", "systables", "syscolumns"})
        exec({QStringLiteral("DROP TABLE ") + QLatin1String(t)});
}

TEST_F(PageFixture, NamesThatWouldClash)
{
    // Two columns reduce to the same name; one is named like the window's measuring label;
    // a picture column's name holds a blank and another is named like the empty picture.
    recreate(QStringLiteral("qv_clash"), QStringLiteral("\"order date\" date, orderdate varchar(5), width integer, "
                                                        "\"my pic\" blob, clear blob"));
    build(QStringLiteral("qv_clash"));
    QSet<QString> names;
    for (QWidget* w : PageControls(ui)) {
        if (w->objectName().isEmpty())
            continue;
        EXPECT_FALSE(names.contains(w->objectName())) << w->objectName().toStdString();
        names.insert(w->objectName());
        EXPECT_EQ(window.findChildren<QWidget*>(w->objectName()).size(), 1) << w->objectName().toStdString();
    }
    auto* first = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_orderdate"));
    auto* second = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_orderdate_2"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->FieldName, QStringLiteral("order date"));
    EXPECT_EQ(second->FieldName, QStringLiteral("orderdate"));
    EXPECT_NE(control<QLineEdit>(QStringLiteral("Label_orderdate_2")), nullptr);
    EXPECT_NE(control<TBVImage>(QStringLiteral("Image_my pic")), nullptr);
    EXPECT_NE(control<TBVImage>(QStringLiteral("Image_clear")), nullptr);
    EXPECT_EQ(ui.Label_Width->objectName(), QStringLiteral("Label_Width"));
}

TEST_F(PageFixture, MaxLengthsComeBackPastAMemo)
{
    recreate(QStringLiteral("qv_memofirst"), QStringLiteral("remark text, code varchar(6), d date"));
    build(QStringLiteral("qv_memofirst"));
    auto* code = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_code"));
    auto* d = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_d"));
    ASSERT_TRUE(code && d);
    ClearMaxLengths(ui);
    EXPECT_EQ(code->maxLengthLimit(), 0);
    EXPECT_EQ(d->maxLengthLimit(), 0);
    EXPECT_EQ(d->editMask(), QStringLiteral("!99/99/0000;1;_"));
    RestoreMaxLengths(state, ui);
    EXPECT_EQ(code->maxLengthLimit(), 6);
    EXPECT_EQ(d->maxLengthLimit(), 10);
}

TEST_F(PageFixture, ClearFreeAndNullMarkers)
{
    recreate(QStringLiteral("qv_clear"), QStringLiteral("a varchar(4), m text, p blob"));
    build(QStringLiteral("qv_clear"));
    auto* a = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_a"));
    auto* m = control<TBVMemo>(QStringLiteral("MMemo_m"));
    auto* p = control<TBVImage>(QStringLiteral("Image_p"));
    ASSERT_TRUE(a && m && p);
    a->setText(QStringLiteral("ab"));
    a->Hint = QStringLiteral("null");
    m->setPlainText(QStringLiteral("text"));
    m->Hint = QStringLiteral("null");
    p->Hint = QStringLiteral("null");
    QPixmap picture(40, 30);
    picture.fill(Qt::blue);
    p->setAutoSize(true);
    p->setPicture(picture);
    p->ImageFormat = TBVImage::Jpeg;
    RefreshNullMarkers(ui);
    for (const char* name : {"Label_a", "Label_m", "Label_p"})
        EXPECT_EQ(textColour(control<QLineEdit>(QLatin1String(name))), QColor(Qt::red)) << name;

    ClearTablePage(ui);
    EXPECT_TRUE(a->text().isEmpty() && a->Hint.isEmpty());
    EXPECT_TRUE(m->toPlainText().isEmpty() && m->Hint.isEmpty());
    EXPECT_EQ(p->size(), QSize(21, 21));
    EXPECT_FALSE(p->hasPicture());
    EXPECT_TRUE(p->Hint.isEmpty());
    EXPECT_EQ(p->ImageFormat, TBVImage::None) << "an emptied control keeps nothing of its last picture";
    EXPECT_TRUE(p->autoSize());
    for (const char* name : {"Label_a", "Label_m", "Label_p"})
        EXPECT_EQ(textColour(control<QLineEdit>(QLatin1String(name))), QColor(Qt::black)) << name;

    // Freeing alone leaves an empty page, no columns and the connection text.
    panel0.setText(QStringLiteral("old"));
    FreeTablePageControls(*env);
    EXPECT_TRUE(PageControls(ui).isEmpty());
    EXPECT_TRUE(state.ColumnList.empty());
    EXPECT_EQ(state.KeyControl, nullptr);
    EXPECT_EQ(panel0.text(), GetConnectionText(state, nullptr));
}

// A new page starts at its top, wherever the last one was scrolled to (by Find Field, say).
TEST_F(PageFixture, NewPageStartsAtTheTop)
{
    QStringList columns;
    for (int i = 1; i <= 60; ++i)
        columns << QStringLiteral("c%1 varchar(10)").arg(i);
    recreate(QStringLiteral("qv_tall"), columns.join(QStringLiteral(", ")));
    recreate(QStringLiteral("qv_short"), QStringLiteral("k integer, v varchar(10)"));
    build(QStringLiteral("qv_tall"));
    QApplication::processEvents();
    QScrollBar* bar = ui.ScrollBox->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // As Find Field leaves it: the focus on a field far down, scrolled into view.
    auto* far = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_c55"));
    window.activateWindow();
    far->setFocus();
    ui.ScrollBox->ensureWidgetVisible(far);
    QApplication::processEvents();
    ASSERT_GT(bar->value(), 0);

    build(QStringLiteral("qv_short"));
    QApplication::processEvents();
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(ui.ScrollBox->horizontalScrollBar()->value(), 0);
    auto* k = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_k"));
    ASSERT_NE(k, nullptr);
    EXPECT_TRUE(ui.ScrollBox->viewport()->rect().contains(k->mapTo(ui.ScrollBox->viewport(), QPoint(0, 0))));
}

TEST_F(PageFixture, PicturesPushLaterControlsAndGoBack)
{
    recreate(QStringLiteral("qv_pics"), QStringLiteral("a varchar(4), p blob, b varchar(4), q blob, c integer"));
    build(QStringLiteral("qv_pics"));
    auto* a = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_a"));
    auto* p = control<TBVImage>(QStringLiteral("Image_p"));
    auto* b = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_b"));
    auto* q = control<TBVImage>(QStringLiteral("Image_q"));
    auto* c = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_c"));
    ASSERT_TRUE(a && p && b && q && c);
    const int aTop = a->y(), pTop = p->y(), bTop = b->y(), qTop = q->y(), cTop = c->y();

    // Two records shown one after the other, each with a 60 pixel picture in p.
    for (int record = 0; record < 2; ++record) {
        ResetImagePositions(state, ui);
        QPixmap picture(50, 60);
        picture.fill(Qt::green);
        p->setAutoSize(true);
        p->setPicture(picture);
        MoveControlsBelow(ui, p);
        FitImageFrame(ui, p);
        EXPECT_EQ(a->y(), aTop);
        EXPECT_EQ(p->y(), pTop);
        EXPECT_EQ(b->y(), bTop + 60);
        EXPECT_EQ(q->y(), qTop + 60);
        EXPECT_EQ(c->y(), cTop + 60);
        EXPECT_EQ(state.ColumnList[2].second->LabelEdit->y(), bTop + 3 + 60);
    }
    TBevel* frameOfP = nullptr;
    for (QWidget* w : PageControls(ui))
        if (auto* f = qobject_cast<TBevel*>(w); f && f->Hint == QLatin1String("Image_p"))
            frameOfP = f;
    ASSERT_NE(frameOfP, nullptr);
    EXPECT_EQ(frameOfP->geometry(), QRect(p->x() - 5, p->y() - 5, 60, 70));
    EXPECT_GE(ui.ScrollBox->widget()->minimumHeight(), c->y() + c->height());

    ResetImagePositions(state, ui);
    EXPECT_EQ(b->y(), bTop);
    EXPECT_EQ(c->y(), cTop);
    EXPECT_TRUE(window.updatesEnabled());
}

TEST_F(PageFixture, ButtonStates)
{
    const struct { int keys, index; bool back, forward; } nav[] = {
        {0, 0, false, false}, {0, -1, false, false}, {1, 0, false, false}, {2, 0, false, true},
        {2, 1, true, false},  {5, 2, true, true},    {5, 4, true, false},
    };
    for (const auto& n : nav) {
        SCOPED_TRACE(testing::Message() << n.keys << " keys at " << n.index);
        state.RecordKeys.clear();
        for (int i = 0; i < n.keys; ++i)
            state.RecordKeys << QString::number(i);
        SetNavigationButtons(state, ui, n.index);
        EXPECT_EQ(ui.BitBtn_First->isEnabled(), n.back);
        EXPECT_EQ(ui.BitBtn_Previous->isEnabled(), n.back);
        EXPECT_EQ(ui.BitBtn_Next->isEnabled(), n.forward);
        EXPECT_EQ(ui.BitBtn_Last->isEnabled(), n.forward);
    }

    for (bool table : {false, true}) {
        state.CurrentTable = table ? QStringLiteral("orders") : QString();
        SetModeButtons(state, ui);
        for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add, ui.BitBtn_Update, ui.BitBtn_Remove})
            EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_EQ(ui.BitBtn_Execute->isEnabled(), table);
        EXPECT_EQ(ui.BitBtn_Cancel->isEnabled(), table);
        ui.BitBtn_Update->setEnabled(true);
        ResetModeButtons(state, ui);
        for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add})
            EXPECT_EQ(b->isEnabled(), table) << b->objectName().toStdString();
        EXPECT_FALSE(ui.BitBtn_Execute->isEnabled());
        EXPECT_FALSE(ui.BitBtn_Cancel->isEnabled());
        EXPECT_TRUE(ui.BitBtn_Update->isEnabled());  // left to SetButtons
    }

    state.CurrentTable.clear();
    UpdateWindowCaption(state, &window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvel   "));
    state.CurrentTable = QStringLiteral("order_items");
    UpdateWindowCaption(state, &window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvel   ORDER_ITEMS"));
}

TEST_F(PageFixture, ColumnListFailureLeavesThePageHidden)
{
    state.SerialFields << QStringLiteral("QV_NOWHERE=ID");
    state.CurrentTable = QStringLiteral("qv_nowhere");
    const QPoint toolBar = ui.Panel_Menu->mapTo(&window, QPoint(0, 0));
    const QPoint executeBar = ui.Panel_Execute->mapTo(&window, QPoint(0, 0));
    EXPECT_ANY_THROW(BuildTablePage(*env));
    EXPECT_FALSE(ui.ScrollBox->isVisible());
    EXPECT_FALSE(state.AddRowId);
    EXPECT_EQ(state.KeyControl, nullptr);
    // The tool bars stay where they were, above and below the page's room.
    QApplication::processEvents();
    EXPECT_EQ(ui.Panel_Menu->mapTo(&window, QPoint(0, 0)), toolBar);
    EXPECT_EQ(ui.Panel_Execute->mapTo(&window, QPoint(0, 0)), executeBar);
}

TEST_F(PageFixture, PostgreSqlPage)
{
    QV_REQUIRE_PG();
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS tp_pg_page; CREATE TABLE tp_pg_page (id serial PRIMARY KEY, "
                                       "title varchar(12), body text, photo bytea, active boolean, born date, "
                                       "seen timestamp)"));
    connect(pg.dsn, pg.user, pg.password);
    state.SerialFields << QStringLiteral("QV_PG_PAGE=ID");
    build(QStringLiteral("tp_pg_page"));

    const struct { const char* column; int type, width, maxLength; } edits[] = {
        {"id", 14, 88, 0}, {"title", 1, 91, 12}, {"active", 5, 88, 0}, {"born", 9, 77, 10}, {"seen", 11, 144, 19},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.column);
        auto* edit = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_") + QLatin1String(e.column));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(int(edit->FieldType), e.type);
        EXPECT_EQ(edit->width(), e.width);
        EXPECT_EQ(edit->maxLengthLimit(), e.maxLength);
    }
    EXPECT_EQ(state.KeyControl, control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_id")));
    ASSERT_NE(control<TBVMemo>(QStringLiteral("MMemo_body")), nullptr);
    ASSERT_NE(control<TBVImage>(QStringLiteral("Image_photo")), nullptr);
    EXPECT_EQ(state.FieldSizes, QStringList({"0", "12", "2147483647", "0", "10", "19"}));
    testsupport::pgExec(QStringLiteral("DROP TABLE tp_pg_page"));
}

} // namespace
