// Every C++ allocation of the program comes from the process heap, and its
// exhaustion is the same fatal report as that of Allocate: no bad_alloc ever
// reaches a window procedure or a thread entry.
#include <windows.h>

#include <new>

#include "services/memory.h"

void* operator new(std::size_t size) { return Allocate(size == 0 ? 1 : size); }
void* operator new[](std::size_t size) { return Allocate(size == 0 ? 1 : size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
