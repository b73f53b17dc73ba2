#pragma once
// The task state as a byte string, with its CRC-16/ARC.
#include <cstdint>
#include <optional>
#include <span>

#include "download/core/segments.h"
#include "services/core/values.h"

// Reflected polynomial 0xA001, initial value 0, no final XOR.
std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes);

struct TaskStateTexts {
    std::optional<Text> host, target, referer, userAgent, extraHeader;
};

Bytes BuildTaskStateBlob(const SegmentTable& segments, const TaskStateTexts& texts, int protocol,
                         std::string_view address, int port, std::int32_t fileSize);

// What a state blob says of the download: the bytes written by all segments
// together and whether every segment has written its whole length. A blob too
// short for the segments it counts, or with none, is not complete.
struct BlobProgress {
    bool complete = false;
    std::int64_t written = 0;
    std::int64_t fileSize = 0;  // as the segments were made; 0 before the size was known
};
BlobProgress ReadBlobProgress(std::span<const std::uint8_t> blob);
