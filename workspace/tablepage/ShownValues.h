#pragma once
// What the record display put into each data control of the Table page, kept beside the control, so
// that an update writes only what the user changed and finds a record without a key again by its
// stored values.
#include <QString>

class QWidget;
class TBVMaskEdit;
namespace platform::engine { class Field; }

// Remembers the value Control shows now (its text, or for a picture that it is unchanged, and
// whether it is marked null) as the stored value. StoredCondition: for a mask edit, the condition
// that selects the stored value (empty when the column takes no part in selecting the record).
void RememberShownValue(QWidget* Control, const QString& StoredCondition = QString());
// Nothing is remembered: the control's value counts as typed (a cleared page).
void ForgetShownValue(QWidget* Control);
// True when the user changed the value since it was shown: typed, pasted, cleared or marked
// null, a picture loaded or set null. A control with nothing remembered counts as changed.
bool ChangedByUser(const QWidget* Control);
// Load Image and Set Image Null change the picture whatever it looks like afterwards.
void MarkPictureChanged(QWidget* Image);
// The StoredCondition remembered for Control.
QString StoredCondition(const QWidget* Control);

// A float column's value as the page shows it: a double as the shortest text that reads back as
// it, also when it arrives as text (SQLite's own 21-digit text of it, ExactReals.h); a DECIMAL or
// NUMERIC with the very digits the driver gives; an integer and a text that is no number as they
// come.
QString FloatFieldText(const platform::engine::Field& Field);

// The condition that selects the stored value of Field in the column of Edit, written exactly as
// stored (not as shown): "name IS NULL"; text quoted; numbers as read (a float column's value in
// the shortest text that reads back as the same double, or a DECIMAL's own digits, quoted so that
// the database reads it in the column's own type; SQLite's REAL by its own text of it, since SQLite
// does not read every decimal back to the double it came from); booleans '0' or '1'; a date as
// {d '...'} when it is stored as a plain date, else as the text stored. Date-times select nothing
// (empty), as in the query's keys.
QString StoredValueCondition(const TBVMaskEdit* Edit, const platform::engine::Field& Field);
