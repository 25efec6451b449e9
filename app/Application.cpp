#include "app/Application.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace app {
namespace { bool terminateRequested = false; }

void Terminate()
{
    terminateRequested = true;
    if (auto* a = QCoreApplication::instance())
        QMetaObject::invokeMethod(a, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool TerminateRequested() { return terminateRequested; }
void ResetTerminate() { terminateRequested = false; }
} // namespace app
