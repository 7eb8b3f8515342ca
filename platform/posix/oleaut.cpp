// Automation strings as morvel uses them: made by SysAllocString, given back
// with SysFreeString. An automation string here is the text and its
// terminator in a block of the task allocator, so the failure switch reaches
// it; it carries no length prefix, since nothing reads one (SysStringLen and
// the other automation string functions are left out).
#include "platform/win32.h"

#include <cstring>
#include <cwchar>

BSTR SysAllocString(const OLECHAR* psz) {
    std::size_t bytes = (std::wcslen(psz) + 1) * sizeof(OLECHAR);
    BSTR text = static_cast<BSTR>(CoTaskMemAlloc(bytes));
    if (text != nullptr) {
        std::memcpy(text, psz, bytes);
    }
    return text;
}

void SysFreeString(BSTR bstrString) {
    CoTaskMemFree(bstrString);
}
