#pragma once
// Going through every found record of the Table page for the commands that write them out: the
// walk steps through them on the page, as First and then Next do, one fetch per record; the read
// fetches their rows in batches of keys without putting them on the page, and gives the same
// texts.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

struct TablePageEnv;
class RecordTexts;
namespace platform::engine { class DataSet; }

// visit(index, shown) runs for each record in key order once it is on the page; shown is false
// when its fetch failed (the page is then empty and the failure already reported). A failure
// while moving on is reported as "Query List too large!  " with its message and ends the walk:
// the result is then false.
bool WalkFoundRecords(TablePageEnv& env, const std::function<void(int index, bool shown)>& visit);

// A found record that could not be read, by its place in the found order and its key.
struct UnreadRecord {
    int index = 0;
    QString key;
    QString reason;  // the database's message; empty when the key selects no row any more
};

struct FoundRecordsRead {
    std::vector<UnreadRecord> unread;  // in found order
    bool abandoned = false;            // make gave up: nothing was written
};

// Keys to a statement; stored clauses, being whole conditions, go fewer to a statement.
constexpr int kFoundRecordBatch = 1000;
constexpr int kStoredClauseBatch = 250;

// Reads the row of every found record, in key order, batchSize keys to a statement (at most
// kStoredClauseBatch stored clauses): the row
// that the record display would fetch by the key and show. make gives the lines of a row (texts
// has been described with its fetch), or nullopt to give up the read before anything is written;
// write(index, lines) then runs for each record read, in key order, a key found twice written
// twice. A key whose batch cannot tell its row for certain (no row, more than one, a row that
// answers another key's text) is fetched on its own by the record display's statement. Nothing
// on the page changes; no window message is processed. An exception other than the database's
// reaches the caller.
FoundRecordsRead ReadFoundRecords(TablePageEnv& env, RecordTexts& texts,
                                  const std::function<std::optional<QStringList>(platform::engine::DataSet& row)>& make,
                                  const std::function<void(int index, const QStringList& lines)>& write,
                                  int batchSize = kFoundRecordBatch);

// Shows the last found record, as the walk ends on it; a failure read reports already is not
// reported again.
void ShowLastFoundRecord(TablePageEnv& env, const FoundRecordsRead& read);

// The one message that names the records left out (empty when none): leftOut says what they
// were left out of ("written", ...); runs of records left out for the same database message are
// named as one range.
QString UnreadRecordsMessage(const std::vector<UnreadRecord>& unread, int found, const QString& leftOut);
// Shows that message, when there is one.
void ReportUnreadRecords(const std::vector<UnreadRecord>& unread, int found, const QString& leftOut);
