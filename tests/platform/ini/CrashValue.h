#pragma once
// The values the crash writer stores, one per round, so the test can tell a whole write from a
// torn one. Sizes vary so that a torn file cannot pass by length alone.
#include <QString>

namespace crashtest {

inline QString value(int round)
{
    const int size = 300000 + (round % 5) * 170000;
    return QString::number(round) + QLatin1Char(':') + QString(size, QChar(u'a' + round % 26));
}

inline const char* seed()
{
    return "[A]\nbefore=1\n[BIG]\nv=start\n[Z]\nafter=2\n";
}

inline QByteArray fileFor(const QString& v)
{
    return "[A]\nbefore=1\n[BIG]\nv=" + v.toUtf8() + "\n[Z]\nafter=2\n";
}

} // namespace crashtest
