// Encoding conversions on any byte string and any wide string. Every output
// buffer is a heap block of exactly the size the interface promises, so ASan
// sees a byte written past it. The expected ANSI (UTF-8 on POSIX) form of
// wide text comes from a small encoder here: each character encoded, each
// unit that is no character replaced by U+FFFD.
//
// The first input byte picks the case:
//   0: the rest as ANSI bytes, any of them;
//   1: characters decoded from the rest, as UTF-8, which must survive the
//      round trip unchanged;
//   2: two wide texts of any units, for the via-ANSI family and the wide
//      string wrappers.
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/alloc_fault.h"
#include "textutil/encoding.h"

namespace {

static_assert(sizeof(wchar_t) == 4, "this fuzzer runs on POSIX hosts, with 32-bit wide text");

bool IsCharacter(std::uint32_t u) {
    return u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF);
}

std::uint32_t Unit(wchar_t w) {
    return static_cast<std::uint32_t>(w);
}

std::string Utf8(const std::wstring& wide) {
    std::string out;
    for (wchar_t w : wide) {
        std::uint32_t u = Unit(w);
        if (!IsCharacter(u)) {
            u = 0xFFFD;
        }
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (u >> 18));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// The wide text after a trip through the code page.
std::wstring Normalised(const std::wstring& wide) {
    std::wstring out = wide;
    for (wchar_t& w : out) {
        if (!IsCharacter(Unit(w))) {
            w = static_cast<wchar_t>(0xFFFD);
        }
    }
    return out;
}

// A nonzero unit of any kind; characters only when anyUnit is false.
wchar_t NewUnit(FuzzInput& in, bool anyUnit) {
    for (;;) {
        std::uint32_t u;
        switch (in.Below(anyUnit ? 8 : 6)) {
        case 0:
        case 1:
            u = 1 + in.Below(0x7F);
            break;
        case 2:
            u = 0x80 + in.Word() % 0x780;
            break;
        case 3:
            u = 0x800 + in.Word() % 0xF800;
            break;
        case 4:
            u = 0x10000 + static_cast<std::uint32_t>(in.Int32()) % 0x100000;
            break;
        case 5:
            u = 0xFFFD + in.Below(3); // the replacement character and the last BMP ones
            break;
        case 6:
            u = 0xD800 + in.Word() % 0x800; // a lone surrogate
            break;
        default:
            u = static_cast<std::uint32_t>(in.Int32()); // anything, past U+10FFFF too
            break;
        }
        if (u != 0 && (anyUnit || IsCharacter(u))) {
            return static_cast<wchar_t>(u);
        }
        if (in.Empty()) {
            return L'x';
        }
    }
}

std::wstring NewWide(FuzzInput& in, bool anyUnit) {
    unsigned length = in.Below(8) == 0 ? in.Byte() + in.Byte() : in.Below(12);
    std::wstring text;
    for (unsigned i = 0; i < length && !in.Empty(); ++i) {
        text += NewUnit(in, anyUnit);
    }
    return text;
}

// Heap blocks of exactly n elements.
wchar_t* WideBlock(std::size_t n, const std::wstring& text = L"") {
    wchar_t* block = new wchar_t[n];
    for (std::size_t i = 0; i < n; ++i) {
        block[i] = L'#';
    }
    std::wmemcpy(block, text.c_str(), text.size() + 1 <= n ? text.size() + 1 : 0);
    return block;
}

char* ByteBlock(std::size_t n) {
    char* block = new char[n];
    std::memset(block, '#', n);
    return block;
}

std::wstring WideOf(const wchar_t* text, std::size_t n) {
    std::size_t length = wcsnlen(text, n);
    FUZZ_CHECK(length < n); // terminated inside the block
    return std::wstring(text, length);
}

std::string BytesOf(const char* text, std::size_t n) {
    std::size_t length = strnlen(text, n);
    FUZZ_CHECK(length < n);
    return std::string(text, length);
}

// AnsiToBstr with its first allocation (scratch) or second (the automation
// string) failing as the input picks; returns the text, or checks the
// failure.
void CheckAnsiToBstr(FuzzInput& in, const std::string& ansi, const std::wstring& expected) {
    BSTR sentinel = reinterpret_cast<BSTR>(&sentinel);
    BSTR out = sentinel;
    unsigned failAt = in.Below(4);
    failAt = failAt == 3 ? 0 : failAt;
    SetAllocFailure(failAt);
    HRESULT hr = AnsiToBstr(ansi.c_str(), out);
    long failures = AllocFailureCount();
    SetAllocFailure(0);
    if (failures > 0 && failAt == 1) {
        FUZZ_CHECK(hr == E_OUTOFMEMORY && out == sentinel);
        return;
    }
    FUZZ_CHECK(hr == S_OK);
    if (failures > 0) {
        FUZZ_CHECK(out == nullptr); // the automation string alone failed
        return;
    }
    FUZZ_CHECK(out != nullptr && out != sentinel);
    FUZZ_CHECK(std::wstring(out) == expected);
    SysFreeString(out);

    out = sentinel;
    FUZZ_CHECK(AnsiToBstr(nullptr, out) == S_FALSE && out == sentinel);
}

// WideToAnsi into a block of exactly the size of the ANSI form; with its
// allocation failing the block must stay as it was.
void CheckWideToAnsi(FuzzInput& in, const std::wstring& wide) {
    std::string expected = Utf8(wide);
    std::size_t n = expected.size() + 1;
    char* out = ByteBlock(n);
    bool failAlloc = in.Below(4) == 0;
    SetAllocFailure(failAlloc ? 1 : 0);
    HRESULT hr = WideToAnsi(wide.c_str(), out);
    SetAllocFailure(0);
    if (failAlloc) {
        FUZZ_CHECK(hr == E_OUTOFMEMORY);
        for (std::size_t i = 0; i < n; ++i) {
            FUZZ_CHECK(out[i] == '#');
        }
    } else {
        FUZZ_CHECK(hr == S_OK && BytesOf(out, n) == expected);
    }
    FUZZ_CHECK(WideToAnsi(nullptr, out) == S_FALSE);
    FUZZ_CHECK(WideToAnsiBuffer(nullptr, out) == 0);
    delete[] out;

    // The buffer form offers 2 x (length + 1) bytes and fails when the text
    // needs more.
    std::size_t offered = 2 * (wide.size() + 1);
    out = ByteBlock(offered);
    int count = WideToAnsiBuffer(wide.c_str(), out);
    if (expected.size() + 1 <= offered) {
        FUZZ_CHECK(count == static_cast<int>(expected.size()) + 1);
        FUZZ_CHECK(BytesOf(out, offered) == expected);
    } else {
        FUZZ_CHECK(count == 0);
    }
    delete[] out;
}

// AnsiToWideBuffer into length + 1 units; returns what it wrote.
std::wstring AnsiToWide(const std::string& ansi) {
    std::size_t n = ansi.size() + 1;
    wchar_t* out = WideBlock(n);
    FUZZ_CHECK(AnsiToWideBuffer(nullptr, out) == 0);
    int count = AnsiToWideBuffer(ansi.c_str(), out);
    FUZZ_CHECK(count >= 1 && static_cast<std::size_t>(count) <= n);
    std::wstring wide = WideOf(out, n);
    FUZZ_CHECK(wide.size() + 1 == static_cast<std::size_t>(count));
    delete[] out;
    return wide;
}

void AnyBytes(FuzzInput& in) {
    std::string rest = in.Rest();
    std::string ansi = rest.substr(0, rest.find('\0'));
    std::wstring wide = AnsiToWide(ansi);
    for (wchar_t w : wide) {
        FUZZ_CHECK(IsCharacter(Unit(w))); // ill-formed bytes become U+FFFD
    }
    // A second trip changes nothing more.
    FUZZ_CHECK(AnsiToWide(Utf8(wide)) == wide);
    FuzzInput choices(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    CheckAnsiToBstr(choices, ansi, wide);
    CheckWideToAnsi(choices, wide);
}

void ValidUtf8(FuzzInput& in) {
    std::wstring wide = NewWide(in, false);
    std::string ansi = Utf8(wide);
    FUZZ_CHECK(AnsiToWide(ansi) == wide);
    CheckAnsiToBstr(in, ansi, wide);
    CheckWideToAnsi(in, wide);
}

int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Unsigned order of units, a prefix first.
int Order(const std::wstring& a, const std::wstring& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] != b[i]) {
            return Unit(a[i]) < Unit(b[i]) ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool AllBelowSignBit(const std::wstring& text) {
    for (wchar_t w : text) {
        if (Unit(w) >= 0x80000000u) {
            return false;
        }
    }
    return true;
}

// A via-ANSI call with one of its allocations failing as the input picks:
// then E_OUTOFMEMORY and the destination untouched.
void CheckViaAnsi(FuzzInput& in, const std::wstring& a, const std::wstring& b) {
    unsigned failAt = in.Below(8);
    failAt = failAt > 4 ? 0 : failAt;

    // Copy into exactly the room of the source's text, over other text.
    std::size_t n = b.size() + 1;
    wchar_t* dest = WideBlock(n, a.size() < b.size() ? a : L"");
    std::wstring before(dest, n);
    SetAllocFailure(failAt);
    HRESULT hr = WideCopyViaAnsi(dest, b.c_str());
    bool failed = AllocFailureCount() > 0;
    SetAllocFailure(0);
    if (failed) {
        FUZZ_CHECK(hr == E_OUTOFMEMORY && std::wstring(dest, n) == before);
    } else {
        FUZZ_CHECK(hr == S_OK && WideOf(dest, n) == Normalised(b));
    }
    FUZZ_CHECK(WideCopyViaAnsi(dest, nullptr) == S_OK && WideOf(dest, n).empty());
    FUZZ_CHECK(WideCopyViaAnsi(nullptr, b.c_str()) == S_FALSE);
    delete[] dest;

    // Concatenation into exactly the room of the joined text.
    n = a.size() + b.size() + 1;
    dest = WideBlock(n, a);
    before.assign(dest, n);
    SetAllocFailure(failAt);
    hr = WideConcatViaAnsi(dest, b.c_str());
    failed = AllocFailureCount() > 0;
    SetAllocFailure(0);
    if (failed) {
        FUZZ_CHECK(hr == E_OUTOFMEMORY && std::wstring(dest, n) == before);
    } else {
        FUZZ_CHECK(hr == S_OK && WideOf(dest, n) == Normalised(a) + Normalised(b));
    }
    // A null operand is empty text; the destination still takes the trip.
    WideCopy(dest, a.c_str());
    FUZZ_CHECK(WideConcatViaAnsi(dest, nullptr) == S_OK && WideOf(dest, n) == Normalised(a));
    FUZZ_CHECK(WideConcatViaAnsi(nullptr, b.c_str()) == S_FALSE);
    delete[] dest;

    SetAllocFailure(failAt);
    hr = WideCompareViaAnsi(a.c_str(), b.c_str());
    failed = AllocFailureCount() > 0;
    SetAllocFailure(0);
    if (failed) {
        FUZZ_CHECK(hr == E_OUTOFMEMORY);
    } else {
        FUZZ_CHECK(hr == (Normalised(a) == Normalised(b) ? 0 : 1));
    }
    FUZZ_CHECK(WideCompareViaAnsi(a.c_str(), nullptr) == (a.empty() ? 0 : 1));
}

void CheckWrappers(const std::wstring& a, const std::wstring& b) {
    std::size_t n = a.size() + b.size() + 1;
    wchar_t* dest = WideBlock(n);
    FUZZ_CHECK(WideCopy(dest, a.c_str()) == dest && WideOf(dest, n) == a);
    FUZZ_CHECK(WideConcat(dest, b.c_str()) == dest && WideOf(dest, n) == a + b);
    delete[] dest;

    int ab = WideCompare(a.c_str(), b.c_str());
    int ba = WideCompare(b.c_str(), a.c_str());
    FUZZ_CHECK(ab >= -1 && ab <= 1 && ab == -ba);
    FUZZ_CHECK((ab == 0) == (a == b));
    if (AllBelowSignBit(a) && AllBelowSignBit(b)) {
        FUZZ_CHECK(ab == Sign(Order(a, b)));
    }
}

void AnyWide(FuzzInput& in) {
    std::wstring a = NewWide(in, true);
    std::wstring b = NewWide(in, true);
    CheckWideToAnsi(in, a);
    CheckViaAnsi(in, a, b);
    CheckWrappers(a, b);
    FUZZ_CHECK(AnsiToWide(Utf8(a)) == Normalised(a));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    switch (in.Below(3)) {
    case 0:
        AnyBytes(in);
        break;
    case 1:
        ValidUtf8(in);
        break;
    default:
        AnyWide(in);
        break;
    }
    return 0;
}
