#include "containers/string_list.h"

#include <cstring>
#include <new>

#include "containers/linked_list.h"
#include "platform/win32.h"

namespace {

// Byte order, each byte unsigned; strcmp promises exactly that.
int CompareText(const char* a, const char* b) {
    return std::strcmp(a, b);
}

void ExchangeTexts(char* a, char* b) {
    char temp[StringList::SlotSize + 1];
    std::strcpy(temp, a);
    std::strcpy(a, b);
    std::strcpy(b, temp);
}

} // namespace

// Without its LinkedList the object still behaves as an empty list that
// refuses every Add.
StringList::StringList()
    : list(new (std::nothrow) LinkedList), rejectDuplicates(0), acceptEmpty(1) {}

StringList::~StringList() {
    RemoveAll();
    delete list;
}

std::int32_t StringList::GetCount() const {
    return list != nullptr ? list->GetCount() : 0;
}

char* StringList::GetAt(std::int32_t index) {
    return list != nullptr ? static_cast<char*>(list->GetAt(index)) : nullptr;
}

int StringList::Add(const char* text) {
    if (list == nullptr || text == nullptr) {
        return 0;
    }
    std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(SlotSize - 1)) {
        return 0;
    }
    if (acceptEmpty == 0 && length == 0) {
        return 0;
    }
    if (rejectDuplicates != 0) {
        std::int32_t count = list->GetCount();
        for (std::int32_t i = 0; i < count; ++i) {
            if (CompareText(GetAt(i), text) == 0) {
                return 0;
            }
        }
    }
    char* slot = static_cast<char*>(CoTaskMemAlloc(SlotSize));
    if (slot == nullptr) {
        return 0;
    }
    std::memcpy(slot, text, length + 1);
    std::int32_t before = list->GetCount();
    list->Append(slot);
    if (list->GetCount() == before) {
        CoTaskMemFree(slot); // no node for it
        return 0;
    }
    return 1;
}

int StringList::RemoveAt(std::int32_t index) {
    char* slot = GetAt(index);
    if (slot == nullptr) {
        return 0;
    }
    CoTaskMemFree(slot);
    return list->RemoveAt(index);
}

void StringList::RemoveAll() {
    if (list == nullptr) {
        return;
    }
    std::int32_t count = list->GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        CoTaskMemFree(list->GetAt(i));
    }
    list->RemoveAll();
}

void StringList::Swap(std::int32_t index1, std::int32_t index2) {
    char* first = GetAt(index1);
    char* second = GetAt(index2);
    if (first == nullptr || second == nullptr) {
        return;
    }
    if (first != second) {
        ExchangeTexts(first, second);
    }
}

void StringList::Sort(std::int32_t ascending) {
    std::int32_t count = GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        // Slots never move, so the text at i is read once per pass and every
        // later position is one cursor step from the one before.
        char* a = GetAt(i);
        for (std::int32_t j = i + 1; j < count; ++j) {
            char* b = GetAt(j);
            int order = CompareText(a, b);
            if (ascending != 0 ? order > 0 : order < 0) {
                ExchangeTexts(a, b);
            }
        }
    }
}

std::int32_t StringList::Find(const char* text, std::int32_t partial) {
    if (text == nullptr) {
        return -1;
    }
    std::int32_t count = GetCount();
    for (std::int32_t i = 0; i < count; ++i) {
        const char* entry = GetAt(i);
        bool match =
            partial != 0 ? std::strstr(entry, text) != nullptr : CompareText(entry, text) == 0;
        if (match) {
            return i;
        }
    }
    return -1;
}
