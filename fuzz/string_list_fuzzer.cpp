// StringList against a model of (text, slot address) pairs. Texts come from
// a small alphabet, so duplicates, substrings and ties in the sort are
// common, with a few long ones around the 254-character limit. Slot addresses
// are in the model because the list promises that slots never move: Swap and
// Sort move texts, and an address lent by GetAt keeps naming its position.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "containers/string_list.h"
#include "fuzz/fuzz_support.h"
#include "platform/alloc_fault.h"

namespace {

const std::int32_t MaxEntries = 40; // Sort is quadratic in reads
const std::size_t MaxText = StringList::SlotSize - 1;

struct Entry {
    std::string text;
    char* slot;
};

// Unsigned byte order up to the terminator, as the list compares.
bool Less(const std::string& a, const std::string& b) {
    return std::strcmp(a.c_str(), b.c_str()) < 0;
}

struct Run {
    FuzzInput in;
    StringList list;
    std::vector<Entry> model;
    bool rejectDuplicates = false;
    bool acceptEmpty = true;

    Run(const std::uint8_t* data, std::size_t size) : in(data, size) {}

    std::int32_t Count() const { return static_cast<std::int32_t>(model.size()); }

    bool InRange(std::int32_t index) const { return index >= 0 && index < Count(); }

    std::string Text() {
        static const char alphabet[] = {'a', 'b', 'A', 'B', ' ', '\x01', '\x7f', '\x80', '\xff'};
        auto letter = [&] { return alphabet[in.Below(sizeof alphabet)]; };
        std::uint8_t shape = in.Byte();
        std::string text;
        if (shape < 232) {
            unsigned length = shape % 6;
            for (unsigned i = 0; i < length; ++i) {
                text += letter();
            }
        } else {
            // 250..261 characters, one repeated letter and a last one of its own.
            text.assign(250 + (shape - 232) % 12 - 1, letter());
            text += letter();
        }
        return text;
    }

    bool Held(const std::string& text) const {
        for (const Entry& e : model) {
            if (e.text == text) {
                return true;
            }
        }
        return false;
    }

    void Add() {
        if (Count() >= MaxEntries) {
            return;
        }
        std::string text = Text();
        bool accept = text.size() <= MaxText && (acceptEmpty || !text.empty()) &&
                      !(rejectDuplicates && Held(text));
        // 0: no failure; 1: the first allocation of the Add (its slot); 2: the
        // second (its node).
        unsigned failAt = in.Below(4);
        failAt = failAt == 3 ? 0 : failAt;
        SetAllocFailure(failAt);
        int result = list.Add(text.c_str());
        bool failed = AllocFailureCount() > 0;
        SetAllocFailure(0);
        if (failed || !accept) {
            FUZZ_CHECK(result == 0);
            return;
        }
        FUZZ_CHECK(result == 1);
        char* slot = list.GetAt(Count());
        FUZZ_CHECK(slot != nullptr);
        for (const Entry& e : model) {
            FUZZ_CHECK(e.slot != slot);
        }
        model.push_back({text, slot});
    }

    void RemoveAt() {
        std::int32_t index = in.Index(Count());
        bool ok = InRange(index);
        FUZZ_CHECK(list.RemoveAt(index) == (ok ? 1 : 0));
        if (ok) {
            model.erase(model.begin() + index);
        }
    }

    void Swap() {
        std::int32_t i = in.Index(Count());
        std::int32_t j = in.Index(Count());
        list.Swap(i, j);
        if (InRange(i) && InRange(j)) {
            std::swap(model[i].text, model[j].text);
        }
    }

    void Sort() {
        bool ascending = in.Below(2) == 0;
        // Any nonzero value means ascending.
        list.Sort(ascending ? 1 + in.Below(3) : 0);
        std::vector<std::string> texts;
        for (const Entry& e : model) {
            texts.push_back(e.text);
        }
        std::sort(texts.begin(), texts.end(), Less);
        if (!ascending) {
            std::reverse(texts.begin(), texts.end());
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            model[i].text = texts[i];
        }
    }

    void Find() {
        bool partial = in.Below(2) == 1;
        std::string text = Text();
        std::int32_t expected = -1;
        for (std::int32_t i = 0; i < Count() && expected < 0; ++i) {
            const std::string& entry = model[i].text;
            if (partial ? entry.find(text) != std::string::npos : entry == text) {
                expected = i;
            }
        }
        FUZZ_CHECK(list.Find(text.c_str(), partial ? 1 : 0) == expected);
        FUZZ_CHECK(list.Find(nullptr, partial ? 1 : 0) == -1);
    }

    // The caller may write a new text into a lent slot.
    void WriteThroughSlot() {
        std::int32_t index = in.Index(Count());
        char* slot = list.GetAt(index);
        if (!InRange(index)) {
            FUZZ_CHECK(slot == nullptr);
            return;
        }
        FUZZ_CHECK(slot == model[index].slot);
        std::string text = Text().substr(0, MaxText);
        std::memcpy(slot, text.c_str(), text.size() + 1);
        model[index].text = text;
    }

    void SetFlags() {
        std::int32_t value = in.Below(4) == 0 ? in.Int32() : static_cast<std::int32_t>(in.Below(2));
        if (in.Below(2) == 0) {
            list.SetRejectDuplicates(value);
            rejectDuplicates = value != 0;
        } else {
            list.SetAcceptEmpty(value);
            acceptEmpty = value != 0;
        }
    }

    void Read(std::int32_t index) {
        char* slot = list.GetAt(index);
        if (!InRange(index)) {
            FUZZ_CHECK(slot == nullptr);
            return;
        }
        FUZZ_CHECK(slot == model[index].slot);
        FUZZ_CHECK(std::strlen(slot) == model[index].text.size());
        FUZZ_CHECK(model[index].text == slot);
    }

    void CheckAll() {
        FUZZ_CHECK(list.GetCount() == Count());
        Read(in.Index(Count()));
        bool forward = in.Below(2) == 0;
        for (std::int32_t k = 0; k < Count(); ++k) {
            Read(forward ? k : Count() - 1 - k);
        }
        Read(-1);
        Read(Count());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run run(data, size);
    while (!run.in.Empty()) {
        switch (run.in.Below(10)) {
        case 0:
        case 1:
        case 2:
            run.Add();
            break;
        case 3:
            run.RemoveAt();
            break;
        case 4:
            run.Swap();
            break;
        case 5:
            run.Sort();
            break;
        case 6:
            run.Find();
            break;
        case 7:
            run.WriteThroughSlot();
            break;
        case 8:
            run.SetFlags();
            break;
        default:
            if (run.in.Below(4) == 0) {
                run.list.RemoveAll();
                run.model.clear();
            }
            break;
        }
        run.CheckAll();
    }
    return 0;
}
