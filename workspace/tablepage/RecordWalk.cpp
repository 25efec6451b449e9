#include "workspace/tablepage/RecordWalk.h"

#include "app/MainState.h"
#include "components/Utils.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/TablePage.h"

#include <exception>

namespace {

bool showAt(TablePageEnv& env, int index)
{
    env.state.RecordIndex = index;
    return ShowRecord(env);
}

} // namespace

bool WalkFoundRecords(TablePageEnv& env, const std::function<void(int index, bool shown)>& visit)
{
    const int count = static_cast<int>(env.state.RecordKeys.count());
    if (count == 0)
        return true;
    bool shown = showAt(env, 0);
    for (int i = 0; i < count; ++i) {
        visit(i, shown);
        if (i == count - 1)
            break;
        try {
            shown = showAt(env, i + 1);
        } catch (const std::exception& error) {
            AppMessageDlg(QStringLiteral("Query List too large!  ") + QString::fromUtf8(error.what()), mtError, mbOK);
            return false;
        }
    }
    return true;
}
