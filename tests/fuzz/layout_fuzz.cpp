// The layout reader on arbitrary bytes: never out of bounds, and whatever it
// accepts survives writing and reading again unchanged.
#include <cstdlib>

#include "frame/core/layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::optional<LayoutDescription> layout = ReadLayout(std::span(data, size));
    if (!layout) return 0;
    std::optional<LayoutDescription> again = ReadLayout(WriteLayout(*layout));
    if (!again || !(*again == *layout)) std::abort();
    return 0;
}
