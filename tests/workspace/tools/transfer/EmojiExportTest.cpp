// Create Database ASCII on SQLite writes every found record holding characters outside the BMP:
// each is fetched again by a statement whose text holds them (its values, for a table without
// keys), which the SQLite driver once refused.
#include "Fixture.h"

namespace {

class EmojiExport : public TransferWindow {};

TEST_F(EmojiExport, EveryRecordIsWritten)
{
    connectSqlite();
    recreate(QStringLiteral("xv_emoji_rows"), QStringLiteral("label varchar(20), qty integer"));
    QStringList expected{QStringLiteral("label|qty|")};
    for (int i = 0; i < 300; ++i) {
        const QString label = QStringLiteral("r%1 \U0001F600%2").arg(i).arg(i % 3 ? QStringLiteral("\U0001F680") : QString());
        exec({QStringLiteral("INSERT INTO xv_emoji_rows VALUES ('%1', %2)").arg(label).arg(i)});
        expected << QStringLiteral("'%1'|%2|").arg(label).arg(i);
    }
    choose(QStringLiteral("xv_emoji_rows"));
    findAll();
    ASSERT_EQ(form.state().RecordKeys.size(), 300);
    messages.clear();
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(results(), expected);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral("\n")).toStdString();
}

} // namespace
