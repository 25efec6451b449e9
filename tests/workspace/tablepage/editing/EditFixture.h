#pragma once
// The Table page on SQLite or PostgreSQL, driven as a user does: the mode buttons, typing into the
// controls, Execute; every modal run answered and recorded.
#include "tests/workspace/tablepage/page/Fixture.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/modal/Modal.h"
#include "tests/support/EngineRows.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/Navigation.h"
#include "workspace/tablepage/PageModes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (const QString& s : list)
        *os << "\n  \"" << s.toStdString() << '"';
    *os << " }";
}

enum class Db { Sqlite, Postgres };

inline std::string DbName(const ::testing::TestParamInfo<Db>& info)
{
    return info.param == Db::Sqlite ? "Sqlite" : "Postgres";
}

class EditFixture : public PageFixture, public ::testing::WithParamInterface<Db> {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        dbObj.DBType = QStringLiteral("SQLITE");
    }

    // Connects to the database of the test's parameter; false when PostgreSQL is not there.
    bool useParamDb()
    {
        if (GetParam() == Db::Sqlite)
            return true;
        if (!testsupport::pgAvailable())
            return false;
        connect(testsupport::pg().dsn, testsupport::pg().user, testsupport::pg().password);
        dbObj.DBType = QStringLiteral("POSTGRESQL");
        return true;
    }
    bool pg() const { return GetParam() == Db::Postgres; }
    QString blobType() const { return pg() ? QStringLiteral("bytea") : QStringLiteral("blob"); }
    QString serialType() const
    {
        return pg() ? QStringLiteral("serial primary key") : QStringLiteral("integer primary key autoincrement");
    }

    TBVMaskEdit* edit(const QString& column) { return control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_") + column); }
    TBVMemo* memo(const QString& column) { return control<TBVMemo>(QStringLiteral("MMemo_") + column); }
    TBVImage* image(const QString& column) { return control<TBVImage>(QStringLiteral("Image_") + column); }

    // What a user does: a key press in the control that edits (it is no longer null), then the
    // text. Text edits are typed key by key; other controls take the text as a whole.
    void type(const QString& column, const QString& text)
    {
        if (TBVMaskEdit* e = edit(column)) {
            e->end(false);
            QTest::keyClick(e, Qt::Key_Delete);
            if (e->FieldType == platform::engine::ftString) {
                e->selectAll();
                if (text.isEmpty())
                    QTest::keyClick(e, Qt::Key_Delete);
                else
                    QTest::keyClicks(e, text);
            } else {
                e->setText(text);
            }
        } else if (TBVMemo* m = memo(column)) {
            m->moveCursor(QTextCursor::End);
            QTest::keyClick(m, Qt::Key_Delete);
            m->setPlainText(text);
        } else {
            ADD_FAILURE() << "no control for " << column.toStdString();
        }
    }
    // Ctrl+Shift+N in the control.
    void markNull(const QString& column)
    {
        QWidget* w = edit(column) ? static_cast<QWidget*>(edit(column)) : static_cast<QWidget*>(memo(column));
        QTest::keyClick(w, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    }

    void add() { BitBtn_QueryClick(*env, ui.BitBtn_Add); }
    void update() { BitBtn_QueryClick(*env, ui.BitBtn_Update); }
    void execute() { BitBtn_ExecuteClick(*env, ui.BitBtn_Execute); }
    void go(QPushButton* button) { BitBtn_FirstClick(*env, button); }
    void show(int index)
    {
        state.RecordIndex = index;
        BitBtn_FirstClick(*env, nullptr);
    }

    // Rows of a statement, each value as text ("<null>" for NULL), in order.
    QStringList rows(const QString& sql) { return testsupport::engineRows(db.databaseName(), sql, QStringLiteral("<null>")); }
    QByteArray bytes(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.open();
        return q.eof() || q.fields(0).isNull() ? QByteArray() : q.fields(0).asBytes();
    }

    QStringList messages;            // the texts shown, message window and standard boxes alike
    quint16 confirmAnswer = mrYes;   // the answer to a confirmation in the message window
    std::function<void(const QString&)> onMessage;  // run as each message window is shown
    QString fileAnswer;              // the path a file dialog answers; empty: Cancel
    QStringList fileDialogs;         // the captions of the file dialogs shown
    platform::modal::ScopedResponder responder{[this](const platform::modal::Request& r) {
        platform::modal::Answer a;
        if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
            messages << msg->RichEdit->toPlainText();
            if (onMessage)
                onMessage(messages.last());
            a.result = msg->RichEdit->toPlainText().contains(QLatin1String("Are you sure")) ? int(confirmAnswer) : int(mrOk);
        } else if (r.kind == platform::modal::Kind::MessageBox) {
            messages << r.text;
            a.result = QMessageBox::Ok;
        } else if (r.kind == platform::modal::Kind::OpenFile || r.kind == platform::modal::Kind::SaveFile) {
            fileDialogs << r.caption;
            a.result = fileAnswer.isEmpty() ? 0 : 1;
            a.text = fileAnswer;
        }
        return a;
    }};
};
