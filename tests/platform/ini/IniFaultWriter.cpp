// Makes one update of an INI file under a fault the test chooses:
//   ini_fault_writer hold PATH         stops just before the rename, after printing "held"; the
//                                      test kills it there
//   ini_fault_writer full-disk PATH N  writes with the file size limited to N bytes (SIGXFSZ
//                                      ignored, so write() fails with EFBIG as on a full disk)
// The update writes 800 keys, as a long list of the options window does. Exit status: 0 when the
// write landed, 3 when it failed (the message on stdout), 2 for bad arguments.
#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniFile.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void holdHere()
{
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* mode = argv[1];
    if (std::strcmp(mode, "hold") == 0) {
        platform::testing::setBeforeRenameHook(holdHere);
    } else if (std::strcmp(mode, "full-disk") == 0 && argc == 4) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(std::atoll(argv[3])), static_cast<rlim_t>(std::atoll(argv[3]))};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    } else {
        return 2;
    }
    try {
        platform::IniFile(QString::fromLocal8Bit(argv[2])).update([](platform::IniDocument& doc) {
            doc.eraseSection(QStringLiteral("UNIQUEFIELDS"));
            for (int i = 0; i < 800; ++i)
                doc.writeString(QStringLiteral("UNIQUEFIELDS"), QStringLiteral("NEW_TABLE_%1").arg(i),
                                QStringLiteral("NEW_FIELD_%1").arg(i));
        });
    } catch (const std::exception& error) {
        std::printf("%s\n", error.what());
        return 3;
    }
    return 0;
}
