#include "platform/xbase/settings.h"

namespace qb::xbase {

EngineSettings& engineSettings()
{
    static EngineSettings settings;
    return settings;
}

} // namespace qb::xbase
