#pragma once
// Raw blocks from the process heap. Exhaustion is a fatal error
// ("分配 %d 字节内存失败!"), so callers never see a null block.
#include <cstddef>

void* Allocate(std::size_t size);
// None allocates; the contents are kept up to the smaller size.
void* Resize(void* block, std::size_t size);
// None is ignored.
void Free(void* block);

// Reports the exhaustion of the heap for a request of `size` bytes.
[[noreturn]] void ReportOutOfMemory(std::size_t size);
