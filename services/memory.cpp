#include "services/memory.h"

#include <windows.h>

#include <charconv>
#include <cstring>

#include "frame/core/fatal.h"

// Formats without allocating (the heap has just said no) and with the whole
// size: a 64-bit request of 2 GiB or more must not be cut to an int.
void ReportOutOfMemory(std::size_t size) {
    static constexpr char kBefore[] = "分配 ", kAfter[] = " 字节内存失败!";
    char message[64];
    char* end = message + sizeof message - sizeof kAfter;
    std::memcpy(message, kBefore, sizeof kBefore - 1);
    char* digits = std::to_chars(message + sizeof kBefore - 1, end, size).ptr;
    std::memcpy(digits, kAfter, sizeof kAfter);
    ReportFatalError(message, 0, 0, 0);
}

void* Allocate(std::size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!block) ReportOutOfMemory(size);
    return block;
}

void* Resize(void* block, std::size_t size) {
    if (!block) return Allocate(size);
    void* grown = HeapReAlloc(GetProcessHeap(), 0, block, size);
    if (!grown) ReportOutOfMemory(size);
    return grown;
}

void Free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
