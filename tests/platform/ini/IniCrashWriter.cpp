// Rewrites one large value of an INI file for ever, until it is killed.
#include "platform/ini/IniFile.h"
#include "tests/platform/ini/CrashValue.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    platform::IniFile ini(QString::fromLocal8Bit(argv[1]));
    try {
        for (int round = 0;; ++round)
            ini.writeString(QStringLiteral("big"), QStringLiteral("V"), crashtest::value(round));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
