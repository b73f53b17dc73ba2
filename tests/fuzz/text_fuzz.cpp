// Text operations on arbitrary bytes: no out-of-bounds access, and the
// results keep their promises (a match starts on a character and matches).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "services/core/paths.h"
#include "services/core/text.h"

namespace {

bool StartsOnCharacter(std::string_view text, int position) {
    std::size_t at = 0;
    while (at + 1 < static_cast<std::size_t>(position)) at += IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    return at + 1 == static_cast<std::size_t>(position);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    int start = static_cast<std::int8_t>(data[0]);
    std::size_t split = data[1] % (size - 1) + 2;
    bool ignoreCase = data[2] & 1;
    std::string_view text(reinterpret_cast<const char*>(data) + 2, split - 2);
    std::string_view sought(reinterpret_cast<const char*>(data) + split, size - split);

    // The walk begins at start, so character boundaries count from there.
    int from = start < 1 ? 1 : start;
    int found = FindText(text, sought, start, ignoreCase);
    if (found > 0 && !sought.empty()) {
        Check(found >= from);
        Check(StartsOnCharacter(text.substr(static_cast<std::size_t>(from - 1)), found - from + 1));
        Check(found - 1 + sought.size() <= text.size());
        if (!ignoreCase) Check(text.substr(static_cast<std::size_t>(found - 1), sought.size()) == sought);
    }
    int last = FindTextLast(text, sought, std::nullopt, ignoreCase);
    if (last > 0 && !sought.empty()) Check(StartsOnCharacter(text, last) && (from > 1 || last >= found));

    Text replaced = ReplaceText(text, sought, sought, start, std::nullopt, !ignoreCase);
    if (!ignoreCase) Check(replaced == text);  // replacing a text by itself changes nothing
    Check(ToLowerText(text).size() == text.size());
    (void)MidText(text, start, static_cast<int>(sought.size()));
    (void)LeftText(text, start);
    (void)SplitProgramPath(text);
    (void)WithTrailingBackslash(text);
    (void)IsEmptyOrDriveRoot(text);
    return 0;
}
