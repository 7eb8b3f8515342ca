#include "textutil/encoding.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

// A block from the task allocator, freed on every way out of the scope.
class ScratchBlock {
  public:
    explicit ScratchBlock(std::size_t bytes) : p_(CoTaskMemAlloc(bytes)) {}
    ~ScratchBlock() { CoTaskMemFree(p_); }
    ScratchBlock(const ScratchBlock&) = delete;
    ScratchBlock& operator=(const ScratchBlock&) = delete;

    bool Failed() const { return p_ == nullptr; }
    char* Bytes() const { return static_cast<char*>(p_); }
    wchar_t* Wide() const { return static_cast<wchar_t*>(p_); }

  private:
    void* p_;
};

const wchar_t kEmptyWide[] = L"";

const wchar_t* TextOrEmpty(const wchar_t* text) {
    return text != nullptr ? text : kEmptyWide;
}

// Bytes of the ANSI form of text, terminator included.
std::size_t AnsiSize(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    return n > 0 ? static_cast<std::size_t>(n) : 1;
}

// Writes the n bytes of ansi (terminator included) back into dest as wide
// text.
void StoreWide(const char* ansi, wchar_t* dest) {
    int n = lstrlenA(ansi) + 1;
    MultiByteToWideChar(CP_ACP, 0, ansi, n, dest, n);
}

} // namespace

HRESULT AnsiToBstr(const char* ansi, BSTR& out) {
    if (ansi == nullptr) {
        return S_FALSE;
    }
    std::size_t len = std::strlen(ansi);
    if (len >= INT_MAX) {
        return E_OUTOFMEMORY;
    }
    int n = static_cast<int>(len) + 1;
    // No more wide units than bytes, so n units hold the text.
    ScratchBlock scratch(static_cast<std::size_t>(n) * sizeof(wchar_t));
    if (scratch.Failed()) {
        return E_OUTOFMEMORY;
    }
    if (MultiByteToWideChar(CP_ACP, 0, ansi, n, scratch.Wide(), n) == 0) {
        scratch.Wide()[0] = L'\0';
    }
    out = SysAllocString(scratch.Wide());
    return S_OK;
}

HRESULT WideToAnsi(const wchar_t* wide, char* out) {
    if (wide == nullptr) {
        return S_FALSE;
    }
    std::size_t len = std::wcslen(wide);
    if (len >= INT_MAX) {
        return E_OUTOFMEMORY;
    }
    int n = static_cast<int>(len) + 1;
    // Sized by the conversion itself: a UTF-8 page needs up to 4 bytes for
    // one wide unit, more than the 2 of a double-byte page.
    std::size_t size = AnsiSize(wide);
    ScratchBlock scratch(size);
    if (scratch.Failed()) {
        return E_OUTOFMEMORY;
    }
    if (WideCharToMultiByte(CP_ACP, 0, wide, n, scratch.Bytes(), static_cast<int>(size), nullptr,
                            nullptr) == 0) {
        scratch.Bytes()[0] = '\0';
    }
    std::strcpy(out, scratch.Bytes());
    return S_OK;
}

HRESULT WideCopyViaAnsi(wchar_t* dest, const wchar_t* src) {
    if (dest == nullptr) {
        return S_FALSE;
    }
    src = TextOrEmpty(src);
    std::size_t size = AnsiSize(src);
    ScratchBlock first(size);
    ScratchBlock second(size);
    if (first.Failed() || second.Failed()) {
        return E_OUTOFMEMORY;
    }
    if (WideToAnsi(src, second.Bytes()) != S_OK) {
        return E_OUTOFMEMORY;
    }
    lstrcpyA(first.Bytes(), second.Bytes());
    StoreWide(first.Bytes(), dest);
    return S_OK;
}

HRESULT WideConcatViaAnsi(wchar_t* dest, const wchar_t* src) {
    if (dest == nullptr) {
        return S_FALSE;
    }
    src = TextOrEmpty(src);
    std::size_t destSize = AnsiSize(dest);
    std::size_t srcSize = AnsiSize(src);
    ScratchBlock first(destSize + srcSize - 1);
    ScratchBlock second(srcSize);
    if (first.Failed() || second.Failed()) {
        return E_OUTOFMEMORY;
    }
    if (WideToAnsi(src, second.Bytes()) != S_OK || WideToAnsi(dest, first.Bytes()) != S_OK) {
        return E_OUTOFMEMORY;
    }
    lstrcatA(first.Bytes(), second.Bytes());
    StoreWide(first.Bytes(), dest);
    return S_OK;
}

HRESULT WideCompareViaAnsi(const wchar_t* a, const wchar_t* b) {
    a = TextOrEmpty(a);
    b = TextOrEmpty(b);
    ScratchBlock first(AnsiSize(a));
    ScratchBlock second(AnsiSize(b));
    if (first.Failed() || second.Failed()) {
        return E_OUTOFMEMORY;
    }
    if (WideToAnsi(b, second.Bytes()) != S_OK || WideToAnsi(a, first.Bytes()) != S_OK) {
        return E_OUTOFMEMORY;
    }
    return lstrcmpA(first.Bytes(), second.Bytes()) == 0 ? 0 : 1;
}

int AnsiToWideBuffer(const char* ansi, wchar_t* out) {
    // lstrlenA counts a null input as empty; the platform then refuses it.
    int n = lstrlenA(ansi) + 1;
    return MultiByteToWideChar(CP_ACP, 0, ansi, n, out, n);
}

int WideToAnsiBuffer(const wchar_t* wide, char* out) {
    int n = wide != nullptr ? static_cast<int>(std::wcslen(wide)) + 1 : 1;
    return WideCharToMultiByte(CP_ACP, 0, wide, n, out, 2 * n, nullptr, nullptr);
}

wchar_t* WideCopy(wchar_t* dest, const wchar_t* src) {
    return std::wcscpy(dest, src);
}

wchar_t* WideConcat(wchar_t* dest, const wchar_t* src) {
    return std::wcscat(dest, src);
}

int WideCompare(const wchar_t* a, const wchar_t* b) {
    int r = std::wcscmp(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
