// Rewrites one large value of an INI file for ever, until it is killed. After each completed write
// it prints the round's number on a line of its own, so the test knows a write has landed.
#include "platform/ini/IniFile.h"
#include "tests/platform/ini/CrashValue.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    platform::IniFile ini(QString::fromLocal8Bit(argv[1]));
    try {
        for (int round = 0;; ++round) {
            ini.writeString(QStringLiteral("big"), QStringLiteral("V"), crashtest::value(round));
            std::printf("%d\n", round);
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
