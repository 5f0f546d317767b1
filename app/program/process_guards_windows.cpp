#include "process_guards.hpp"

#include "stop_signals.hpp"

namespace zelmor {

// A Windows program is not ended by a failed write, and its standard handles are the system's to give.
bool prepare_process()
{
    catch_stop_signals();
    return true;
}

}  // namespace zelmor
