#include "containers/linked_list.h"

#include "platform/win32.h"

LinkedList::LinkedList() : count(0) {
    // count is 0 first, so RemoveAll only lays out the sentinels.
    RemoveAll();
}

LinkedList::~LinkedList() {
    RemoveAll();
}

ListNode* LinkedList::NodeAt(std::int32_t index) {
    ListNode* node = nullptr;
    if (index != count - 1 && index == cursorIndex + 1) {
        node = cursor->next;
    } else if (index != 0 && index == cursorIndex - 1) {
        node = cursor->prev;
    } else if (index > count / 2) {
        node = &tail;
        for (std::int32_t pos = count; pos > index && node != nullptr; --pos) {
            node = node->prev;
        }
    } else {
        node = &head;
        for (std::int32_t step = 0; step < index + 1 && node != nullptr; ++step) {
            node = node->next;
        }
    }
    if (node != nullptr) {
        cursor = node;
        cursorIndex = index;
    }
    return node;
}

ListNode* LinkedList::NewNode() {
    return static_cast<ListNode*>(CoTaskMemAlloc(sizeof(ListNode)));
}

void LinkedList::LinkAtEnd(ListNode* node, void* item) {
    ListNode* last = tail.prev;
    node->prev = last;
    node->next = &tail;
    node->item = item;
    last->next = node;
    tail.prev = node;
    ++count;
}

void* LinkedList::GetAt(std::int32_t index) {
    if (index < 0 || index > count - 1) {
        return nullptr;
    }
    ListNode* node = NodeAt(index);
    return node != nullptr ? node->item : nullptr;
}

void LinkedList::Append(void* item) {
    ListNode* node = NewNode();
    if (node == nullptr) {
        return; // nothing changes; the caller sees the count unchanged
    }
    LinkAtEnd(node, item);
}

int LinkedList::InsertAt(std::int32_t index, void* item) {
    bool emptyFirst = count == 0 && index == 0;
    if (!emptyFirst && (index < 0 || index > count - 1)) {
        return 0;
    }
    ListNode* node = NewNode();
    if (node == nullptr) {
        return 0;
    }
    if (index == count - 1) {
        LinkAtEnd(node, item);
        return 1;
    }
    ListNode* before = index == 0 ? &head : NodeAt(index - 1);
    ListNode* after = NodeAt(index);
    node->prev = before;
    node->next = after;
    node->item = item;
    before->next = node;
    after->prev = node;
    ++count;
    // The cursor stays at position index, which the new node now holds.
    cursor = node;
    cursorIndex = index;
    return 1;
}

int LinkedList::RemoveAt(std::int32_t index) {
    if (index < 0 || index > count - 1) {
        return 0;
    }
    // The cursor rests on the predecessor, which the removal leaves in place.
    ListNode* before = NodeAt(index - 1);
    ListNode* victim = before->next;
    before->next = victim->next;
    victim->next->prev = before;
    CoTaskMemFree(victim);
    --count;
    return 1;
}

int LinkedList::Swap(std::int32_t index1, std::int32_t index2) {
    if (index1 < 0 || index1 > count - 1 || index2 < 0 || index2 > count - 1) {
        return 0;
    }
    ListNode* first = NodeAt(index1);
    ListNode* second = NodeAt(index2);
    void* item = first->item;
    first->item = second->item;
    second->item = item;
    return 1;
}

void LinkedList::RemoveAll() {
    while (count > 0) {
        RemoveAt(count - 1);
    }
    head.prev = nullptr;
    head.next = &tail;
    head.item = nullptr;
    tail.prev = &head;
    tail.next = nullptr;
    tail.item = nullptr;
    cursor = &head;
    cursorIndex = -1;
}
