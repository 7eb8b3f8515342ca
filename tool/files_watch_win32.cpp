// Windows form of the write watch: the directory's change notifications.
#include "tool/files.h"

#include "tool/win32_support.h"

#include <cstring>
#include <vector>

// The directory's change notifications, read without waiting once the
// converter has ended: a write to the name shows there even where the
// stamps cannot tell (FAT keeps times to 2 seconds).
struct WriteWatch {
    HANDLE dir = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped;
    std::vector<DWORD> buffer; // DWORD-aligned, as the records must be
    std::wstring leaf;         // folded
};

namespace {

const DWORD kWatchFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

bool WatchNext(WriteWatch* watch) {
    std::memset(&watch->overlapped, 0, sizeof watch->overlapped);
    watch->overlapped.hEvent = watch->event;
    ResetEvent(watch->event);
    return ReadDirectoryChangesW(watch->dir, watch->buffer.data(),
                                 static_cast<DWORD>(watch->buffer.size() * sizeof(DWORD)), FALSE,
                                 kWatchFilter, nullptr, &watch->overlapped, nullptr) != FALSE;
}

void CloseWatch(WriteWatch* watch) {
    if (watch->event != nullptr) {
        CloseHandle(watch->event);
    }
    if (watch->dir != INVALID_HANDLE_VALUE) {
        CloseHandle(watch->dir);
    }
    delete watch;
}

} // namespace

WriteWatch* StartWriteWatch(const std::string&, const FileStamp& stamp) {
    if (!stamp.located) {
        return nullptr;
    }
    WriteWatch* watch = new WriteWatch;
    watch->buffer.resize(16384);
    watch->leaf = Wide(stamp.leaf, CP_UTF8);
    watch->dir =
        CreateFileW(Wide(stamp.directory).c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    watch->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (watch->dir == INVALID_HANDLE_VALUE || watch->event == nullptr || watch->leaf.empty() ||
        !WatchNext(watch)) {
        CloseWatch(watch);
        return nullptr;
    }
    return watch;
}

int EndWriteWatch(WriteWatch* watch) {
    if (watch == nullptr) {
        return -1;
    }
    bool seen = false, lost = false, pending = true;
    // What came in while the converter ran: each batch read, and the next
    // asked for, until none is waiting.
    for (int batches = 0; !seen && batches < 64; ++batches) {
        if (WaitForSingleObject(watch->event, batches == 0 ? 0 : 50) != WAIT_OBJECT_0) {
            break;
        }
        DWORD bytes = 0;
        pending = false;
        if (!GetOverlappedResult(watch->dir, &watch->overlapped, &bytes, FALSE)) {
            lost = true;
            break;
        }
        if (bytes == 0) {
            lost = true; // more changes than the buffer held
        }
        const char* at = reinterpret_cast<const char*>(watch->buffer.data());
        for (DWORD offset = 0; bytes > 0 && offset < bytes;) {
            const FILE_NOTIFY_INFORMATION* info =
                reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at + offset);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            seen = seen || Folded(name) == watch->leaf;
            if (info->NextEntryOffset == 0) {
                break;
            }
            offset += info->NextEntryOffset;
        }
        pending = !seen && WatchNext(watch);
        if (!pending) {
            break;
        }
    }
    if (pending) {
        // The request must be over before its buffer goes.
        DWORD bytes = 0;
        CancelIo(watch->dir);
        GetOverlappedResult(watch->dir, &watch->overlapped, &bytes, TRUE);
    }
    CloseWatch(watch);
    return seen ? 1 : (lost ? -1 : 0);
}
