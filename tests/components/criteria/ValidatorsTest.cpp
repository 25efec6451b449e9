// The validators and the conversions under them: boundaries of each number check, dates with leap
// years, the messages, the default put back, the focus, and the fixed convention whatever the
// locale.
#include "components/BVMaskEdit.h"
#include "components/BVValid.h"

#include "platform/modal/Modal.h"

#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

struct DateCase {
    const char* text;
    int y, m, d;  // y == 0: refused
};

TEST(StrToDate, MonthDayYear)
{
    const DateCase cases[] = {
        {"12/31/1999", 1999, 12, 31},
        {"1/2/2000", 2000, 1, 2},
        {"01/02/2000", 2000, 1, 2},
        {"1 /2 /2000", 2000, 1, 2},       // a mask edit typed in part
        {" 03/12/2001 ", 2001, 3, 12},
        {"02/29/2000", 2000, 2, 29},      // leap years: every 400th
        {"02/29/2004", 2004, 2, 29},
        {"02/29/1900", 0, 0, 0},          // not every 100th
        {"02/29/2001", 0, 0, 0},
        {"02/30/2000", 0, 0, 0},
        {"04/31/2000", 0, 0, 0},
        {"13/01/2000", 0, 0, 0},
        {"00/10/2000", 0, 0, 0},
        {"10/00/2000", 0, 0, 0},
        {"01/01/0001", 1, 1, 1},
        {"12/31/9999", 9999, 12, 31},
        {"01/01/0000", 0, 0, 0},
        {"13/45/2001", 0, 0, 0},
        {"31/12/1999", 0, 0, 0},          // day first is not the convention
        {"1999-12-31", 0, 0, 0},
        {"12.31.1999", 0, 0, 0},
        {"12/31/99", 0, 0, 0},            // the page's mask always asks for four digits
        {"12/31/19999", 0, 0, 0},
        {"123/1/1999", 0, 0, 0},
        {"12/31", 0, 0, 0},
        {"12/31/", 0, 0, 0},
        {"  /  /    ", 0, 0, 0},          // an untouched date edit
        {"", 0, 0, 0},
        {"12/31/1999 10:00:00", 0, 0, 0}, // a date and time is no date
        {"12/31/1999x", 0, 0, 0},
        {"+1/2/2000", 0, 0, 0},
    };
    for (const DateCase& c : cases) {
        const auto date = StrToDate(QString::fromUtf8(c.text));
        EXPECT_EQ(IsValidDate(QString::fromUtf8(c.text)), c.y != 0) << c.text;
        if (c.y == 0)
            EXPECT_FALSE(date.has_value()) << c.text;
        else
            EXPECT_EQ(date, QDate(c.y, c.m, c.d)) << c.text;
    }
}

TEST(StrToDateTime, DateWithOptionalTime)
{
    struct Case {
        const char* text;
        const char* expected;  // "yyyy-MM-dd hh:mm:ss.zzz", nullptr: refused
    };
    const Case cases[] = {
        {"03/12/2001 14:05:00", "2001-03-12 14:05:00.000"},
        {"03/12/2001 14:05", "2001-03-12 14:05:00.000"},
        {"03/12/2001", "2001-03-12 00:00:00.000"},
        {"03/12/2001 23:59:59", "2001-03-12 23:59:59.000"},
        {"03/12/2001 1:2:3", "2001-03-12 01:02:03.000"},
        {"03/12/2001 10:00:  ", "2001-03-12 10:00:00.000"},   // the mask's optional seconds
        {"03/12/2001 14:05:00.5", "2001-03-12 14:05:00.500"},
        {"03/12/2001 14:05:00.123456", "2001-03-12 14:05:00.123"},
        {"02/30/2001 10:00:00", nullptr},
        {"03/12/2001 24:00:00", nullptr},
        {"03/12/2001 10:60:00", nullptr},
        {"03/12/2001 10:00:60", nullptr},
        {"03/12/2001 10", nullptr},
        {"03/12/2001 10:", nullptr},
        {"03/12/2001   :  :  ", nullptr},
        {"  /  /       :  :  ", nullptr},
        {"14:05:00", nullptr},
        {"03/12/2001 14:05:00 PM", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const auto value = StrToDateTime(QString::fromUtf8(c.text));
        if (!c.expected)
            EXPECT_FALSE(value.has_value()) << c.text;
        else
            EXPECT_EQ(value ? value->toString("yyyy-MM-dd hh:mm:ss.zzz") : QString("(refused)"), c.expected)
                << c.text;
    }
}

TEST(StrToInt, DecimalThirtyTwoBit)
{
    struct Case {
        const char* text;
        std::optional<qint32> value;
    };
    const Case cases[] = {
        {"0", 0}, {"42", 42}, {"-42", -42}, {"+42", 42}, {" 42 ", 42}, {"007", 7},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999999999999", std::nullopt},
        {"", std::nullopt}, {" ", std::nullopt}, {"-", std::nullopt}, {"+", std::nullopt},
        {"+-5", std::nullopt}, {"--5", std::nullopt}, {"4 2", std::nullopt}, {"4.0", std::nullopt},
        {"1e3", std::nullopt}, {"$FF", std::nullopt}, {"0x10", std::nullopt}, {"abc", std::nullopt},
        {"12a", std::nullopt}, {"١٢", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToInt(QString::fromUtf8(c.text)), c.value) << "[" << c.text << "]";
}

TEST(StrToFloat, PointAsDecimalSeparator)
{
    struct Case {
        const char* text;
        std::optional<long double> value;
    };
    const Case cases[] = {
        {"0", 0.0L}, {"1.5", 1.5L}, {"-1.5", -1.5L}, {"+1.5", 1.5L}, {" 2.25 ", 2.25L}, {".5", 0.5L},
        {"5.", 5.0L}, {"1e3", 1000.0L}, {"1E-2", 0.01L}, {"-2.5e+2", -250.0L},
        {"1e400", 1e400L},  // extended precision reaches far beyond a double
        {"1,5", std::nullopt}, {"1.000,5", std::nullopt}, {"1,000.5", std::nullopt},
        {"", std::nullopt}, {" ", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt},
        {"e5", std::nullopt}, {"1e", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt},
        {"-inf", std::nullopt}, {"+-1", std::nullopt}, {"0x1p3", std::nullopt}, {"1.5x", std::nullopt},
        {"1e99999", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto value = StrToFloat(QString::fromUtf8(c.text));
        EXPECT_EQ(IsValidFloat(QString::fromUtf8(c.text)), c.value.has_value()) << "[" << c.text << "]";
        if (!c.value)
            EXPECT_FALSE(value.has_value()) << "[" << c.text << "]";
        else if (!value)
            ADD_FAILURE() << "refused: " << c.text;
        else
            EXPECT_LE(std::fabs(*value - *c.value), std::fabs(*c.value) * 1e-15L) << c.text;
    }
}

TEST(FloatToStr, ShortestUpToFifteenDigits)
{
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0L), "0");
    EXPECT_EQ(FloatToStr(2.5L), "2.5");
    EXPECT_EQ(FloatToStr(-12.0L), "-12");
    EXPECT_EQ(FloatToStr(0.1L), "0.1");
    EXPECT_EQ(FloatToStr(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(1e20L), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-7L), "1.5E-7");
    EXPECT_EQ(FloatToStr(-1e400L), "-1E400");
}

TEST(Conversions, FixedConventionWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
    EXPECT_FALSE(StrToFloat("1,5"));
    EXPECT_EQ(FloatToStr(1.5L), "1.5");
    EXPECT_EQ(StrToDate("03/12/2001"), QDate(2001, 3, 12));
    EXPECT_FALSE(StrToDate("12.03.2001"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(StrToDate("03/12/2001"), QDate(2001, 3, 12));
    QLocale::setDefault(saved);
}

// A window with the control under test and a second edit that holds the focus first.
struct Page {
    QWidget window;
    QLineEdit* other = nullptr;

    template <class Control>
    Control* add()
    {
        auto* layout = window.layout() ? window.layout() : new QVBoxLayout(&window);
        if (!other) {
            other = new QLineEdit(&window);
            layout->addWidget(other);
        }
        auto* control = new Control(&window);
        layout->addWidget(control);
        return control;
    }
    void show()
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
    }
};

// Records every message box the validators show.
struct Messages {
    QStringList texts;
    QStringList captions;
    QList<QMessageBox::Icon> icons;
    ScopedResponder responder{[this](const Request& r) {
        EXPECT_EQ(r.kind, Kind::MessageBox);
        EXPECT_EQ(r.buttons, QStringList{"OK"});
        texts << r.text;
        captions << r.caption;
        icons << r.icon;
        Answer a;
        a.result = QMessageBox::Ok;
        return a;
    }};
};

void expectRefused(Messages& msgs, const QString& message, QWidget* control)
{
    ASSERT_EQ(msgs.texts, QStringList{message});
    EXPECT_EQ(msgs.captions, QStringList{"Error"});
    EXPECT_EQ(msgs.icons.value(0), QMessageBox::Critical);
    EXPECT_TRUE(control->hasFocus()) << message.toStdString();
}

TEST(ValidateSmallInt, Boundaries)
{
    struct Case {
        const char* text;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"32767", nullptr},
        {"-32767", nullptr},
        {"0", nullptr},
        {" 12 ", nullptr},
        {"32768", "Small Integers cannot exceed +/- 32767"},
        {"-32768", "Small Integers cannot exceed +/- 32767"},
        {"2147483647", "Small Integers cannot exceed +/- 32767"},
        {"2147483648", "Invalid Small Integer"},
        {"", "Invalid Small Integer"},
        {"1.5", "Invalid Small Integer"},
        {"abc", "Invalid Small Integer"},
    };
    for (const Case& c : cases) {
        Page page;
        auto* edit = page.add<QLineEdit>();
        page.show();
        edit->setText(QString::fromUtf8(c.text));
        Messages msgs;
        ValidateSmallInt(edit, 7);
        if (!c.message) {
            EXPECT_TRUE(msgs.texts.isEmpty()) << c.text;
            EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));
            EXPECT_FALSE(edit->hasFocus());
        } else {
            expectRefused(msgs, QString::fromUtf8(c.message), edit);
            EXPECT_EQ(edit->text(), "7") << c.text;
        }
    }
}

TEST(ValidateInteger, Boundaries)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"2147483647", nullptr},
        {"-2147483647", nullptr},
        {"-2147483648", "Integers cannot exceed +/- 2147483647"},
        {"2147483648", "Invalid Integer"},
        {"-2147483649", "Invalid Integer"},
        {"", "Invalid Integer"},
        {"12,5", "Invalid Integer"},
    };
    for (const Case& c : cases) {
        Page page;
        auto* edit = page.add<TBVMaskEdit>();  // a mask edit without a mask behaves the same
        page.show();
        edit->setText(QString::fromUtf8(c.text));
        Messages msgs;
        ValidateInteger(edit, -3);
        if (!c.message) {
            EXPECT_TRUE(msgs.texts.isEmpty()) << c.text;
            EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));
        } else {
            expectRefused(msgs, QString::fromUtf8(c.message), edit);
            EXPECT_EQ(edit->text(), "-3") << c.text;
        }
    }
}

// Integers of 64 bits for the integer fields, whose columns may hold them (SQLite's INTEGER,
// PostgreSQL's bigint); the column's own range is for the database to check.
TEST(ValidateLargeInt, SixtyFourBits)
{
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"9223372036854775807", true}, {"-9223372036854775808", true}, {" +5000000000 ", true},
        {"9223372036854775808", false}, {"-9223372036854775809", false}, {"", false}, {"1e3", false},
        {"+-5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt64(QString::fromUtf8(c.text)).has_value(), c.accepted);
        Page page;
        auto* edit = page.add<TBVMaskEdit>();
        page.show();
        edit->setText(QString::fromUtf8(c.text));
        Messages msgs;
        ValidateLargeInt(edit, -3);
        if (c.accepted) {
            EXPECT_TRUE(msgs.texts.isEmpty());
            EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));
        } else {
            expectRefused(msgs, QStringLiteral("Invalid Integer"), edit);
            EXPECT_EQ(edit->text(), "-3");
        }
    }
    EXPECT_EQ(*StrToInt64(QStringLiteral("-9007199254740993")), -9007199254740993LL);
}

TEST(ValidateFloat, AnyConvertibleValue)
{
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"1.5", true}, {"-0.25", true}, {"1e300", true}, {"1e4000", true}, {"123456789012345678901234567890", true},
        {"1,5", false}, {"", false}, {"abc", false}, {"inf", false},
    };
    for (const Case& c : cases) {
        Page page;
        auto* edit = page.add<QLineEdit>();
        page.show();
        edit->setText(QString::fromUtf8(c.text));
        Messages msgs;
        ValidateFloat(edit, 0.0L);
        if (c.accepted) {
            EXPECT_TRUE(msgs.texts.isEmpty()) << c.text;
            EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));
        } else {
            expectRefused(msgs, "Invalid Floating Point Number!", edit);
            EXPECT_EQ(edit->text(), "0") << c.text;
        }
    }
    Page page;
    auto* edit = page.add<QLineEdit>();
    page.show();
    edit->setText("x");
    Messages msgs;
    ValidateFloat(edit, 2.5L);
    EXPECT_EQ(edit->text(), "2.5");
}

TEST(ValidateDate, MaskEditsOnly)
{
    {
        Page page;
        auto* edit = page.add<TBVMaskEdit>();
        edit->setEditMask("!99/99/0000;1;_");
        page.show();
        Messages msgs;
        ValidateDate(edit);  // untouched: only the mask's separators
        expectRefused(msgs, "Invalid Date", edit);
        EXPECT_EQ(edit->maskedText(), "  /  /    ");  // the text stays as it was
    }
    {
        Page page;
        auto* edit = page.add<TBVMaskEdit>();
        edit->setEditMask("!99/99/0000;1;_");
        page.show();
        edit->setText("02/30/2000");
        Messages msgs;
        ValidateDate(edit);
        expectRefused(msgs, "Invalid Date", edit);
        EXPECT_EQ(edit->maskedText(), "02/30/2000");
    }
    {
        Page page;
        auto* edit = page.add<TBVMaskEdit>();
        edit->setEditMask("!99/99/0000;1;_");
        page.show();
        edit->setText("02/29/2000");
        Messages msgs;
        ValidateDate(edit);
        EXPECT_TRUE(msgs.texts.isEmpty());
        EXPECT_FALSE(edit->hasFocus());
    }
    {
        Page page;
        auto* edit = page.add<QLineEdit>();  // a plain edit is not looked at
        page.show();
        edit->setText("no date");
        Messages msgs;
        ValidateDate(edit);
        EXPECT_TRUE(msgs.texts.isEmpty());
        EXPECT_EQ(edit->text(), "no date");
    }
}

TEST(Validators, OtherControlsAreLeftAlone)
{
    Page page;
    auto* memo = page.add<QPlainTextEdit>();
    page.show();
    memo->setPlainText("abc");
    Messages msgs;
    ValidateDate(memo);
    ValidateSmallInt(memo, 0);
    ValidateInteger(memo, 0);
    ValidateFloat(memo, 0);
    ValidateDate(nullptr);
    ValidateInteger(nullptr, 0);
    EXPECT_TRUE(msgs.texts.isEmpty());
    EXPECT_EQ(memo->toPlainText(), "abc");
}

TEST(ShowErrors, MessageThenDefault)
{
    Page page;
    auto* edit = page.add<QLineEdit>();
    page.show();
    edit->setText("x");
    {
        Messages msgs;
        ShowIntError(edit, -12, "Own message");
        expectRefused(msgs, "Own message", edit);
        EXPECT_EQ(edit->text(), "-12");
    }
    page.other->setFocus();
    {
        Messages msgs;
        ShowFloatError(edit, "Float message", 0.125L);
        expectRefused(msgs, "Float message", edit);
        EXPECT_EQ(edit->text(), "0.125");
    }
}

} // namespace
