// Response headers from outside: the block found lies inside the received
// bytes and parsing it never reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "download/core/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view received(reinterpret_cast<const char*>(data), size);
    std::optional<HeaderBlock> block = FindHeaderBlock(received);
    if (block) {
        if (block->start >= block->end || block->end > size) std::abort();
        HttpResponse response = ParseHttpResponse(received.substr(block->start, block->end - block->start));
        if (response.contentLength < -1) std::abort();
        // A range taken for the one asked for is that range of that file.
        if (response.range && AnswersRange(response, response.range->first, response.range->total) &&
            (response.range->last < response.range->first || response.range->last >= response.range->total))
            std::abort();
    }
    if (std::optional<ContentRange> range = ParseContentRange(received))
        if (range->last < range->first || (range->total >= 0 && range->total <= range->last)) std::abort();
    (void)ParseHttpResponse(received);
    (void)DispositionFileName(received);
    return 0;
}
