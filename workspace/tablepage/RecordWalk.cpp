#include "workspace/tablepage/RecordWalk.h"

#include "app/MainState.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordText.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QHash>

#include <algorithm>
#include <exception>

using namespace platform::engine;

namespace {

bool showAt(TablePageEnv& env, int index)
{
    env.state.RecordIndex = index;
    return ShowRecord(env);
}

} // namespace

bool WalkFoundRecords(TablePageEnv& env, const std::function<void(int index, bool shown)>& visit)
{
    const int count = static_cast<int>(env.state.RecordKeys.count());
    if (count == 0)
        return true;
    bool shown = showAt(env, 0);
    for (int i = 0; i < count; ++i) {
        visit(i, shown);
        if (i == count - 1)
            break;
        try {
            shown = showAt(env, i + 1);
        } catch (const std::exception& error) {
            AppMessageDlg(QStringLiteral("Query List too large!  ") + QString::fromUtf8(error.what()), mtError, mbOK);
            return false;
        }
    }
    return true;
}

namespace {

// How the keys select their rows: by the key or unique column, by the row identifier, or each
// by a stored clause.
enum class KeyKind { Column, RowId, Clause };

const QString kClauseStart = QStringLiteral("WHERE ");

// Thrown when make gives the read up.
struct Abandoned {};

class BatchReader {
public:
    BatchReader(TablePageEnv& env, RecordTexts& texts,
                const std::function<std::optional<QStringList>(DataSet&)>& make)
        : env_(env), texts_(texts), make_(make), plan_(PageFetchPlan(env))
    {
        if (plan_.keyColumn == QLatin1String("rowid"))
            kind_ = KeyKind::RowId;
        else if (!plan_.keyColumn.isEmpty() || !plan_.uniqueColumn.isEmpty())
            kind_ = KeyKind::Column;
        else
            kind_ = KeyKind::Clause;
        batch_.setDatabaseName(env.databaseName);
    }

    // One batch of distinct keys, each found at its place in keys by places. lines gets the
    // lines of each key read for certain; reasons the database's message for each key that could
    // not be fetched. False when the link to the database is lost for good: stopReason says why,
    // and the keys not tried have no entry.
    bool read(const std::vector<QString>& keys, const QHash<QString, int>& places,
              std::vector<std::optional<QStringList>>& lines, std::vector<std::optional<QString>>& reasons)
    {
        lines.assign(keys.size(), std::nullopt);
        reasons.assign(keys.size(), std::nullopt);
        std::vector<bool> certain(keys.size(), false);
        std::vector<int> sent;
        for (int k = 0; k < int(keys.size()); ++k)
            if (kind_ != KeyKind::Clause || keys[k].startsWith(kClauseStart))
                sent.push_back(k);
        if (!sent.empty()) {
            // A link found lost is made again by the next statement: the batch is tried once more.
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    readBatch(keys, places, sent, lines, certain);
                    break;
                } catch (const EngineError& e) {
                    batch_.close();
                    lines.assign(keys.size(), std::nullopt);
                    certain.assign(keys.size(), false);
                    if (!linkLost())
                        break;  // each key on its own tells which one the database refuses
                    if (attempt == 1) {
                        stopReason = e.message();
                        return false;
                    }
                }
            }
        }
        // What the batch could not tell, each by the record display's own statement.
        for (int k = 0; k < int(keys.size()); ++k) {
            if (certain[k])
                continue;
            try {
                Query literal;
                Query& fetch = OpenRecordFetch(env_, plan_, keys[k], literal);
                if (!fetch.eof()) {
                    texts_.describe(fetch);
                    lines[k] = made(fetch);
                }
                fetch.close();
                if (!lines[k])
                    reasons[k] = QString();
            } catch (const EngineError& e) {
                reasons[k] = e.message();
                if (linkLost()) {
                    stopReason = e.message();
                    return false;
                }
            }
        }
        return true;
    }

    QString stopReason;
    bool clauses() const { return kind_ == KeyKind::Clause; }

private:
    bool linkLost() const
    {
        Database* database = Session::instance().findDatabase(env_.databaseName);
        return database && database->linkLost();
    }

    QStringList made(DataSet& row)
    {
        std::optional<QStringList> lines = make_(row);
        if (!lines)
            throw Abandoned{};
        return *lines;
    }

    QString columns() const
    {
        const QString table = QuoteTableName(plan_.table);
        switch (kind_) {
        case KeyKind::RowId:
            return QStringLiteral("rowid, ") + (plan_.selectList.isEmpty() ? table + QStringLiteral(".*") : plan_.selectList);
        case KeyKind::Clause:
            return plan_.selectList.isEmpty() ? table + QStringLiteral(".*") : plan_.selectList;
        case KeyKind::Column:
            break;
        }
        return plan_.selectList.isEmpty() ? QStringLiteral("*") : plan_.selectList;
    }

    // Whole numbers that fill at least half of the stretch from the least to the greatest: a
    // range of the key is read instead of a list, which costs the database far less per key.
    // Each number must be written as the database writes it, so that a row answers a key by its
    // text alone.
    std::optional<std::pair<long long, long long>> keyRange(const std::vector<QString>& keys,
                                                            const std::vector<int>& sent) const
    {
        if (kind_ != KeyKind::Column || sent.empty())
            return std::nullopt;
        long long low = 0, high = 0;
        for (std::size_t j = 0; j < sent.size(); ++j) {
            const RecordKeyBinding b = KeyBindingOf(plan_, keys[sent[j]]);
            if (b.kind != RecordKeyBinding::Integer || QString::number(b.number) != keys[sent[j]])
                return std::nullopt;
            low = j ? std::min(low, b.number) : b.number;
            high = j ? std::max(high, b.number) : b.number;
        }
        // Compared without overflow: a stretch past twice the keys is read as a list.
        if (high - low < 0 || (unsigned long long)(high - low) >= 2 * (unsigned long long)sent.size())
            return std::nullopt;
        return std::make_pair(low, high);
    }

    // The keys sent, in one statement: a range of whole numbers, or a list with the keys bound
    // where the record display binds text, else written in as it writes them.
    void openKeyed(const std::vector<QString>& keys, const std::vector<int>& sent)
    {
        const QString K = kind_ == KeyKind::RowId ? QStringLiteral("rowid")
                                                  : QuoteIfBlank(plan_.keyColumn.isEmpty() ? plan_.uniqueColumn : plan_.keyColumn);
        QString condition;
        std::vector<int> bound;  // the text keys bound, by their places
        ranged_ = false;
        if (const auto range = keyRange(keys, sent)) {
            ranged_ = true;
            condition = K + QStringLiteral(" >= ") + QString::number(range->first) + QStringLiteral(" AND ") + K
                        + QStringLiteral(" <= ") + QString::number(range->second);
        } else {
            QStringList items;
            for (int k : sent) {
                const QString& v = keys[k];
                if (kind_ == KeyKind::RowId) {
                    items << RecordKeyLiteral(true, plan_.keyType, plan_.dbType, v);
                    continue;
                }
                // Numbers are written in: the SQLite driver binds each parameter at a cost of its own.
                const RecordKeyBinding b = KeyBindingOf(plan_, v);
                if (b.kind == RecordKeyBinding::Integer) {
                    items << QString::number(b.number);
                } else if (b.kind == RecordKeyBinding::None) {
                    items << RecordKeyLiteral(false, plan_.keyType, plan_.dbType, v);
                } else {
                    items << QStringLiteral(":k") + QString::number(bound.size());
                    bound.push_back(k);
                }
            }
            condition = K + QStringLiteral(" IN (") + items.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        const QStringList text{QStringLiteral("SELECT ") + columns(), QStringLiteral("FROM ") + QuoteTableName(plan_.table),
                               QStringLiteral("WHERE ") + condition};
        if (batch_.sql() != text)
            batch_.sql() = text;
        if (bound.empty()) {
            batch_.unprepare();
        } else {
            // Batches of text keys send the same text: it is parsed once.
            batch_.prepare();
            std::vector<Param>& params = batch_.params();
            for (std::size_t p = 0; p < bound.size(); ++p)
                params[p].setString(keys[bound[p]]);
        }
        batch_.open();
    }

    // Every row that matches one of the clauses sent, with the place of the first clause it
    // matches and how many it matches.
    void openClauses(const std::vector<QString>& keys, const std::vector<int>& sent)
    {
        QString first, hits, any;
        for (std::size_t j = 0; j < sent.size(); ++j) {
            const QString condition = QLatin1Char('(') + keys[sent[j]].mid(kClauseStart.size()) + QLatin1Char(')');
            first += QStringLiteral(" WHEN ") + condition + QStringLiteral(" THEN ") + QString::number(j);
            hits += (j ? QStringLiteral(" + ") : QString()) + QStringLiteral("CASE WHEN ") + condition
                    + QStringLiteral(" THEN 1 ELSE 0 END");
            any += (j ? QStringLiteral(" OR ") : QString()) + condition;
        }
        batch_.unprepare();
        batch_.sql() = QStringList{QStringLiteral("SELECT CASE") + first + QStringLiteral(" END AS qv_batch_place, ") + hits
                                       + QStringLiteral(" AS qv_batch_hits, ") + columns(),
                                   QStringLiteral("FROM ") + QuoteTableName(plan_.table), QStringLiteral("WHERE ") + any};
        batch_.open();
    }

    // Reads the rows of one batch. A key is read for certain when exactly one row answers it
    // and no row answers it in a way the batch cannot tell apart from another key.
    void readBatch(const std::vector<QString>& keys, const QHash<QString, int>& places, const std::vector<int>& sent,
                   std::vector<std::optional<QStringList>>& lines, std::vector<bool>& certain)
    {
        std::vector<int> hits(keys.size(), 0);
        bool unsure = false;
        if (kind_ == KeyKind::Clause) {
            openClauses(keys, sent);
            texts_.describe(batch_, 2);
            for (; !batch_.eof(); batch_.next()) {
                bool placed = false, once = false;
                const int place = batch_.fields(0).asString().toInt(&placed);
                const int matched = batch_.fields(1).asString().toInt(&once);
                if (!placed || !once || matched != 1 || place < 0 || place >= int(sent.size())) {
                    unsure = true;  // a row two clauses select: only each clause alone tells
                    break;
                }
                const int k = sent[place];
                if (++hits[k] == 1)
                    lines[k] = made(batch_);
            }
        } else {
            openKeyed(keys, sent);
            texts_.describe(batch_);
            // Every key is sent here.
            int keyField = kind_ == KeyKind::RowId ? 0 : -1;
            if (kind_ == KeyKind::Column) {
                const QString name = (plan_.keyColumn.isEmpty() ? plan_.uniqueColumn : plan_.keyColumn).toLower();
                for (int i = 0; i < batch_.fieldCount() && keyField < 0; ++i)
                    if (batch_.fields(i).fieldName().toLower() == name)
                        keyField = i;
            }
            if (keyField < 0 || keyField >= batch_.fieldCount())
                unsure = true;
            for (; !unsure && !batch_.eof(); batch_.next()) {
                const QString key = batch_.fields(keyField).asString();
                const auto it = places.constFind(key);
                if (it == places.constEnd()) {
                    // A range also brings the rows between the keys, whose numbers none of them
                    // is; any other row is one the database matched to a key written otherwise.
                    bool whole = false;
                    const long long number = key.toLongLong(&whole);
                    if (ranged_ && whole && QString::number(number) == key)
                        continue;
                    unsure = true;
                    break;
                }
                if (++hits[it.value()] == 1)
                    lines[it.value()] = made(batch_);
            }
        }
        batch_.close();
        for (int k : sent) {
            certain[k] = !unsure && hits[k] == 1;
            if (!certain[k])
                lines[k].reset();
        }
    }

    TablePageEnv& env_;
    RecordTexts& texts_;
    const std::function<std::optional<QStringList>(DataSet&)>& make_;
    RecordFetchPlan plan_;
    KeyKind kind_ = KeyKind::Column;
    bool ranged_ = false;  // the batch open reads a range of the key
    Query batch_;
};

} // namespace

FoundRecordsRead ReadFoundRecords(TablePageEnv& env, RecordTexts& texts,
                                  const std::function<std::optional<QStringList>(DataSet& row)>& make,
                                  const std::function<void(int index, const QStringList& lines)>& write, int batchSize)
{
    FoundRecordsRead result;
    const QStringList keys = env.state.RecordKeys;
    const int count = int(keys.size());
    if (count == 0)
        return result;
    BatchReader reader(env, texts, make);
    batchSize = std::max(1, reader.clauses() ? std::min(batchSize, kStoredClauseBatch) : batchSize);
    for (int start = 0; start < count; start += batchSize) {
        const int end = std::min(count, start + batchSize);
        QHash<QString, int> place;
        std::vector<QString> distinct;
        for (int i = start; i < end; ++i)
            if (!place.contains(keys[i])) {
                place.insert(keys[i], int(distinct.size()));
                distinct.push_back(keys[i]);
            }
        std::vector<std::optional<QStringList>> lines;
        std::vector<std::optional<QString>> reasons;
        bool linked = true;
        try {
            linked = reader.read(distinct, place, lines, reasons);
        } catch (const Abandoned&) {
            result.unread.clear();
            result.abandoned = true;
            return result;
        }
        for (int i = start; i < end; ++i) {
            const int k = place.value(keys[i]);
            if (lines[k])
                write(i, *lines[k]);
            else
                result.unread.push_back({i, keys[i], reasons[k].value_or(reader.stopReason)});
        }
        if (!linked) {
            for (int i = end; i < count; ++i)
                result.unread.push_back({i, keys[i], reader.stopReason});
            break;
        }
    }
    return result;
}

void ShowLastFoundRecord(TablePageEnv& env, const FoundRecordsRead& read)
{
    const int count = int(env.state.RecordKeys.size());
    if (count == 0)
        return;
    env.state.RecordIndex = count - 1;
    const bool reported = !read.unread.empty() && read.unread.back().index == count - 1
                          && !read.unread.back().reason.isEmpty();
    ShowRecord(env, reported ? FetchFailure::Silent : FetchFailure::Reported);
}

QString UnreadRecordsMessage(const std::vector<UnreadRecord>& unread, int found, const QString& leftOut)
{
    if (unread.empty())
        return {};
    QString text = QStringLiteral("%1 of the %2 found records could not be %3:").arg(unread.size()).arg(found).arg(leftOut);
    for (std::size_t i = 0; i < unread.size();) {
        const QString& reason = unread[i].reason;
        std::size_t j = i;
        while (!reason.isEmpty() && j + 1 < unread.size() && unread[j + 1].index == unread[j].index + 1
               && unread[j + 1].reason == reason)
            ++j;
        if (j - i >= 2) {
            text += QStringLiteral("\r\nRecords %1 to %2: ").arg(unread[i].index + 1).arg(unread[j].index + 1) + reason;
        } else {
            for (std::size_t r = i; r <= j; ++r) {
                const UnreadRecord& u = unread[r];
                const QString key = u.key.startsWith(kClauseStart) ? u.key : QStringLiteral("key ") + u.key;
                text += QStringLiteral("\r\nRecord %1 (%2): ").arg(u.index + 1).arg(key)
                        + (u.reason.isEmpty() ? QStringLiteral("its key selects no row any more: the record was changed "
                                                               "or removed since it was found.")
                                              : u.reason);
            }
        }
        i = j + 1;
    }
    return text;
}

void ReportUnreadRecords(const std::vector<UnreadRecord>& unread, int found, const QString& leftOut)
{
    const QString text = UnreadRecordsMessage(unread, found, leftOut);
    if (!text.isEmpty())
        AppMessageDlg(text, mtError, mbOK);
}
