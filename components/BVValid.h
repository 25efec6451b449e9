#pragma once
// Checks of values typed into edit controls before they go into generated SQL.
//
// Dates and numbers are read in one fixed convention whatever the user's locale: month/day/year
// ("mm/dd/yyyy", one or two digits for month and day, four for the year; "mm/dd/yyyy hh:nn:ss"
// with a date and time) and "." as the decimal point. Everything that tests or writes such a text
// (literals, fallbacks) should read it through the conversions below, so a text the validators
// accept is never one the literals refuse.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class QWidget;

// The conversions. Blanks around each number are skipped, as a mask edit leaves them in
// ("1 /2 /2000"). Each gives nullopt when the text does not convert.
std::optional<QDate> StrToDate(const QString& S);           // a date only; a time after it fails
// A date, optionally followed by a time "h:nn", "h:nn:ss" or "h:nn:ss.zzz" (hours 0-23); a date
// alone is midnight. "h:nn:" with only blanks after it (the optional seconds of the page's mask
// left empty) is read as seconds 0.
std::optional<QDateTime> StrToDateTime(const QString& S);
std::optional<qint32> StrToInt(const QString& S);             // decimal, optional sign, 32-bit range
std::optional<qint64> StrToInt64(const QString& S);           // the same in the 64-bit range
std::optional<long double> StrToFloat(const QString& S);      // decimal with optional exponent
// Up to 15 significant digits, "." as decimal point, "E" exponent: 0 gives "0", 2.5 gives "2.5".
QString FloatToStr(long double Value);

// The validators read the control's text (a TBVMaskEdit's masked text), show a refusal in the
// standard message box (kind error, OK) and give the control the focus again; the number checks
// first put Default back. A control that is no line edit is left alone.
void ValidateDate(QWidget* Control);                       // mask edits only ("Invalid Date")
void ValidateSmallInt(QWidget* Control, qint32 Default);   // -32767 .. 32767
void ValidateInteger(QWidget* Control, qint32 Default);    // -2147483647 .. 2147483647
// Any 64-bit integer: "Invalid Integer" for every other text; whether the column holds it is for
// the database to say.
void ValidateLargeInt(QWidget* Control, qint64 Default);
void ValidateFloat(QWidget* Control, long double Default); // any value the conversion accepts

bool IsValidDate(const QString& S);
bool IsValidFloat(const QString& S);

void ShowIntError(QWidget* Control, qint32 Default, const QString& Msg);
void ShowFloatError(QWidget* Control, const QString& Msg, long double Default);
