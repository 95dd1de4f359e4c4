#include "core/AppState.h"

namespace vx {

AppState& app()
{
    static AppState state;
    return state;
}

} // namespace vx
