#include "app/FileSizeLimit.h"

#include <csignal>

namespace app {

void IgnoreFileSizeLimitSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace app
