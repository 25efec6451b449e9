#include "workspace/sqlpage/StatementCheck.h"

#include "components/Utils.h"
#include "platform/engine/Engine.h"

#include <algorithm>

using namespace platform::engine;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

StatementCount CountStatements(const QString& Text, Database& Database, QString* reason)
{
    const SqlDialect& dialect = Database.dialect();
    const std::vector<SqlReading> readings = PossibleReadings(dialect);
    const bool one = HoldsOneStatement(Text, readings.front());
    const bool agree = std::all_of(readings.begin() + 1, readings.end(),
                                   [&](const SqlReading& r) { return HoldsOneStatement(Text, r) == one; });
    if (agree)
        return one ? StatementCount::One : StatementCount::Several;
    if (!ServerSettlesReading(dialect))
        return StatementCount::Ambiguous;
    try {
        return HoldsOneStatement(Text, Database.sessionReading()) ? StatementCount::One : StatementCount::Several;
    } catch (const EngineError& error) {
        if (reason)
            *reason = error.message();
        return StatementCount::Ambiguous;
    }
}

bool RefuseStatementText(const QString& Text, Database& Database)
{
    QString reason;
    switch (CountStatements(Text, Database, &reason)) {
    case StatementCount::One:
        return false;
    case StatementCount::Several:
        AppMessageDlg(QStringLiteral("Only one statement is run at a time, and this text holds more than one (a \";\" "
                                     "outside quotes and comments is followed by more). Nothing was sent to the "
                                     "database.")
                          + kCrLf + kCrLf + Text,
                      mtError, mbOK);
        return true;
    case StatementCount::Ambiguous:
        AppMessageDlg(QStringLiteral("Only one statement is run at a time, and this text may hold more than one: "
                                     "databases read its quotes and comments differently, and which reading is "
                                     "this database's could not be told")
                          + (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QLatin1Char(')'))
                          + QStringLiteral(". Nothing was sent to the database.") + kCrLf + kCrLf + Text,
                      mtError, mbOK);
        return true;
    }
    return false;
}
