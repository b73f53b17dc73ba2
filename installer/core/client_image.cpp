#include "installer/core/client_image.h"

namespace {

constexpr std::uint16_t kMachineI386 = 0x014C, kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMagicPe32 = 0x010B, kMagicPe32Plus = 0x020B;
constexpr std::uint16_t kExecutableImage = 0x0002, kDll = 0x2000;

std::uint32_t Little(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

}  // namespace

bool IsWindowsProgramImage(std::span<const std::uint8_t> head) {
    if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') return false;
    std::uint32_t pe = Little(head, 0x3C, 4);
    // Signature, file header (20 bytes) and the optional header's magic.
    if (pe < 64 || pe > head.size() || head.size() - pe < 4 + 20 + 2) return false;
    if (Little(head, pe, 4) != 0x00004550) return false;  // "PE\0\0"
    auto machine = static_cast<std::uint16_t>(Little(head, pe + 4, 2));
    auto optionalSize = static_cast<std::uint16_t>(Little(head, pe + 20, 2));
    auto characteristics = static_cast<std::uint16_t>(Little(head, pe + 22, 2));
    auto magic = static_cast<std::uint16_t>(Little(head, pe + 24, 2));
    if (optionalSize < 2 || !(characteristics & kExecutableImage) || (characteristics & kDll)) return false;
    return (machine == kMachineI386 && magic == kMagicPe32) || (machine == kMachineAmd64 && magic == kMagicPe32Plus);
}
