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
