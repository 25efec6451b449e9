#pragma once
#include <QString>

// One configured database: the nine fields of its DATABASES value, in stored order.
class TDataBaseObj {
public:
    QString DBType;
    QString DBDesc;
    QString DataSource;
    QString UserName;
    QString Password;
    QString TNS;
    QString Server;
    QString InformixServer;
    QString DBPath;
};
