#include "app/PrivateConfiguration.h"

#include "app/Options.h"
#include "platform/engine/Engine.h"
#include "platform/ini/ConfigFolder.h"
#include "platform/registry/Registry.h"

namespace app {

QStringList MakeConfigurationPrivate()
{
    using platform::RootKey;
    QStringList warnings;
    for (const QString& file : {kQuorvelIni, platform::engine::Session::configFileName(),
                                platform::Registry::storeFile(RootKey::LocalMachine),
                                platform::Registry::storeFile(RootKey::CurrentUser)}) {
        const QString warning = platform::makeConfigFilePrivate(file);
        if (!warning.isEmpty())
            warnings << warning;
    }
    return warnings;
}

} // namespace app
