// The installer's checks of outside input on arbitrary bytes: the folder
// text (typed, or the folder a copy of the program was started from) and
// the first bytes of a downloaded client. No out-of-bounds access, and an
// accepted folder keeps its promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "installer/core/client_image.h"
#include "installer/core/install_folder.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)IsWindowsProgramImage(std::span<const std::uint8_t>(data, size));
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Text resolved = ResolveFolderText(text);
    Check(resolved.empty() || (resolved.size() >= 3 && resolved[1] == ':' && resolved[2] == '\\'));
    Check(ResolveFolderText(resolved) == resolved);  // resolving twice changes nothing
    const std::vector<Text> kept = {"C:\\Windows", "C:\\Users\\a"};
    if (std::optional<Text> accepted = AcceptedFolder(text, kept)) {
        Check(*accepted == resolved && resolved.size() > 3 && IsUsableFolderText(*accepted));
    }
    return 0;
}
