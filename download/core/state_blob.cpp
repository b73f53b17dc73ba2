#include "download/core/state_blob.h"

#include <cstring>

std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

namespace {

void PutWord(Bytes& blob, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) blob[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetWord(std::span<const std::uint8_t> blob, std::size_t at) {
    return blob[at] | blob[at + 1] << 8 | blob[at + 2] << 16 | static_cast<std::uint32_t>(blob[at + 3]) << 24;
}

}  // namespace

Bytes BuildTaskStateBlob(const SegmentTable& segments, const TaskStateTexts& texts, int protocol,
                         std::string_view address, int port, std::int32_t fileSize) {
    const std::size_t capacity = static_cast<std::size_t>(segments.capacity());
    const std::size_t p = 16 + 28 * capacity;
    // The blob grows with the table and the texts; nothing is cut.
    Bytes blob(p + 108, 0);
    PutWord(blob, 0, static_cast<std::uint32_t>(segments.count()));
    PutWord(blob, 4, static_cast<std::uint32_t>(capacity));
    PutWord(blob, 8, static_cast<std::uint32_t>(segments.fileSize()));
    for (std::size_t i = 0; i < capacity; ++i) {
        const Segment& s = segments[static_cast<int>(i)];
        const std::int32_t words[7] = {s.inUse, s.split, s.threadId, s.start, s.length, s.written, s.connection};
        for (int w = 0; w < 7; ++w) PutWord(blob, 16 + 28 * i + 4 * w, static_cast<std::uint32_t>(words[w]));
    }
    PutWord(blob, p + 28, static_cast<std::uint32_t>(protocol));
    std::memcpy(blob.data() + p + 32, address.data(), std::min<std::size_t>(address.size(), 15));
    PutWord(blob, p + 48, static_cast<std::uint32_t>(port));
    PutWord(blob, p + 104, static_cast<std::uint32_t>(fileSize));

    // Texts in the order host, target, referer, user agent, extra header; each
    // word of the text table holds its offset, 0 for an absent one.
    struct Slot {
        const std::optional<Text>* text;
        std::size_t word;
    } slots[] = {
        {&texts.host, 2}, {&texts.target, 1}, {&texts.referer, 3}, {&texts.userAgent, 4}, {&texts.extraHeader, 6}};
    for (const Slot& slot : slots) {
        if (!*slot.text) continue;
        PutWord(blob, p + 4 * slot.word, static_cast<std::uint32_t>(blob.size()));
        blob.insert(blob.end(), (*slot.text)->begin(), (*slot.text)->end());
        blob.push_back(0);
    }
    std::uint16_t crc = Crc16Arc(blob);
    blob.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    blob.push_back(static_cast<std::uint8_t>(crc >> 8));
    return blob;
}

BlobProgress ReadBlobProgress(std::span<const std::uint8_t> blob) {
    BlobProgress progress;
    if (blob.size() < 16) return progress;
    progress.fileSize = GetWord(blob, 8);
    std::uint32_t count = GetWord(blob, 0);
    if (count == 0 || (blob.size() - 16) / 28 < count) return progress;
    progress.complete = true;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t at = 16 + 28 * static_cast<std::size_t>(i);
        auto length = static_cast<std::int32_t>(GetWord(blob, at + 16));
        auto written = static_cast<std::int32_t>(GetWord(blob, at + 20));
        if (written < length) progress.complete = false;
        progress.written += written > 0 ? written : 0;
    }
    return progress;
}
