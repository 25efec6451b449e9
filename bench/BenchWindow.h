#pragma once
// The main window of a benchmark, connected to a data source as the start-up connects it.
#include "app/DataBaseObj.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"

#include <QPlainTextEdit>
#include <QString>

#include <cstdio>

namespace bench {

// Connects form's Database under databaseName and binds its datasets; db becomes the current
// database (it must outlive the window's use of it).
inline void connectWindow(TForm_Main& form, TDataBaseObj& db, const QString& databaseName, const QString& dbType,
                          const QString& dsn, const QString& user, const QString& password)
{
    form.Database.setDatabaseName(databaseName);
    form.Database.setAliasName(dsn);
    form.Database.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
    form.Database.setConnected(true);
    for (platform::engine::DataSet* set : std::initializer_list<platform::engine::DataSet*>{
             &form.Table, &form.Table2, &form.Query, &form.Query1, &form.Query2, &form.ADOQuery})
        set->setDatabaseName(form.Database.databaseName());
    db.DBType = dbType;
    db.DataSource = dsn;
    db.UserName = user;
    db.Password = password;
    form.state().CurrentDatabase = &db;
}

// Answers every message the program shows and prints it: a message is a failure of the run.
class PrintedMessages {
public:
    PrintedMessages()
        : responder_([this](const platform::modal::Request& r) {
              any_ = true;
              auto* msg = r.window ? r.window->findChild<QPlainTextEdit*>() : nullptr;
              std::fprintf(stderr, "message: %s\n", qPrintable(msg ? msg->toPlainText() : r.text));
              return platform::modal::Answer{};
          })
    {
    }
    bool any() const { return any_; }

private:
    bool any_ = false;
    platform::modal::ScopedResponder responder_;
};

} // namespace bench
