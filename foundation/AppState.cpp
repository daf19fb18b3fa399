#include "foundation/AppState.h"

namespace orvane {

AppState& TheAppState()
{
    static AppState state;
    return state;
}

} // namespace orvane
