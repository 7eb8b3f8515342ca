// Automation strings behind the failure switch. This file must reach the
// system's function, so it includes the system headers directly.
#include <windows.h>
#include <oleauto.h>

#include "platform/alloc_fault.h"

BSTR MorvelSysAllocString(const OLECHAR* psz) {
    // A null text allocates nothing, so it is not counted.
    if (psz != nullptr && AllocShouldFail()) {
        return nullptr;
    }
    return ::SysAllocString(psz);
}
