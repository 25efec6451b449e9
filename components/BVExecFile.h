#pragma once
#include <QObject>
#include <QString>

// The program launcher component. Only the command line is kept so far; starting the program
// comes with the FTP commands.
class TBVExecFile : public QObject {
    Q_OBJECT
public:
    explicit TBVExecFile(QObject* owner = nullptr) : QObject(owner) {}
    QString CommandLine;
};
