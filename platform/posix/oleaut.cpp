#include "platform/win32.h"

#include <cstring>
#include <cwchar>

namespace {

const std::size_t kPrefix = sizeof(DWORD);

DWORD* PrefixOf(BSTR b) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(b) - kPrefix);
}

} // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) {
        return nullptr;
    }
    std::size_t len = std::wcslen(psz);
    // The byte count must fit its 32 bits, as on Windows.
    if (len > (0xFFFFFFFFu - kPrefix) / sizeof(OLECHAR) - 1) {
        return nullptr;
    }
    std::size_t bytes = len * sizeof(OLECHAR);
    // CoTaskMemAlloc's blocks are aligned for any type, so the text after
    // the 4-byte count is aligned for OLECHAR.
    char* block = static_cast<char*>(CoTaskMemAlloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    DWORD count = static_cast<DWORD>(bytes);
    std::memcpy(block, &count, kPrefix);
    BSTR text = reinterpret_cast<BSTR>(block + kPrefix);
    std::memcpy(text, psz, bytes + sizeof(OLECHAR));
    return text;
}

void SysFreeString(BSTR bstrString) {
    if (bstrString != nullptr) {
        CoTaskMemFree(PrefixOf(bstrString));
    }
}

UINT SysStringLen(BSTR pbstr) {
    if (pbstr == nullptr) {
        return 0;
    }
    return static_cast<UINT>(*PrefixOf(pbstr) / sizeof(OLECHAR));
}
