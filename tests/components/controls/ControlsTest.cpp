// The field-bound controls: mask translation, masked text, case rule, length limit, the Required
// colours, Codes copies, and loading the controls from a window definition.
#include "components/BVComboBox.h"
#include "components/BVLabel.h"
#include "components/BVListBox.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"

#include "ui_ControlsTest.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

struct MaskCase {
    const char* given;
    const char* qt;
};

TEST(TranslateEditMask, TranslatesEachMaskCharacter)
{
    const MaskCase cases[] = {
        {"!99/99/0000;1;_", "00/00/9999;_"},                     // the Table page's date
        {"!99/99/0000 00:00:99;1;_", "00/00/9999 99:99:00;_"},   // and date and time
        {"", ""},
        {";1;_", ""},                                            // no mask characters at all
        {"!", ""},
        {"000-0000;0;*", "999-9999;*"},                          // own blank character
        {"00:00", "99:99;_"},                                    // blank defaults to "_"
        {"LlAaCc", "AaNnXx;_"},                                  // letters, alphanumerics, any
        {">LL<ll", ">AA<aa;_"},                                  // case switches
        {"<>CC", "!XX;_"},                                       // case rule off
        {"##0", "##9;_"},
        {"(999)_000", "(000) 999;_"},                            // "_" is an inserted blank
        {"\\0\\9\\L0", "\\0\\9\\L9;_"},                          // escaped literals stay literal
        {"99\\;99;1;_", "00\\;00;_"},                            // an escaped ";" is no separator
        {"No.x0", "\\No.\\x9;_"},                                // Qt's mask letters as literals
        {"{B}[D]0", "\\{\\B\\}\\[\\D\\]9;_"},
        {"0;1; ", "9; "},                                        // blank given as a space
    };
    for (const auto& c : cases)
        EXPECT_EQ(TranslateEditMask(QString::fromUtf8(c.given)), QString::fromUtf8(c.qt)) << c.given;
}

TEST(TranslateEditMask, SaveLiteralsField)
{
    EXPECT_TRUE(EditMaskSavesLiterals("!99/99/0000;1;_"));
    EXPECT_TRUE(EditMaskSavesLiterals("000"));
    EXPECT_FALSE(EditMaskSavesLiterals("000-0000;0;_"));
    EXPECT_TRUE(EditMaskSavesLiterals("00\\;0;1"));
}

TEST(BVMaskEdit, DateMaskTextUntouchedTypedAndSet)
{
    TBVMaskEdit e;
    e.setEditMask("!99/99/0000;1;_");
    EXPECT_EQ(e.editMask(), "!99/99/0000;1;_");
    EXPECT_EQ(e.inputMask(), "00/00/9999;_");
    EXPECT_EQ(e.maskedText(), "  /  /    ");
    EXPECT_EQ(e.unmaskedText(), "");
    EXPECT_TRUE(e.isEmptyMask());

    QTest::keyClicks(&e, "1x2");  // a letter has no place in a date
    EXPECT_EQ(e.maskedText(), "12/  /    ");
    EXPECT_EQ(e.unmaskedText(), "12");
    EXPECT_FALSE(e.isEmptyMask());

    e.setText("01/02/2024");
    EXPECT_EQ(e.maskedText(), "01/02/2024");
    EXPECT_EQ(e.text(), "01/02/2024");
    EXPECT_EQ(e.unmaskedText(), "01022024");

    e.clear();
    EXPECT_TRUE(e.isEmptyMask());
    EXPECT_EQ(e.maskedText(), "  /  /    ");

    // lifting the length limits for criteria keeps the mask
    e.setMaxLength(0);
    EXPECT_EQ(e.inputMask(), "00/00/9999;_");
}

TEST(BVMaskEdit, DateTimeMaskAndLiteralsNotSaved)
{
    TBVMaskEdit dt;
    dt.setEditMask("!99/99/0000 00:00:99;1;_");
    EXPECT_EQ(dt.maskedText(), "  /  /       :  :  ");
    dt.setText("12/31/1999 23:59:58");
    EXPECT_EQ(dt.maskedText(), "12/31/1999 23:59:58");

    TBVMaskEdit phone;
    phone.setEditMask("000-0000;0;_");
    QTest::keyClicks(&phone, "555");
    EXPECT_EQ(phone.maskedText(), "555    ");
    EXPECT_EQ(phone.unmaskedText(), "555");
    phone.setText("555-1234");
    EXPECT_EQ(phone.maskedText(), "5551234");
}

TEST(BVMaskEdit, RemovingTheMaskKeepsNoLimitAndPlainText)
{
    TBVMaskEdit e;
    e.setEditMask("!99/99/0000;1;_");
    e.setEditMask("");
    EXPECT_FALSE(e.hasEditMask());
    EXPECT_EQ(e.inputMask(), "");
    const QString longText(40000, u'x');
    e.setText(longText);
    EXPECT_EQ(e.text(), longText);
    EXPECT_EQ(e.maskedText(), longText);
    EXPECT_EQ(e.unmaskedText(), longText);
    EXPECT_FALSE(e.isEmptyMask());
}

struct CaseRow {
    TEditCharCase rule;
    const char* typed;
    const char* typedResult;
    const char* set;
    const char* setResult;
};

TEST(BVMaskEdit, CharCaseOnTypedAndSetText)
{
    const CaseRow rows[] = {
        // Set text is a stored value: shown and written back as it is.
        {TEditCharCase::Upper, "abC1", "ABC1", "MixEd ok", "MixEd ok"},
        {TEditCharCase::Lower, "abC1", "abc1", "MixEd ok", "MixEd ok"},
        {TEditCharCase::Normal, "abC1", "abC1", "MixEd ok", "MixEd ok"},
    };
    for (const auto& r : rows) {
        TBVMaskEdit e;
        e.setCharCase(r.rule);
        QTest::keyClicks(&e, r.typed);
        EXPECT_EQ(e.text(), r.typedResult);
        e.setText(r.set);
        EXPECT_EQ(e.text(), r.setResult);
        e.clear();
        e.insert(r.typed);  // as a paste arrives
        EXPECT_EQ(e.text(), r.typedResult);
        // What the user adds to a stored value converts; the stored part stays.
        e.setText(r.set);
        e.setCursorPosition(3);
        e.insert("xY");
        QString expected = QString::fromLatin1(r.set);
        expected.insert(3, r.rule == TEditCharCase::Upper   ? "XY"
                           : r.rule == TEditCharCase::Lower ? "xy"
                                                            : "xY");
        EXPECT_EQ(e.text(), expected);
        e.setText(r.set);
        e.end(false);
        QTest::keyClicks(&e, "q");
        EXPECT_EQ(e.text(), QString::fromLatin1(r.set) + (r.rule == TEditCharCase::Upper ? "Q" : "q"));
    }
}

TEST(BVMaskEdit, CharCaseKeepsTheCursor)
{
    TBVMaskEdit e;
    e.setText("ad");
    e.setCursorPosition(1);
    e.setCharCase(TEditCharCase::Upper);  // the rule is for what comes next; "ad" stays
    EXPECT_EQ(e.text(), "ad");
    EXPECT_EQ(e.cursorPosition(), 1);
    QTest::keyClicks(&e, "bc");
    EXPECT_EQ(e.text(), "aBCd");
    EXPECT_EQ(e.cursorPosition(), 3);
    e.setCursorPosition(1);
    e.insert("xy");
    EXPECT_EQ(e.text(), "aXYBCd");
    EXPECT_EQ(e.cursorPosition(), 3);

    // a masked edit takes the rule through its mask
    TBVMaskEdit m;
    m.setEditMask("LLL");
    m.setCharCase(1);
    EXPECT_EQ(m.charCase(), TEditCharCase::Upper);
    QTest::keyClicks(&m, "abc");
    EXPECT_EQ(m.maskedText(), "ABC");
}

TEST(BVMaskEdit, MaxLengthLimitsTypingOnly)
{
    TBVMaskEdit e;
    e.setMaxLength(3);
    EXPECT_EQ(e.maxLength(), 3);
    EXPECT_EQ(e.maxLengthLimit(), 3);
    QTest::keyClicks(&e, "abcdef");
    EXPECT_EQ(e.text(), "abc");

    // a paste is cut to what fits
    e.setText("a");
    e.setCursorPosition(1);
    QTest::keyClicks(&e, "b");  // an edit, so the undo history is there
    e.insert("12345");
    EXPECT_EQ(e.text(), "ab1");

    // a selection that is typed over makes room
    e.selectAll();
    QTest::keyClicks(&e, "z");
    EXPECT_EQ(e.text(), "z");

    // text set by the program is never cut, but cannot grow by typing
    e.setText("abcdefgh");
    EXPECT_EQ(e.text(), "abcdefgh");
    QTest::keyClicks(&e, "x");
    EXPECT_EQ(e.text(), "abcdefgh");
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "abcdefg");

    // 0: no limit
    e.setMaxLength(0);
    e.setMaxLengthLimit(-4);
    EXPECT_EQ(e.maxLength(), 0);
    e.clear();
    QTest::keyClicks(&e, "abcdefghij");
    EXPECT_EQ(e.text(), "abcdefghij");
}

TEST(BVMemo, MaxLengthLimitsTypingAndPasting)
{
    TBVMemo m;
    m.setMaxLength(5);
    QTest::keyClicks(&m, "abcdefg");
    EXPECT_EQ(m.toPlainText(), "abcde");

    m.clear();
    QTest::keyClicks(&m, "ab");
    QApplication::clipboard()->setText("123456");
    m.paste();
    EXPECT_EQ(m.toPlainText(), "ab123");

    const QString longText(3000, u'y');
    m.setPlainText(longText);  // never cut
    EXPECT_EQ(m.toPlainText(), longText);

    m.setMaxLength(0);
    m.clear();
    QTest::keyClicks(&m, "abcdefg");
    EXPECT_EQ(m.toPlainText(), "abcdefg");
}

// Each editing control, made afresh, with its Required setter and caption reference.
struct RequiredTarget {
    const char* name;
    std::function<std::unique_ptr<QWidget>(QLabel* caption)> make;
};

template <class T>
std::unique_ptr<QWidget> makeWith(QLabel* caption)
{
    auto w = std::make_unique<T>();
    w->LabelControl = caption;
    return w;
}

void setRequired(QWidget* w, bool required)
{
    ASSERT_TRUE(w->setProperty("Required", required));
}

TEST(FieldControls, RequiredRecoloursControlAndCaption)
{
    const RequiredTarget targets[] = {
        {"TBVMaskEdit", makeWith<TBVMaskEdit>},
        {"TBVMemo", makeWith<TBVMemo>},
        {"TBVComboBox", makeWith<TBVComboBox>},
        {"TBVListBox", makeWith<TBVListBox>},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.name);
        // with a caption: both turn red, then black
        TBVLabel caption;
        auto w = t.make(&caption);
        setRequired(w.get(), true);
        EXPECT_TRUE(w->property("Required").toBool());
        EXPECT_EQ(w->palette().color(QPalette::Text), kRed);
        EXPECT_EQ(caption.palette().color(QPalette::WindowText), kRed);
        setRequired(w.get(), false);
        EXPECT_EQ(w->palette().color(QPalette::Text), kBlack);
        EXPECT_EQ(caption.palette().color(QPalette::WindowText), kBlack);

        // without one: only the control, and back to black, not to the colour it had
        QLabel bystander;
        const QColor bystanderColour = bystander.palette().color(QPalette::WindowText);
        auto alone = t.make(nullptr);
        QPalette blue = alone->palette();
        blue.setColor(QPalette::Text, Qt::blue);
        alone->setPalette(blue);
        setRequired(alone.get(), true);
        EXPECT_EQ(alone->palette().color(QPalette::Text), kRed);
        setRequired(alone.get(), false);
        EXPECT_EQ(alone->palette().color(QPalette::Text), kBlack);
        EXPECT_EQ(bystander.palette().color(QPalette::WindowText), bystanderColour);
    }
}

TEST(FieldControls, CaptionFreedBeforeTheControlIsNotTouched)
{
    TBVMaskEdit e;
    {
        QLabel caption;
        e.LabelControl = &caption;
    }
    e.setRequired(true);  // the reference has gone with the caption
    EXPECT_TRUE(e.LabelControl.isNull());
    EXPECT_EQ(e.palette().color(QPalette::Text), kRed);
}

TEST(FieldControls, CodesAreIndependentCopies)
{
    QStringList source{"NY", "CA"};
    TBVComboBox combo;
    TBVListBox list;
    EXPECT_TRUE(combo.codes().isEmpty());
    EXPECT_TRUE(list.codes().isEmpty());
    combo.setCodes(source);
    list.setProperty("Codes", source);
    source[0] = "TX";
    source.append("WA");
    EXPECT_EQ(combo.codes(), QStringList({"NY", "CA"}));
    EXPECT_EQ(list.codes(), QStringList({"NY", "CA"}));
    EXPECT_EQ(combo.property("Codes").toStringList(), QStringList({"NY", "CA"}));

    // one control's list is not another's
    TBVComboBox other;
    other.setCodes(combo.codes());
    other.setCodes(QStringList{"x"});
    EXPECT_EQ(combo.codes(), QStringList({"NY", "CA"}));
}

TEST(FieldControls, ComboBoxOffersItsMouseEvents)
{
    TBVComboBox combo;
    combo.resize(100, 22);
    QPoint downAt, upAt;
    QObject::connect(&combo, &TBVComboBox::OnMouseDown, [&](QMouseEvent* e) { downAt = e->position().toPoint(); });
    QObject::connect(&combo, &TBVComboBox::OnMouseUp, [&](QMouseEvent* e) { upAt = e->position().toPoint(); });
    QTest::mouseRelease(&combo, Qt::LeftButton, {}, QPoint(10, 11));
    EXPECT_EQ(upAt, QPoint(10, 11));
    EXPECT_EQ(downAt, QPoint());
}

TEST(FieldControls, WindowDefinitionSetsTheProperties)
{
    QWidget form;
    Ui::Form_ControlsTest ui;
    ui.setupUi(&form);

    EXPECT_EQ(ui.BVLabel_Name->text(), "Name");

    TBVMaskEdit* name = ui.BVMaskEdit_Name;
    EXPECT_EQ(name->FieldName, "name");
    EXPECT_EQ(name->FieldTable, "customers");
    EXPECT_EQ(name->FieldType, platform::engine::ftString);
    EXPECT_EQ(name->FieldLength, 40);
    EXPECT_EQ(name->FieldStyle, fdsString);
    EXPECT_EQ(name->Description, "the customer's name");
    EXPECT_EQ(name->charCase(), TEditCharCase::Upper);
    EXPECT_EQ(name->maxLength(), 5);
    EXPECT_FALSE(name->required());
    EXPECT_EQ(name->palette().color(QPalette::Text), kBlack);  // Required = False paints black

    // the properties marked stdset="0" go through the property system
    TBVMaskEdit* born = ui.BVMaskEdit_Born;
    EXPECT_EQ(born->FieldName, "born");
    EXPECT_EQ(born->FieldType, platform::engine::ftDate);
    EXPECT_EQ(born->editMask(), "!99/99/0000;1;_");
    EXPECT_EQ(born->maskedText(), "  /  /    ");
    EXPECT_TRUE(born->required());
    EXPECT_EQ(born->palette().color(QPalette::Text), kRed);

    EXPECT_EQ(ui.BVMemo_Notes->FieldName, "notes");
    EXPECT_EQ(ui.BVMemo_Notes->FieldType, platform::engine::ftMemo);
    EXPECT_EQ(ui.BVComboBox_State->FieldName, "state");
    EXPECT_EQ(ui.BVComboBox_State->MasterTable, "states");
    EXPECT_EQ(ui.BVComboBox_State->codes(), QStringList({"NY", "CA"}));
    EXPECT_EQ(ui.BVListBox_Tags->codes(), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(ui.BVListBox_Tags->required());

    // found again by class and FieldName, as the record code does
    TBVMaskEdit* found = nullptr;
    for (auto* e : form.findChildren<TBVMaskEdit*>())
        if (e->property("FieldName").toString() == "born")
            found = e;
    EXPECT_EQ(found, born);
    EXPECT_EQ(form.findChildren<TBVMaskEdit*>().size(), 2);

    // typing into the upper-case, five-character edit
    QTest::keyClicks(name, "abcdefg");
    EXPECT_EQ(name->text(), "ABCDE");
}

} // namespace
