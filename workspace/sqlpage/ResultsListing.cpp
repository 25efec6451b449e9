#include "workspace/sqlpage/ResultsListing.h"

#include "platform/engine/Engine.h"

#include <utility>

namespace {

constexpr int kNameWidth = 20;
// Groups written ahead of the box: enough to keep the reader busy while the box takes the block of
// a tenth of a second, which costs it longer than the reader took to write it.
constexpr std::size_t kGroupsAhead = 4096;

// A value's own CR LF is one line break, as the box shows it.
void joinCrLf(QString& out, qsizetype from)
{
    if (!QStringView(out).sliced(from).contains(QLatin1Char('\r')))
        return;
    QString tail = out.sliced(from);
    tail.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.truncate(from);
    out += tail;
}

} // namespace

QStringList PaddedFieldNames(const QStringList& names)
{
    QStringList padded;
    padded.reserve(names.size());
    for (const QString& name : names)
        padded << name.leftJustified(kNameWidth, QLatin1Char(' '));
    return padded;
}

void AppendListingRow(QString& out, platform::engine::Query& q, const QStringList& paddedNames,
                      bool showFieldNames)
{
    const int n = q.fieldCount();
    if (!showFieldNames) {
        for (int i = 0; i < n; ++i) {
            const qsizetype start = out.size();
            q.fields(i).appendText(out);
            joinCrLf(out, start);
            out += QLatin1Char('|');
        }
        return;
    }
    for (int i = 0; i < n; ++i) {
        if (i < paddedNames.size())
            out += paddedNames[i];
        else
            out += QString(kNameWidth, QLatin1Char(' '));
        out += QLatin1Char('\'');
        const qsizetype start = out.size();
        q.fields(i).appendText(out);
        joinCrLf(out, start);
        out += QLatin1Char('\'');
        out += QLatin1Char('\n');
    }
    out += QLatin1String("\n\n");
}

ListingReader::ListingReader(platform::engine::Query& query, const QStringList& names, bool showFieldNames,
                             int rowsPerGroup)
    : query_(query), names_(PaddedFieldNames(names)), showFieldNames_(showFieldNames),
      rowsPerGroup_(rowsPerGroup > 0 ? rowsPerGroup : 1)
{
    thread_ = std::thread([this] { run(); });
}

ListingReader::~ListingReader()
{
    stop();
}

void ListingReader::run()
{
    ListingGroup group;
    qsizetype rows = 0;
    qsizetype groupSize = 0;  // the last group's length, to size the next one
    try {
        while (!stop_.load(std::memory_order_relaxed) && !query_.eof()) {
            group = ListingGroup();
            group.text.reserve(groupSize + groupSize / 8 + 64);
            while (group.rows < rowsPerGroup_ && !query_.eof()) {
                if (group.rows > 0)
                    group.text += QLatin1Char('\n');
                AppendListingRow(group.text, query_, names_, showFieldNames_);
                if (group.rows == 0)
                    group.firstRowEnd = group.text.size();
                ++group.rows;
                ++rows;
                query_.next();
                if (stop_.load(std::memory_order_relaxed))
                    break;
            }
            groupSize = group.text.size();
            if (!put(std::move(group)))
                break;
            group = ListingGroup();
        }
        // Done with the rows: the statement and what the driver holds of them are let go here,
        // while the box still takes the last lines.
        if (!stop_.load() && query_.eof())
            query_.close();
    } catch (...) {
        // The rows read before the failure are listed; then the failure is reported.
        const std::exception_ptr failure = std::current_exception();
        if (group.rows > 0)
            put(std::move(group));
        std::lock_guard lock(mutex_);
        error_ = failure;
        rowsBeforeError_ = rows;
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

bool ListingReader::put(ListingGroup&& group)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return groups_.size() < kGroupsAhead || stop_.load(); });
    if (stop_.load())
        return false;
    groups_.push_back(std::move(group));
    changed_.notify_all();
    return true;
}

ListingReader::Taken ListingReader::take(ListingGroup& group, int waitMs)
{
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return !groups_.empty() || finished_; }))
        return Taken::NotYet;
    if (groups_.empty())
        return Taken::Ended;
    group = std::move(groups_.front());
    groups_.pop_front();
    changed_.notify_all();
    return Taken::Group;
}

void ListingReader::stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_.store(true);
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}
