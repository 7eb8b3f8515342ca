// StringList: an ordered list of short 8-bit texts, each copied into a
// 255-byte slot of its own (at most 254 characters and the terminator).
//
// The list owns every slot (COM task allocator) and the LinkedList that keeps
// their order; GetAt lends a slot's address, valid until that entry is
// removed. Swap and Sort move texts between slots and never move slots, so a
// lent address shows whatever text later stands at its position.
//
// Texts compare byte by byte as unsigned values: case-sensitive, upper case
// before lower case, a text before every longer text that begins with it.
//
// Flags: rejectDuplicates (default 0) makes Add refuse a text already held;
// acceptEmpty (default 1) admits the empty text. They affect later Adds only.
#pragma once

#include <cstdint>

class LinkedList;

class StringList {
  public:
    // Bytes in one slot; a text holds at most SlotSize - 1 characters.
    static const int SlotSize = 255;

    StringList();
    ~StringList();
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    std::int32_t GetCount() const;

    // The entry's text, or null when index is outside 0..count-1.
    char* GetAt(std::int32_t index);

    void SetRejectDuplicates(std::int32_t value) { rejectDuplicates = value; }
    void SetAcceptEmpty(std::int32_t value) { acceptEmpty = value; }

    // 1 when a copy of text became the new last entry; 0 when it was refused:
    // null, empty while empty texts are refused, already held while duplicates
    // are refused, longer than 254 characters (never truncated), or no memory
    // for its slot or node. A refusal changes nothing.
    int Add(const char* text);

    // 1 when the entry was removed and its slot freed, 0 when index is out of
    // range.
    int RemoveAt(std::int32_t index);

    void RemoveAll();

    // Exchanges the texts of two entries; nothing happens when either index is
    // out of range.
    void Swap(std::int32_t index1, std::int32_t index2);

    // Exchange sort of the texts in place: ascending when nonzero, descending
    // when 0. Equal texts are never exchanged. Meant for short lists.
    void Sort(std::int32_t ascending);

    // The lowest position whose text equals text (partial 0) or contains it
    // (partial nonzero), or -1.
    std::int32_t Find(const char* text, std::int32_t partial);

  private:
    LinkedList* list; // null only when it could not be allocated
    std::int32_t rejectDuplicates;
    std::int32_t acceptEmpty;
};
