// Conversions of arbitrary bytes: texts to numbers and byte arrays back to
// values, walking the position to the end.
#include <cstddef>
#include <cstdint>

#include "services/core/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    (void)ToInteger(text);
    (void)FoldFullWidth(text);

    Bytes bytes(data + 1, data + size);
    int kind = data[0] % 10 + 1;
    int position = 1;
    for (int steps = 0; position != -1 && steps < 4096; ++steps) {
        Value value = BytesToValue(bytes, kind, &position);
        if (auto* when = std::get_if<DateTime>(&value)) (void)ToText(*when);
        kind = kind % 10 + 1;
    }
    return 0;
}
