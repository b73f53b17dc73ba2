#pragma once
// What each control type stores of its own properties, in stored order: the
// kind of each value, its default, the range an enumerated value is clamped
// to, and the name the layout sources use for it.
#include <cstdint>
#include <span>
#include <string_view>

#include "frame/core/layout.h"

enum class StoredKind : std::uint8_t {
    Word,       // 32-bit number
    HalfWord,   // 16-bit number
    Text,       // counted text
    Block,      // byte block
    PageNames,  // 16-bit count + counted texts
};

struct PropertyField {
    int own;  // own number: property number - 8
    StoredKind kind;
    std::string_view name;
    std::int32_t defaultValue = 0;
    // Enumerations are clamped into [low, high] when low < high.
    std::int32_t low = 0, high = 0;
};

struct TypeProperties {
    ControlType type;
    std::string_view name;                  // as the layout sources write it
    std::uint32_t version;                  // format version of the stored block
    std::span<const PropertyField> fields;  // in stored order
    int ownCount;                           // own numbers 0 .. ownCount-1, each stored exactly once
};

// Nothing for an unknown type code.
const TypeProperties* FindTypeProperties(ControlType type);
std::span<const TypeProperties> AllTypeProperties();

// The field of own number `own`, or nothing.
const PropertyField* FindOwnField(const TypeProperties& type, int own);

// The common properties, numbered 0 to 7 for every type.
enum CommonProperty : int {
    kLeft = 0,
    kTop = 1,
    kWidth = 2,
    kHeight = 3,
    kTag = 4,
    kVisible = 5,
    kDisable = 6,
    kMousePointer = 7,
};
inline constexpr int kFirstOwnProperty = 8;
// The property number of a type's own property `own`.
constexpr int OwnProperty(int own) { return kFirstOwnProperty + own; }

std::int32_t ClampToField(const PropertyField& field, std::int32_t value);
