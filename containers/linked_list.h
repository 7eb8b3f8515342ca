// LinkedList: a doubly linked list of untyped item pointers with a positional
// cursor.
//
// The list owns its nodes (each a block of its own from the COM task
// allocator) and never its items: it stores and hands back the pointers
// unchanged and never reads, copies or frees what they point to.
//
// The head and tail sentinels live inside the object and the nodes link to
// them, so a LinkedList is neither copied nor moved.
//
// Positions are 0-based. The cursor remembers the node last found by position,
// so the neighbouring positions of the last lookup cost one link step; any
// other position walks from the nearer end. Reading moves the cursor, so even
// readers must not share a list across threads.
#pragma once

#include <cstdint>

struct ListNode {
    ListNode* prev; // null only in the head sentinel
    ListNode* next; // null only in the tail sentinel
    void* item;     // null in both sentinels
};

class LinkedList {
  public:
    LinkedList();
    ~LinkedList();
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;

    std::int32_t GetCount() const { return count; }

    // The item at index, or null when index is outside 0..count-1. Moves the
    // cursor to index.
    void* GetAt(std::int32_t index);

    // Adds item after the last one; leaves the cursor alone. When no node can
    // be allocated the list stays as it was (GetCount tells).
    void Append(void* item);

    // 1 when added, 0 when index is outside 0..count-1 (an empty list accepts
    // 0) or no node could be allocated. Index count-1 appends after the last
    // item; a smaller index puts the item at that position, before the item
    // that was there.
    int InsertAt(std::int32_t index, void* item);

    // 1 when the node at index was unlinked and freed, 0 when index is outside
    // 0..count-1. The item itself is not freed.
    int RemoveAt(std::int32_t index);

    // Exchanges the items at the two positions (the nodes stay); 1 on success,
    // 0 when either is outside 0..count-1. Equal positions change nothing.
    int Swap(std::int32_t index1, std::int32_t index2);

    // Frees every node, last first, and returns to the constructed state.
    void RemoveAll();

  private:
    // The node at index (-1 .. count-1), made the cursor; null when a walk
    // meets a null link, leaving the cursor alone.
    ListNode* NodeAt(std::int32_t index);
    ListNode* NewNode();
    void LinkAtEnd(ListNode* node, void* item);

    ListNode head;
    ListNode tail;
    std::int32_t count;
    ListNode* cursor;
    std::int32_t cursorIndex; // -1 stands for the head sentinel
};
