#include "controls/mouse_pointer.h"

#include <cstdlib>
#include <cstring>

namespace {

struct DirectoryEntry {
    int width, height, hotspotX, hotspotY;
    std::uint32_t size, offset;
};

std::uint32_t Read(const Bytes& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

// The entry of an icon (type 1) or cursor (type 2) file nearest to `size`.
bool FindEntry(const Bytes& bytes, int type, int size, DirectoryEntry& best) {
    if (bytes.size() < 6 || Read(bytes, 0, 2) != 0 || Read(bytes, 2, 2) != static_cast<std::uint32_t>(type))
        return false;
    std::uint32_t count = Read(bytes, 4, 2);
    bool found = false;
    for (std::uint32_t i = 0; i < count && 6 + 16 * (i + 1) <= bytes.size(); ++i) {
        std::size_t at = 6 + 16 * i;
        DirectoryEntry entry{bytes[at] ? bytes[at] : 256,
                             bytes[at + 1] ? bytes[at + 1] : 256,
                             static_cast<int>(Read(bytes, at + 4, 2)),
                             static_cast<int>(Read(bytes, at + 6, 2)),
                             Read(bytes, at + 8, 4),
                             Read(bytes, at + 12, 4)};
        if (entry.offset > bytes.size() || entry.size > bytes.size() - entry.offset || entry.size < 40) continue;
        if (!found || std::abs(entry.width - size) < std::abs(best.width - size)) best = entry, found = true;
    }
    return found;
}

}  // namespace

IconHandle CursorFromBytes(const Bytes& bytes) {
    DirectoryEntry entry;
    if (!FindEntry(bytes, 2, GetSystemMetrics(SM_CXCURSOR), entry)) return IconHandle();
    // A cursor resource starts with its hot spot.
    Bytes resource(4 + entry.size);
    resource[0] = static_cast<std::uint8_t>(entry.hotspotX),
    resource[1] = static_cast<std::uint8_t>(entry.hotspotX >> 8);
    resource[2] = static_cast<std::uint8_t>(entry.hotspotY),
    resource[3] = static_cast<std::uint8_t>(entry.hotspotY >> 8);
    std::memcpy(resource.data() + 4, bytes.data() + entry.offset, entry.size);
    return IconHandle(CreateIconFromResourceEx(resource.data(), static_cast<DWORD>(resource.size()), FALSE, 0x00030000,
                                               0, 0, LR_DEFAULTCOLOR));
}

IconHandle IconFromBytes(const Bytes& bytes, int size) {
    DirectoryEntry entry;
    if (!FindEntry(bytes, 1, size, entry)) return IconHandle();
    Bytes image(bytes.begin() + entry.offset, bytes.begin() + entry.offset + entry.size);
    return IconHandle(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000, size,
                                               size, LR_DEFAULTCOLOR));
}
