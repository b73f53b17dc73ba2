#pragma once
// The layout description: the windows of the program, each a table of
// control records, in the stored form the frame reads at start-up. The
// reader refuses anything malformed; the writer (used by the build-time
// layout compiler and the tests) produces exactly what the reader accepts.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "services/core/values.h"

enum class ControlType : std::uint32_t {
    Window = 0x00010001,
    EditBox = 0x00010005,
    PictureBox = 0x00010006,
    ShapeBox = 0x00010007,
    Label = 0x0001000A,
    TabControl = 0x00010015,
    SkinnedButton = 0x00020001,
};

// Property values as the controls hold them: numbers (colours, booleans and
// enumerations included), texts, byte arrays (pictures, fonts, cursors) and
// the tab control's page names.
using TextList = std::vector<Text>;
using PropertyValue = std::variant<std::int32_t, Text, Bytes, TextList>;

inline constexpr std::int32_t kDefaultColor = static_cast<std::int32_t>(0xFF000000);

// Control flags.
inline constexpr std::uint32_t kFlagVisible = 1, kFlagDisabled = 2, kFlagTabStop = 4;

struct EventBinding {
    std::int32_t number;
    std::int32_t handlerOffset;  // -1: no handler
    bool operator==(const EventBinding&) const = default;
};

struct ControlRecord {
    std::uint32_t id = 0;  // from the control table, not the record
    ControlType type = ControlType::Window;
    Text name;
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::uint32_t parent = 0;  // 0: the window
    // Identifiers of the controls placed on this one; a tab control's pages
    // are separated by a 0.
    std::vector<std::uint32_t> children;
    std::uint32_t flags = 0;
    std::vector<EventBinding> events;
    // Own properties, indexed by own number (property number - 8).
    std::vector<PropertyValue> properties;
    bool operator==(const ControlRecord&) const = default;
};

struct WindowDescription {
    std::uint32_t id = 0;
    std::uint32_t auxiliaryId = 0;
    Text name;                            // for error reports; kept in the first of the window's two texts
    std::vector<ControlRecord> controls;  // the first describes the window itself
    bool operator==(const WindowDescription&) const = default;
};

struct LayoutDescription {
    std::vector<WindowDescription> windows;
    bool operator==(const LayoutDescription&) const = default;
};

// A property block stored once and named again by the controls that repeat
// it (the same picture on two pages): in place of its byte count, this
// marker and the index of an earlier block, counting the blocks stored whole
// in the order they are read.
inline constexpr std::uint32_t kSharedBlock = 0xFFFFFFFF;

// Reads the stored form. On failure returns nothing and, when `error` is
// given, says what was wrong (for the compiler and the tests; the program
// reports every failure the same way).
std::optional<LayoutDescription> ReadLayout(std::span<const std::uint8_t> data, std::string* error = nullptr);

Bytes WriteLayout(const LayoutDescription& layout);

// A record with every own property at its default for the type.
ControlRecord MakeControlRecord(ControlType type);

bool IsKnownControlType(std::uint32_t code);
