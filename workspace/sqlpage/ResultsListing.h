#pragma once
// The rows of a SELECT as the SQL page lists them, read on a thread of their own: the reader
// fetches the rows and writes their lines while the GUI thread puts the lines already written into
// the results box, so that fetching and showing overlap.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace platform::engine { class Query; }

// Appends one row of the query as the listing writes it: its values each closed by "|" on one
// line, or, with field names, one line per field (the name padded to 20, the value in single
// quotes) and three empty lines. paddedNames are the field names already padded. A value's own
// CR LF becomes one line break, as the box shows it.
void AppendListingRow(QString& out, platform::engine::Query& query, const QStringList& paddedNames,
                      bool showFieldNames);
QStringList PaddedFieldNames(const QStringList& names);

// The rows between two yields of a listing.
struct ListingGroup {
    QString text;              // the rows' lines joined by "\n"
    qsizetype firstRowEnd = 0;  // where the lines of the group's first row end in text
    int rows = 0;
};

// Reads the rest of an open query on its own thread, in groups of rowsPerGroup rows, and closes
// it after the last row. The query belongs to the reader until stop() has returned: the caller
// must not touch it, nor its connection (platform::engine::RowReaderLease sees to the latter).
class ListingReader {
public:
    ListingReader(platform::engine::Query& query, const QStringList& names, bool showFieldNames, int rowsPerGroup);
    ~ListingReader();
    ListingReader(const ListingReader&) = delete;
    ListingReader& operator=(const ListingReader&) = delete;

    enum class Taken { Group, NotYet, Ended };
    // Waits up to waitMs for the next group: Ended once the rows have ended (or an error ended
    // them), NotYet when none came in that time.
    Taken take(ListingGroup& group, int waitMs);
    // Ends the reading at the next row and waits for the thread.
    void stop();
    // After stop(): what ended the rows early (null when they all came), and how many rows were
    // read before it.
    std::exception_ptr error() const { return error_; }
    qsizetype rowsBeforeError() const { return rowsBeforeError_; }

private:
    void run();
    bool put(ListingGroup&& group);

    platform::engine::Query& query_;
    const QStringList names_;
    const bool showFieldNames_;
    const int rowsPerGroup_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ListingGroup> groups_;
    bool finished_ = false;
    std::atomic<bool> stop_{false};
    std::exception_ptr error_;
    qsizetype rowsBeforeError_ = 0;
    std::thread thread_;
};
