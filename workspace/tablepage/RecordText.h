#pragma once
// The texts of a found record that the export and the printing write, read from a row of the
// record's fetch as the record display would put it on the Table page, without putting it there:
// the same header and record line (AsciiHeader, AsciiLine) and the same texts of the mask edits.
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QWidget;
class TBVMaskEdit;
struct MainState;
namespace Ui { class TForm_Main; }
namespace platform::engine { class DataSet; class Field; }

// What a mask edit of the page shows for a record.
struct ShownEditText {
    QString fieldName;  // the edit's FieldName
    QString text;       // the edit's text
    bool nullMarked = false;  // its marker reads "null" (in any case)
};

class RecordTexts {
public:
    // The page's data controls, in page order, and its key column; the page must keep its
    // controls while this is used.
    RecordTexts(Ui::TForm_Main& ui, const MainState& state);
    ~RecordTexts();
    RecordTexts(const RecordTexts&) = delete;
    RecordTexts& operator=(const RecordTexts&) = delete;

    // Matches the page's controls with the columns of a fetch: its fields from firstField on.
    void describe(platform::engine::DataSet& fetch, int firstField = 0);

    // The header line of the described columns.
    const QString& header() const { return header_; }
    // The record line of the fetch's current row.
    QString asciiLine(platform::engine::DataSet& row) const;
    // False when a mask edit of the page has no column in the fetch: the record display leaves
    // such an edit as it was, which no row can tell.
    bool showsEveryEdit() const;
    // Every mask edit of the page, in page order, as the current row shows it.
    std::vector<ShownEditText> editTexts(platform::engine::DataSet& row) const;

private:
    // The text edit holds once shown has been set into it.
    QString heldText(const TBVMaskEdit* edit, const QString& shown) const;
    QString shownText(const TBVMaskEdit* edit, const platform::engine::Field& f) const;

    enum class Entry { None, Memo, Edit, Field };
    struct Column {
        Entry entry = Entry::None;
        const TBVMaskEdit* edit = nullptr;  // the edit whose text the line takes (Entry::Edit)
        bool fillsMask = false;             // its mask takes a shown date as it is
    };
    std::vector<const TBVMaskEdit*> edits_;  // the page's mask edits in page order
    std::vector<QWidget*> controls_;         // the page's data controls in page order
    QString keyColumn_;                      // lower case
    int firstField_ = 0;
    std::vector<Column> columns_;            // one per described field
    std::vector<int> editFields_;            // per edit, the field that fills it last, else -1
    QString header_;
    mutable qsizetype lineLength_ = 0;       // of the line before, to make room for the next
    // Edits with a mask take a text only through the mask: one hidden edit of the same mask for
    // each, for the texts that do not fill the mask exactly.
    mutable std::map<const TBVMaskEdit*, std::unique_ptr<TBVMaskEdit>> maskedCopies_;
};
