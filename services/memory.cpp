#include "services/memory.h"

#include <windows.h>

#include <cstdio>

#include "frame/core/fatal.h"

void ReportOutOfMemory(std::size_t size) {
    char message[64];
    std::snprintf(message, sizeof message, "分配 %d 字节内存失败!", static_cast<int>(size));
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
