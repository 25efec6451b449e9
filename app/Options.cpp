#include "app/Options.h"

#include "components/BVExecFile.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>

TFontStyles IntToFontStyle(int Value)
{
    TFontStyles style;
    if (Value & 8) style |= fsBold;
    if (Value & 4) style |= fsItalic;
    if (Value & 2) style |= fsUnderline;
    if (Value & 1) style |= fsStrikeOut;
    return style;
}

int FontStyleToInt(TFontStyles Style)
{
    return (Style.testFlag(fsBold) ? 8 : 0) + (Style.testFlag(fsItalic) ? 4 : 0)
         + (Style.testFlag(fsUnderline) ? 2 : 0) + (Style.testFlag(fsStrikeOut) ? 1 : 0);
}

void ApplyFontStyle(QFont& font, TFontStyles Style)
{
    font.setBold(Style.testFlag(fsBold));
    font.setItalic(Style.testFlag(fsItalic));
    font.setUnderline(Style.testFlag(fsUnderline));
    font.setStrikeOut(Style.testFlag(fsStrikeOut));
}

TFontStyles FontStyleOf(const QFont& font)
{
    TFontStyles style;
    if (font.bold()) style |= fsBold;
    if (font.italic()) style |= fsItalic;
    if (font.underline()) style |= fsUnderline;
    if (font.strikeOut()) style |= fsStrikeOut;
    return style;
}

QColor TColorToQColor(qint32 value)
{
    if (value < 0)
        return QColor(Qt::black);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

qint32 QColorToTColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

int IndexOfListName(const QStringList& list, const QString& name)
{
    for (int i = 0; i < list.size(); ++i) {
        const qsizetype eq = list[i].indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(list[i]).left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ListValue(const QStringList& list, const QString& name)
{
    const int index = IndexOfListName(list, name);
    return index < 0 ? QString() : list[index].mid(list[index].indexOf(QLatin1Char('=')) + 1);
}

void SetListValue(QStringList& list, const QString& name, const QString& value)
{
    const int index = IndexOfListName(list, name);
    if (value.isEmpty()) {
        if (index >= 0)
            list.removeAt(index);
    } else if (index >= 0) {
        list[index] = name + QLatin1Char('=') + value;
    } else {
        list.append(name + QLatin1Char('=') + value);
    }
}

void MergeSectionIntoList(QStringList& list, const QString& section)
{
    MergeSectionIntoList(list, platform::IniFile(kQuorvelIni).read(), section);
}

void MergeSectionIntoList(QStringList& list, const platform::IniDocument& ini, const QString& section)
{
    for (const auto& [key, value] : ini.readSectionPairs(section))
        SetListValue(list, key, value);
    for (QString& line : list)
        line = line.toUpper();
}

namespace {

void loadMemoFont(const platform::IniDocument& ini, QPlainTextEdit* memo, const QString& section)
{
    if (!memo)
        return;
    QFont font = memo->font();
    font.setFamily(ini.readString(section, QStringLiteral("FONTNAME"), QStringLiteral("ms sans serif")));
    ApplyFontStyle(font, IntToFontStyle(ini.readInteger(section, QStringLiteral("FONTSTYLE"), 0)));
    const int size = ini.readInteger(section, QStringLiteral("FONTSIZE"), 8);
    // A negative size is a height in pixels, as the class library reads it; 0 keeps the default.
    if (size > 0)
        font.setPointSize(size);
    else if (size < 0)
        font.setPixelSize(-size);
    else
        font.setPointSize(8);
    memo->setFont(font);

    QPalette palette = memo->palette();
    const QColor colour = TColorToQColor(ini.readInteger(section, QStringLiteral("FONTCOLOR"), 0));
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Text, colour);
    memo->setPalette(palette);
}

void setChecked(QAction* item, bool checked)
{
    if (item)
        item->setChecked(checked);
}

} // namespace

void LoadOptions(MainState& state, const OptionControls& c)
{
    // One reading of the file answers every option.
    const platform::IniDocument ini = platform::IniFile(kQuorvelIni).read();

    loadMemoFont(ini, c.Memo_SQL, QStringLiteral("Memo_SQL"));
    loadMemoFont(ini, c.Memo_Results, QStringLiteral("Memo_Results"));

    state.MemoHeight = ini.readInteger(QStringLiteral("MEMOS"), QStringLiteral("HEIGHT"), 230);

    const QString options = QStringLiteral("OPTIONS");
    setChecked(c.MenuItem_ToolBar, ini.readBool(options, QStringLiteral("TOOLBAR"), true));
    setChecked(c.MenuItem_StatusBar, ini.readBool(options, QStringLiteral("STATUSBAR"), true));
    setChecked(c.MenuItem_ShowFieldNames, ini.readBool(options, QStringLiteral("SHOWFIELDNAMES"), false));
    setChecked(c.MenuItem_AllowLowerCase, ini.readBool(options, QStringLiteral("ALLOWLOWERCASE"), false));
    setChecked(c.MenuItem_IncludeCommands, ini.readBool(options, QStringLiteral("INCLUDECOMMANDS"), true));
    setChecked(c.MenuItem_DefaultNulls, ini.readBool(options, QStringLiteral("DEFAULTNULLS"), false));

    state.UseSynonyms = ini.readBool(QStringLiteral("ORACLE"), QStringLiteral("USESYNONYMS"), true);
    state.AlterRegInfo = ini.readBool(QStringLiteral("ORACLE"), QStringLiteral("ALTERREGINFO"), false);

    const QString ftp = QStringLiteral("FTP");
    const bool useFtp = ini.readBool(ftp, QStringLiteral("USEFTP"), false);
    const QString ftpPath = ini.readString(ftp, QStringLiteral("PATH"), QString());

    MergeSectionIntoList(state.SerialFields, ini, QStringLiteral("SERIALFIELDS"));
    MergeSectionIntoList(state.UniqueFields, ini, QStringLiteral("UNIQUEFIELDS"));
    MergeSectionIntoList(state.NoUpdateFields, ini, QStringLiteral("NOUPDATEFIELDS"));

    if (c.MenuItem_FTP) {
        if (!useFtp) {
            c.MenuItem_FTP->menuAction()->setVisible(false);
        } else {
            bool any = false;
            for (int i = 0; i < 5; ++i) {
                const QString server = ini.readString(ftp, QStringLiteral("SERVER%1").arg(i + 1), QString());
                if (QAction* item = c.MenuItem_Servers[i]) {
                    item->setText(server);
                    item->setVisible(!server.isEmpty());
                }
                any = any || !server.isEmpty();
            }
            c.MenuItem_FTP->menuAction()->setVisible(any);
        }
    }

    if (c.BVExecFile)
        c.BVExecFile->CommandLine = ftpPath.left(255);
}
