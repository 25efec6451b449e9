// The launcher has no code of its own yet; this source lets the build process its header.
#include "components/BVExecFile.h"
