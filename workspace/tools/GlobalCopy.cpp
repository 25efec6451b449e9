#include "workspace/tools/GlobalCopy.h"

#include "components/DialogBehaviour.h"
#include "app/DataSourceSetup.h"
#include "app/DatabaseRegistry.h"
#include "app/StartUp.h"
#include "components/BVComboBox.h"
#include "components/Utils.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_GlobalCopy.h"

#include <QElapsedTimer>
#include <QListWidget>

using namespace platform::engine;

bool IsSerialFirstField(const QString& fieldName)
{
    return fieldName.toLower().contains(QLatin1String("_serial"));
}

bool IsBinaryFieldType(int fieldType)
{
    return fieldType == ftBlob || fieldType == ftGraphic;
}

QString CopyLiteral(int fieldType, const QString& value)
{
    // Text of any length, and what arrives as text (times, intervals): a quoted string.
    if (IsCopiedAsText(fieldType))
        return SqlLiteral(ftString, value);
    switch (fieldType) {
    case ftBoolean:
        // Quoted, so that a boolean column takes it as well as a numeric one.
        return QLatin1Char('\'') + BooleanToBit(value) + QLatin1Char('\'');
    case ftFloat:
    case ftDate:
    case ftDateTime:
        return SqlLiteral(fieldType, value);
    default:
        return SqlLiteral(ftInteger, value);
    }
}

bool IsCopiedAsText(int fieldType)
{
    switch (fieldType) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftBoolean:
    case ftFloat:
    case ftDate:
    case ftDateTime:
        return false;
    default:
        return true;
    }
}

QString CopyRow::values() const
{
    QString out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += u',';
        out += items[i].quoteForTarget ? SqlLiteral(ftString, items[i].text) : items[i].text;
    }
    return out;
}

QString CopyFieldLiteral(const Field& field)
{
    // The same literal as from the value's text, without a parse and two locale formats per
    // value, which would weigh on a copy of many rows.
    const int type = field.dataType();
    if (type == ftDate || type == ftDateTime) {
        const QDateTime at = field.asDateTime();
        const QDate day = at.date();
        if (at.isValid() && day.year() >= 1 && day.year() <= 9999) {
            const QTime time = at.time();
            QString s = type == ftDate ? QStringLiteral("{d '") : QStringLiteral("{ts '");
            s += ClockText(day, type == ftDateTime ? &time : nullptr, ClockOrder::Odbc);
            return s + QStringLiteral("'}");
        }
    }
    return CopyLiteral(type, field.asString());
}

QString CopyInsertPrefix(const QString& table, const QStringList& columns)
{
    QStringList quoted;
    quoted.reserve(columns.size());
    for (const QString& c : columns)
        quoted << QuoteIfBlank(c);
    return QStringLiteral("INSERT INTO ") + QuoteTableName(table) + u'(' + quoted.join(u',') + QStringLiteral(") VALUES(");
}

QString CopyInsertStatement(const QString& table, const QStringList& columns, const QStringList& items)
{
    return CopyInsertPrefix(table, columns) + items.join(u',') + u')';
}

namespace {

void reportNotCopied(const QString& table, const QString& database)
{
    AppMessageDlg(QStringLiteral("The ") + table +
                      QStringLiteral(" table was not copied: the connection could not be pointed at the ") + database +
                      QStringLiteral(" database."),
                  mtError, mbOK);
}

const QString kCrLf = QStringLiteral("\r\n");

QString keptOldRows(const QString& table)
{
    return QStringLiteral("The ") + table + QStringLiteral(" table keeps its old rows.");
}

// The rows one table refused, reported once when the table is done: how many, and the first
// few messages with their statements.
struct RefusedRows {
    static constexpr int kShown = 3;
    static constexpr int kStatementShown = 300;
    int count = 0;
    QStringList first;

    void add(const QString& error, const QString& statement)
    {
        if (++count > kShown)
            return;
        first << error + QStringLiteral(" ") + kCrLf + kCrLf
                     + (statement.size() > kStatementShown ? statement.left(kStatementShown) + QStringLiteral("...")
                                                           : statement);
    }

    QString report(const QString& table, int added) const
    {
        QString text = QStringLiteral("The ") + table + QStringLiteral(" table refused ") + QString::number(count)
                       + (count == 1 ? QStringLiteral(" row") : QStringLiteral(" rows"))
                       + QStringLiteral(" of the copy; it now holds the other ") + QString::number(added)
                       + QStringLiteral(".") + kCrLf + kCrLf + first.join(kCrLf + kCrLf);
        if (count > kShown)
            text += kCrLf + kCrLf + QStringLiteral("... and ") + QString::number(count - kShown)
                    + QStringLiteral(" more.");
        return text;
    }
};

// The data source the connection named name reaches: its stored alias's, else its own name.
QString ReachedDataSource(const QString& name)
{
    for (const QString& line : Session::instance().aliasParams(name)) {
        const int eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed().compare(QLatin1String("ODBC DSN"), Qt::CaseInsensitive) == 0 &&
            !line.mid(eq + 1).trimmed().isEmpty())
            return line.mid(eq + 1).trimmed();
    }
    return name;
}

enum class StoreFault { None, DiskFull, WriteFailed };

// Failures after which the target takes no more rows. SQLite also ends the transaction itself on
// them, so statements sent after one would each be committed alone, beside the old rows.
StoreFault StoreFaultOf(const std::exception& error, const QString& dbms)
{
    const auto* e = dynamic_cast<const EngineError*>(&error);
    if (!e)
        return StoreFault::None;
    if (dbms.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        switch (e->nativeError() & 0xff) {
        case 13:  // SQLITE_FULL
            return StoreFault::DiskFull;
        case 10:  // SQLITE_IOERR, which a file-size limit (EFBIG) gives too
            return StoreFault::WriteFailed;
        default:
            return StoreFault::None;
        }
    }
    if (e->sqlState() == QLatin1String("53100"))  // disk_full
        return StoreFault::DiskFull;
    if (e->sqlState() == QLatin1String("58030"))  // io_error
        return StoreFault::WriteFailed;
    return StoreFault::None;
}

// Ends the copy at a table whose target can take no more rows; the table keeps its old rows.
struct StoreFailure : std::runtime_error {
    StoreFailure(const std::exception& error, StoreFault kind) : std::runtime_error(error.what()), fault(kind) {}
    StoreFault fault;
};

void throwIfStoreFault(const std::exception& error, const QString& dbms)
{
    const StoreFault fault = StoreFaultOf(error, dbms);
    if (fault != StoreFault::None)
        throw StoreFailure(error, fault);
}

} // namespace

TForm_Copy::TForm_Copy(CopyEnv env, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm_Copy>()), env_(env)
{
    ui->setupUi(this);
    BVComboBox_From = ui->BVComboBox_From;
    BVComboBox_To = ui->BVComboBox_To;
    BitBtn_LoadTables = ui->BitBtn_LoadTables;
    Label_table = ui->Label_table;
    Label_Database = ui->Label_Database;
    Panel_Status = ui->Panel_Status;
    ListBox_TableName = ui->ListBox_TableName;
    BitBtn_OK = ui->BitBtn_OK;
    BitBtn_Cancel = ui->BitBtn_Cancel;

    connect(BVComboBox_From, &QComboBox::currentIndexChanged, this, [this] { BVCombobox_FromChange(BVComboBox_From); });
    // The To combo decides the OK button as much as the From combo does.
    connect(BVComboBox_To, &QComboBox::currentIndexChanged, this, [this] { BVCombobox_FromChange(BVComboBox_To); });
    connect(ListBox_TableName, &QListWidget::itemClicked, this, &TForm_Copy::ListBox_TableNameClick);
    connect(BitBtn_LoadTables, &QPushButton::clicked, this, &TForm_Copy::BitBtn_LoadTablesClick);
    connect(BitBtn_OK, &QPushButton::clicked, this, &TForm_Copy::BitBtn_OKClick);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, &TForm_Copy::BitBtn_CancelClick);
}

TForm_Copy::~TForm_Copy() = default;

void TForm_Copy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(*this);
    FormShow();
}

void TForm_Copy::FormShow()
{
    Query_SQL.setDatabaseName(env_.Database->databaseName());
    InitialDatabase = env_.state.CurrentDatabase;
    ConnectedDatabase = nullptr;
    initialLogin_ = env_.Database->params();
    for (TBVComboBox* combo : {BVComboBox_From, BVComboBox_To}) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        if (DatabaseEntries) {
            for (const DatabaseList::Entry& e : DatabaseEntries->entries)
                combo->addItem(e.name);
        }
        combo->setCurrentIndex(-1);
    }
}

bool TForm_Copy::databasesDiffer() const
{
    const QString from = BVComboBox_From->currentText();
    const QString to = BVComboBox_To->currentText();
    return !from.isEmpty() && !to.isEmpty() && from != to;
}

void TForm_Copy::BVCombobox_FromChange(QObject* Sender)
{
    if (Sender == BVComboBox_From)
        ListBox_TableName->clear();
    BitBtn_LoadTables->setEnabled(!BVComboBox_From->currentText().isEmpty());
    BitBtn_OK->setEnabled(databasesDiffer());
}

void TForm_Copy::ListBox_TableNameClick()
{
    // A database is never copied onto itself, whatever is selected.
    BitBtn_OK->setEnabled(!ListBox_TableName->selectedItems().isEmpty() && databasesDiffer());
}

void TForm_Copy::BitBtn_LoadTablesClick()
{
    RunShowingExceptions([this] {
        TDataBaseObj* Db = env_.registry ? env_.registry->FindDatabaseObj(BVComboBox_From->currentText()) : nullptr;
        if (Db && ConnectDatabase(Db))
            LoadTableList();
    });
}

void TForm_Copy::LoadTableList()
{
    ListBox_TableName->clear();
    QStringList names;
    Session::instance().getTableNames(env_.state.CurrentDataSource, QStringLiteral("*.*"), false, false, names);
    QStringList seen;
    for (QString name : names) {
        const int dot = name.indexOf(u'.');
        if (dot >= 0)
            name = name.mid(dot + 1);
        if (seen.contains(name, Qt::CaseInsensitive))
            continue;
        seen << name;
        ListBox_TableName->addItem(name);
    }
}

bool TForm_Copy::ConnectDatabase(TDataBaseObj* Db)
{
    Database& database = *env_.Database;
    database.setConnected(false);
    database.setKeepConnection(false);
    env_.Table->close();
    env_.Table->setDatabaseName(QString());
    env_.Query->close();
    env_.Query->setDatabaseName(QString());

    bool ok = ConfigureDataSource(env_.state, Db);
    if (ok)
        ok = ConfigureAlias(env_.state, Db);
    ConnectedDatabase = Db;

    const QString& name = env_.state.CurrentDataSource;
    database.setConnected(false);
    database.setKeepConnection(false);
    database.setAliasName(name);
    database.setDatabaseName(name);
    // A database configured with a login is reached by it; one without keeps the login the
    // program started with.
    if (Db && !Db->UserName.isEmpty())
        database.params() = QStringList{QStringLiteral("user name=") + Db->UserName,
                                        QStringLiteral("password=") + Db->Password};
    else
        database.params() = initialLogin_;
    env_.Query->setDatabaseName(name);
    env_.Table->setDatabaseName(name);
    database.setConnected(true);
    database.setKeepConnection(true);
    return ok;
}

bool TForm_Copy::PointAt(TDataBaseObj* Db)
{
    if (!Db)
        return false;
    const bool configured = ConnectDatabase(Db);
    // A set-up that reports success may still leave the alias on another data source (an unknown
    // database type adds no alias): only the data source actually reached counts.
    return configured &&
           ReachedDataSource(env_.state.CurrentDataSource).compare(Db->DataSource.trimmed(), Qt::CaseInsensitive) == 0;
}

void TForm_Copy::setStatus(const QString& text)
{
    Panel_Status->setText(text);
    Panel_Status->repaint();
}

void TForm_Copy::BitBtn_OKClick()
{
    if (!databasesDiffer())
        return;
    repaint();
    QStringList selected;
    for (int i = 0; i < ListBox_TableName->count(); ++i) {
        if (ListBox_TableName->item(i)->isSelected())
            selected << ListBox_TableName->item(i)->text();
    }
    QStringList copied;
    for (const QString& T : selected) {
        // The window stays open on what was done.
        try {
            if (copyTable(T))
                copied << T;
        } catch (const StoreFailure& failure) {
            const QString head = failure.fault == StoreFault::DiskFull
                                     ? QStringLiteral("The disk of the target database is full: the copy stopped at the ")
                                     : QStringLiteral("The target database could not write to its disk: the copy stopped at the ");
            reportCopyEnded(T, head + T + QStringLiteral(" table:"), QString::fromUtf8(failure.what()), copied, selected);
            return;
        } catch (const std::exception& error) {
            const QString head = env_.Database->linkLost()
                                     ? QStringLiteral("The connection to the database was lost while copying the ") + T
                                           + QStringLiteral(" table:")
                                     : QStringLiteral("The copy ended at the ") + T + QStringLiteral(" table:");
            reportCopyEnded(T, head, QString::fromUtf8(error.what()), copied, selected);
            return;
        }
    }
    done(QDialog::Accepted);
}

void TForm_Copy::reportCopyEnded(const QString& T, const QString& head, const QString& error,
                                 const QStringList& copied, const QStringList& selected)
{
    QStringList kept;
    for (const QString& t : selected) {
        if (!copied.contains(t))
            kept << t;
    }
    auto names = [](const QStringList& list) { return list.isEmpty() ? QStringLiteral("none") : list.join(QStringLiteral(", ")); };
    setStatus(QStringLiteral("The copy ended at the ") + T + QStringLiteral(" table."));
    AppMessageDlg(head + kCrLf + error + kCrLf + kCrLf + QStringLiteral("Tables copied: ") + names(copied) + kCrLf
                      + QStringLiteral("Tables that kept their old rows: ") + names(kept),
                  mtError, mbOK);
}

bool TForm_Copy::copyTable(const QString& T)
{
    std::vector<CopyRow> rows;
    TDataBaseObj* Src = env_.registry->FindDatabaseObj(BVComboBox_From->currentText());
    TDataBaseObj* Dst = env_.registry->FindDatabaseObj(BVComboBox_To->currentText());

    const bool atSource = PointAt(Src);
    if (atSource)
        Label_Database->setText(QStringLiteral("DATABASE : ") + BVComboBox_From->currentText());
    Label_table->setText(QStringLiteral("TABLE : ") + T);
    repaint();
    if (!atSource) {
        // The connection may still describe another database: reading it would copy wrong rows.
        reportNotCopied(T, BVComboBox_From->currentText());
        return false;
    }

    setStatus(QStringLiteral("Selecting records from the ") + T + QStringLiteral(" table..."));
    Query_SQL.close();
    Query_SQL.sql() = QStringList{QStringLiteral("SELECT * FROM ") + QuoteTableName(T)};
    Query_SQL.open();
    // Each table has columns of its own.
    const int fieldCount = Query_SQL.fieldCount();
    const bool skipFirst = fieldCount > 0 && IsSerialFirstField(Query_SQL.fields(0).fieldName());
    QStringList columns;
    for (int f = skipFirst ? 1 : 0; f < fieldCount; ++f)
        columns << Query_SQL.fields(f).fieldName();
    while (!Query_SQL.eof()) {
        CopyRow row;
        row.items.reserve(std::size_t(fieldCount));
        for (int f = skipFirst ? 1 : 0; f < fieldCount; ++f) {
            const Field& field = Query_SQL.fields(f);
            if (field.isNull()) {
                row.items.push_back({QStringLiteral("null"), false});
            } else if (IsBinaryFieldType(field.dataType())) {
                row.blobs.push_back(field.asBytes());
                row.items.push_back({QStringLiteral(":blob%1").arg(row.blobs.size()), false});
            } else if (IsCopiedAsText(field.dataType())) {
                row.items.push_back({field.asString(), true});
            } else {
                row.items.push_back({CopyFieldLiteral(field), false});
            }
        }
        rows.push_back(std::move(row));
        Query_SQL.next();
    }
    Query_SQL.close();

    const bool atTarget = PointAt(Dst);
    if (!atTarget) {
        // The DELETE would run on whatever the connection still describes, the source perhaps.
        reportNotCopied(T, BVComboBox_To->currentText());
        return false;
    }
    Label_Database->setText(QStringLiteral("DATABASE : ") + BVComboBox_To->currentText());

    // The target's rows are replaced in one transaction: it ends with the copied rows, or, when
    // the copy of the table fails, with its old rows.
    Database& target = *env_.Database;
    const QString dbms = target.dbmsName();
    target.startTransaction();
    struct RollbackUnlessDone {
        Database& db;
        ~RollbackUnlessDone() { db.rollback(); }
    } rollbackUnlessDone{target};

    Query_SQL.sql() = QStringList{QStringLiteral("DELETE FROM ") + QuoteTableName(T)};
    setStatus(QStringLiteral("Deleting records from the ") + T + QStringLiteral(" table..."));
    try {
        Query_SQL.execSQL();
    } catch (const std::exception& error) {
        Query_SQL.close();
        throwIfStoreFault(error, dbms);
        if (target.linkLost())
            throw;
        // Inserting now would add the rows to those still there.
        setStatus(keptOldRows(T));
        AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
        return false;
    }
    Query_SQL.close();

    setStatus(QStringLiteral("Inserting records into the ") + T + QStringLiteral(" table..."));
    int Count = 0;
    RefusedRows refused;
    // The count is shown a few dozen times a second, not for every row: drawing it for each of a
    // hundred thousand rows would cost more than inserting them.
    QElapsedTimer sincePaint;
    sincePaint.start();
    std::size_t done = 0;
    const QString prefix = CopyInsertPrefix(T, columns);
    for (const CopyRow& row : rows) {
        const QString statement = prefix + row.values() + u')';
        Query_SQL.sql() = QStringList{statement};
        try {
            for (std::size_t b = 0; b < row.blobs.size(); ++b)
                Query_SQL.paramByName(QStringLiteral("blob%1").arg(b + 1)).setBlob(row.blobs[b]);
            Query_SQL.execSQL();
            ++Count;
        } catch (const std::exception& error) {
            throwIfStoreFault(error, dbms);
            // A lost link fails every row after it: the copy ends, the server has undone the table.
            if (target.linkLost())
                throw;
            refused.add(QString::fromUtf8(error.what()), statement);
        }
        if (++done == rows.size() || sincePaint.elapsed() >= 40) {
            setStatus(QString::number(Count) + QStringLiteral(" rows added"));
            sincePaint.restart();
        }
    }

    try {
        target.commit();
    } catch (const std::exception& error) {
        // The commit's own rollback may have dropped the link: the cause comes first.
        throwIfStoreFault(error, dbms);
        if (target.linkLost())
            throw;
        setStatus(keptOldRows(T));
        AppMessageDlg(QString::fromUtf8(error.what()) + kCrLf + kCrLf + keptOldRows(T), mtError, mbOK);
        return false;
    }
    if (refused.count > 0)
        AppMessageDlg(refused.report(T, Count), mtError, mbOK);
    return true;
}

void TForm_Copy::BitBtn_CancelClick()
{
    done(QDialog::Rejected);
}

void TForm_Copy::done(int result)
{
    RunShowingExceptions([this] { FormClose(); });
    QDialog::done(result);
}

void TForm_Copy::FormClose()
{
    if (ConnectedDatabase && InitialDatabase && ConnectedDatabase != InitialDatabase) {
        TDataBaseObj* initial = InitialDatabase;
        ConnectDatabase(initial);
    }
}

void MenuItem_LoadSelectedTablesClick(CopyEnv env, QWidget* parent)
{
    auto form = std::make_unique<TForm_Copy>(env, parent);
    form->DatabaseEntries = &env.state.Databases;
    platform::modal::execWindow(*form);
}
