#pragma once
// Option loading from Quorvel.ini: fonts of the two text boxes, check marks of the option items,
// Oracle and FTP options and the key-column lists.
#include "app/MainState.h"

#include <QColor>
#include <QFlags>
#include <QString>
#include <QStringList>
#include <array>

class QAction;
class QFont;
class QMenu;
class QPlainTextEdit;
class TBVExecFile;
namespace platform { class IniDocument; }

// The configuration file, opened by its bare name.
inline const QString kQuorvelIni = QStringLiteral("Quorvel.ini");

// The class library's font-style set, bold being its first element.
enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// Stored code: bold 8, italic 4, underline 2, strike-out 1. Bits above the fourth are ignored,
// so a stored value outside 0..15 still gives a style (-1 gives all four).
TFontStyles IntToFontStyle(int Value);
int FontStyleToInt(TFontStyles Style);
void ApplyFontStyle(QFont& font, TFontStyles Style);
TFontStyles FontStyleOf(const QFont& font);

// The class library's colour value: signed 32 bits, 0x00BBGGRR; negative values name system
// colours, which are read as the default text colour (black).
QColor TColorToQColor(qint32 value);
qint32 QColorToTColor(const QColor& colour);

// Lists of "name=value" lines, as TStrings.Values treats them: names compared without regard to
// case, the first line of a name counts.
int IndexOfListName(const QStringList& list, const QString& name);
// The text after "=" of that line; empty when there is none.
QString ListValue(const QStringList& list, const QString& name);
// Values[name] := value: an empty value removes the entry, a missing one is added.
void SetListValue(QStringList& list, const QString& name, const QString& value);
// The section's keys merged into list by SetListValue, then the whole list upper-cased.
void MergeSectionIntoList(QStringList& list, const QString& section);
// The same from a reading of the file already made.
void MergeSectionIntoList(QStringList& list, const platform::IniDocument& ini, const QString& section);

// The controls LoadOptions sets and FormClose reads.
struct OptionControls {
    QPlainTextEdit* Memo_SQL = nullptr;
    QPlainTextEdit* Memo_Results = nullptr;
    QAction* MenuItem_ToolBar = nullptr;
    QAction* MenuItem_StatusBar = nullptr;
    QAction* MenuItem_ShowFieldNames = nullptr;
    QAction* MenuItem_AllowLowerCase = nullptr;
    QAction* MenuItem_IncludeCommands = nullptr;
    QAction* MenuItem_DefaultNulls = nullptr;
    QMenu* MenuItem_FTP = nullptr;
    std::array<QAction*, 5> MenuItem_Servers{};  // MenuItem_Server01 .. MenuItem_Server05
    TBVExecFile* BVExecFile = nullptr;
};

void LoadOptions(MainState& state, const OptionControls& controls);
