#include "app/ConnectionStatus.h"

#include "platform/engine/Engine.h"

#include <QEvent>
#include <QStatusBar>

#include <algorithm>

namespace {
const QString Close = QStringLiteral("]     ");

QStringList::const_iterator lowerBound(const QStringList& names, const QString& name)
{
    return std::lower_bound(names.cbegin(), names.cend(), name, [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}
} // namespace

QString GetConnectionText(const MainState& state, QStatusBar* statusBar)
{
    QString text;
    if (const TDataBaseObj* db = state.CurrentDatabase) {
        const QString common = QStringLiteral("[") + db->DBType + Close + QStringLiteral("[DATA SOURCE = ")
                               + db->DataSource + Close;
        if (!state.AlterRegInfo)
            text = common;
        else if (db->DBType == QLatin1String("ORACLE"))
            text = common + QStringLiteral("[TNS = ") + db->TNS + Close;
        else if (db->DBType == QLatin1String("SQL SERVER"))
            text = common + QStringLiteral("[SERVER = ") + db->Server + Close + QStringLiteral("[DATABASE = ")
                   + db->DBPath + Close;
        else if (db->DBType == QLatin1String("DBASE"))
            text = common + QStringLiteral("[DATABASE = ") + db->DBPath + Close;
        else if (db->DBType == QLatin1String("ACCESS"))
            text = common + QStringLiteral("[DATABASE = ") + db->DBPath + QStringLiteral("] ");
        else if (db->DBType == QLatin1String("INFORMIX"))
            text = common + QStringLiteral("[HOST = ") + db->Server + Close + QStringLiteral("[SERVER = ")
                   + db->InformixServer + Close + QStringLiteral("[PATH = ") + db->DBPath + Close;
    }
    if (statusBar)
        statusBar->setToolTip(text);
    return text;
}

void LoadTableNames(MainState& state, const QString& databaseName)
{
    state.TableNames.clear();
    QStringList engineNames;
    platform::engine::Session::instance().getTableNames(databaseName, QStringLiteral("*.*"), false, false,
                                                        engineNames);
    LoadTableNamesFrom(state, engineNames);
}

void LoadTableNamesFrom(MainState& state, const QStringList& engineNames)
{
    state.TableNames.clear();
    // Oracle without synonyms keeps the owner: the same table name may stand under several owners.
    const bool keepOwner = state.CurrentDatabase && state.CurrentDatabase->DBType == QLatin1String("ORACLE")
                           && !state.UseSynonyms;
    for (const QString& name : engineNames) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        AddTableName(state.TableNames, keepOwner || dot < 0 ? name : name.mid(dot + 1));
    }
}

void AddTableName(QStringList& names, const QString& name)
{
    const auto it = lowerBound(names, name);
    if (it != names.cend() && QString::compare(*it, name, Qt::CaseInsensitive) == 0)
        return;
    names.insert(it - names.cbegin(), name);
}

bool HasTableName(const QStringList& names, const QString& name)
{
    const auto it = lowerBound(names, name);
    return it != names.cend() && QString::compare(*it, name, Qt::CaseInsensitive) == 0;
}

namespace {

// Keeps the note in the status bar for its time: the tip of any button under the mouse would
// replace it at once (leaving the button that ran the command is enough).
class ReconnectNote : public QObject {
public:
    ReconnectNote(QStatusBar* bar, const QString& text) : QObject(bar), text_(text)
    {
        if (QWidget* window = bar->window())
            window->installEventFilter(this);
        QObject::connect(bar, &QStatusBar::messageChanged, this, [this](const QString& shown) {
            if (shown != text_)
                deleteLater();
        });
        // Long enough to be read after the command that noticed it has written its own status.
        constexpr int kShownMs = 15000;
        bar->showMessage(text, kShownMs);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::StatusTip; }

private:
    QString text_;
};

} // namespace

void ShowReconnected(QStatusBar* statusBar, const QString& dataSource)
{
    if (statusBar)
        new ReconnectNote(statusBar, QStringLiteral("The connection to ") + dataSource
                                         + QStringLiteral(" was lost and has been made again."));
}
