#include "components/BVValid.h"

#include "components/BVMaskEdit.h"
#include "platform/modal/Modal.h"

#include <QLineEdit>
#include <QStringView>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// A small scanner over the text: blanks are skipped before every number and separator.
struct Scanner {
    QStringView s;
    qsizetype pos = 0;

    void skipBlanks() {
        while (pos < s.size() && s[pos] == u' ')
            ++pos;
    }
    bool atEnd() {
        skipBlanks();
        return pos >= s.size();
    }
    bool scanChar(QChar c) {
        skipBlanks();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    // Reads 1 to maxDigits decimal digits; digits gets their count.
    bool scanNumber(int maxDigits, int& value, int* digits = nullptr) {
        skipBlanks();
        int n = 0;
        int v = 0;
        while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9') {
            if (++n > maxDigits)
                return false;
            v = v * 10 + (s[pos].unicode() - u'0');
            ++pos;
        }
        if (n == 0)
            return false;
        value = v;
        if (digits)
            *digits = n;
        return true;
    }
};

std::optional<QDate> scanDate(Scanner& sc) {
    int m = 0, d = 0, y = 0, yearDigits = 0;
    if (!sc.scanNumber(2, m) || !sc.scanChar(u'/') || !sc.scanNumber(2, d) || !sc.scanChar(u'/')
        || !sc.scanNumber(4, y, &yearDigits) || yearDigits != 4)
        return std::nullopt;
    if (y < 1 || !QDate::isValid(y, m, d))
        return std::nullopt;
    return QDate(y, m, d);
}

QString trimmedBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

// The text the validators look at: a mask edit's text as the field reads it.
QString controlText(QLineEdit* edit) {
    if (auto* mask = qobject_cast<TBVMaskEdit*>(edit))
        return mask->maskedText();
    return edit->text();
}

bool isMaskEdit(QWidget* control) {
    if (qobject_cast<TBVMaskEdit*>(control))
        return true;
    auto* edit = qobject_cast<QLineEdit*>(control);
    return edit && !edit->inputMask().isEmpty();
}

void showError(QWidget* control, const QString& msg) {
    platform::modal::messageBox(control ? control->window() : nullptr, QMessageBox::Critical,
                                QStringLiteral("Error"), msg, QMessageBox::Ok, QMessageBox::Ok);
}

void checkInteger(QWidget* control, qint32 def, qint32 limit, const QString& invalidMsg,
                  const QString& rangeMsg) {
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (!edit)
        return;
    const auto value = StrToInt(controlText(edit));
    if (!value)
        ShowIntError(control, def, invalidMsg);
    else if (*value > limit || *value < -limit)
        ShowIntError(control, def, rangeMsg);
}

} // namespace

std::optional<QDate> StrToDate(const QString& S) {
    Scanner sc{S};
    auto date = scanDate(sc);
    if (!date || !sc.atEnd())
        return std::nullopt;
    return date;
}

std::optional<QDateTime> StrToDateTime(const QString& S) {
    Scanner sc{S};
    auto date = scanDate(sc);
    if (!date)
        return std::nullopt;
    if (sc.atEnd())
        return QDateTime(*date, QTime(0, 0));
    int h = 0, n = 0, sec = 0, ms = 0;
    if (!sc.scanNumber(2, h) || !sc.scanChar(u':') || !sc.scanNumber(2, n))
        return std::nullopt;
    if (sc.scanChar(u':') && !sc.atEnd()) {
        if (!sc.scanNumber(2, sec))
            return std::nullopt;
        if (sc.pos < sc.s.size() && sc.s[sc.pos] == u'.') {
            ++sc.pos;
            int digits = 0;
            int frac = 0;
            if (!sc.scanNumber(9, frac, &digits))
                return std::nullopt;
            while (digits > 3) {
                frac /= 10;
                --digits;
            }
            while (digits < 3) {
                frac *= 10;
                ++digits;
            }
            ms = frac;
        }
    }
    if (!sc.atEnd() || !QTime::isValid(h, n, sec, ms))
        return std::nullopt;
    return QDateTime(*date, QTime(h, n, sec, ms));
}

namespace {

template <class Int>
std::optional<Int> scanInteger(const QString& S) {
    const std::string text = trimmedBlanks(S).toStdString();
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        // from_chars takes a "-" but no "+": "+-5" must not slip through as -5.
        if (first == last || *first < '0' || *first > '9')
            return std::nullopt;
    }
    Int value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint32> StrToInt(const QString& S) {
    return scanInteger<qint32>(S);
}

std::optional<qint64> StrToInt64(const QString& S) {
    return scanInteger<qint64>(S);
}

std::optional<long double> StrToFloat(const QString& S) {
    const std::string text = trimmedBlanks(S).toStdString();
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    // Only a digit or the decimal point may start the number: no "inf", "nan" or second sign.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.'))
        return std::nullopt;
    long double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

QString FloatToStr(long double Value) {
    if (Value == 0)
        return QStringLiteral("0");  // also for -0
    // to_chars keeps the whole extended range and ignores the C locale.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::general, 15);
    if (ec != std::errc())
        return QStringLiteral("0");
    QString text = QString::fromLatin1(buffer, end - buffer);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0)
        return text;
    // "1e+20" -> "1E20", "1e-05" -> "1E-5"
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    QString sign;
    if (exponent.startsWith(u'-'))
        sign = QStringLiteral("-");
    if (exponent.startsWith(u'-') || exponent.startsWith(u'+'))
        exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(u'0'))
        exponent.remove(0, 1);
    return mantissa + u'E' + sign + exponent;
}

void ValidateDate(QWidget* Control) {
    if (!isMaskEdit(Control))
        return;
    auto* edit = static_cast<QLineEdit*>(Control);
    if (!StrToDate(controlText(edit))) {
        showError(Control, QStringLiteral("Invalid Date"));
        Control->setFocus();
    }
}

void ValidateSmallInt(QWidget* Control, qint32 Default) {
    checkInteger(Control, Default, 32767, QStringLiteral("Invalid Small Integer"),
                 QStringLiteral("Small Integers cannot exceed +/- 32767"));
}

void ValidateInteger(QWidget* Control, qint32 Default) {
    checkInteger(Control, Default, 2147483647, QStringLiteral("Invalid Integer"),
                 QStringLiteral("Integers cannot exceed +/- 2147483647"));
}

void ValidateLargeInt(QWidget* Control, qint64 Default) {
    auto* edit = qobject_cast<QLineEdit*>(Control);
    if (!edit || StrToInt64(controlText(edit)))
        return;
    showError(Control, QStringLiteral("Invalid Integer"));
    edit->setText(QString::number(Default));
    edit->setFocus();
}

void ValidateFloat(QWidget* Control, long double Default) {
    auto* edit = qobject_cast<QLineEdit*>(Control);
    if (!edit)
        return;
    if (!StrToFloat(controlText(edit)))
        ShowFloatError(Control, QStringLiteral("Invalid Floating Point Number!"), Default);
}

bool IsValidDate(const QString& S) {
    return StrToDate(S).has_value();
}

bool IsValidFloat(const QString& S) {
    return StrToFloat(S).has_value();
}

void ShowIntError(QWidget* Control, qint32 Default, const QString& Msg) {
    showError(Control, Msg);
    if (auto* edit = qobject_cast<QLineEdit*>(Control)) {
        edit->setText(QString::number(Default));
        edit->setFocus();
    }
}

void ShowFloatError(QWidget* Control, const QString& Msg, long double Default) {
    showError(Control, Msg);
    if (auto* edit = qobject_cast<QLineEdit*>(Control)) {
        edit->setText(FloatToStr(Default));
        edit->setFocus();
    }
}
