#pragma once
// Value checks of the Table page: fallbacks for texts that do not convert, the SQL literal of a
// value by its field type, and the editing aids of the page's data controls.
//
// Dates and numbers use one convention whatever the locale: "MM/dd/yyyy" and
// "MM/dd/yyyy hh:mm:ss", "." as the decimal point.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class QKeyEvent;
class QObject;
class QWidget;
class TBVMaskEdit;
struct TablePageEnv;

// The page's date readings (StrToDate / StrToDateTime of the validators); nullopt when the text
// does not convert.
std::optional<QDate> ParseDateText(const QString& S);
std::optional<QDateTime> ParseDateTimeText(const QString& S);

bool IsValidDateTime(const QString& S);
QString DateTextOrDefault(const QString& Value);      // fallback "12/31/9999"
QString DateTimeTextOrDefault(const QString& Value);  // fallback "12/31/9999 00:00:00"
QString FloatTextOrDefault(const QString& Value);     // fallback "0.00"
QString IntegerTextOrDefault(const QString& Value);   // any 64-bit integer; fallback "-1"
// False for a number a double cannot hold (1E400, 1E-400); true for every other text.
bool FloatInRange(const QString& Value);
// A number typed into a numeric edit that no column of its type can hold (a float past the
// double's range, an integer past 64 bits): shows the check's message ("Floating Point Number out
// of range!", "Invalid Integer"), puts 0 back, gives the edit the focus and returns true.
bool RefuseNumberOutOfRange(TBVMaskEdit* Edit);
// "0"/"1" unchanged; "true" (any case, blanks around) gives "1"; anything else "0".
QString BooleanToBit(const QString& Value);

// The literal of Value by field type: 1 quoted with inner quotes doubled (SqlStringLiteral of the
// connection's dialect: E'..' on PostgreSQL for a value holding a backslash), 2/3 integer, 5 bit,
// 6 float, 9 {d '...'}, 11 {ts '...'}, any other type empty. A date-and-time text that does not
// convert throws std::invalid_argument (callers test with IsValidDateTime first).
QString SqlLiteral(int FieldType, const QString& Value);
// SqlLiteral of the control's text by the control's FieldType.
QString ControlSqlLiteral(const TBVMaskEdit* Control);
// Value between single quotes with inner ones doubled, whatever the connection: how the delimited
// record lines write text, so that a file reads the same into any database (the import quotes
// each value again for the database it writes to).
QString LineStringLiteral(const QString& Value);

QString PadToWidth(const QString& S, const QString& Pad, int Width);
// Replaces each occurrence of the one-character Find by Replacement.
void ReplaceAll(QString& S, const QString& Find, const QString& Replacement);

// Editing aids. They act on the page of env (its mode flags, its captions).
void NormalizeBooleanText(TBVMaskEdit* Control);
void ValidateDateTime(TablePageEnv& env, TBVMaskEdit* Control);
// The check run when a data control is left (add and update mode only; in update mode only a
// value the user changed).
void ValidateFieldOnExit(TablePageEnv& env, QWidget* Sender);
// Key handling of a data control: Ctrl+Shift+N marks the field null, Ctrl+D and the keys that
// only move, copy or select leave the marker, other keys make it "not null" (in add, update and
// query mode); the caption is recoloured always. The key is not consumed.
void DataControlKeyDown(TablePageEnv& env, QWidget* Sender, int Key, Qt::KeyboardModifiers Shift);
// Gives the focus to the first qualifying mask edit of the page.
void SetEditFocus(TablePageEnv& env);
// Hooks ValidateFieldOnExit and DataControlKeyDown to every data control of the page. Called
// after each page build; env must outlive the page (the window's own env).
void ConnectDataControls(TablePageEnv& env);
