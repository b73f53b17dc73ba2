#include "frame/core/layout_properties.h"

#include <algorithm>

namespace {

using K = StoredKind;
constexpr std::int32_t kDef = kDefaultColor;

// Window: border style, picture mode, colours, boxes, start position and the
// stored values the program never reads.
constexpr PropertyField kWindowFields[] = {
    {1, K::Word, "border style", 0, 0, 6},
    {4, K::Word, "picture mode", 0, 0, 3},
    {2, K::Word, "background colour", kDef},
    {8, K::Word, "maximize box"},
    {9, K::Word, "minimize box"},
    {7, K::Word, "own 7"},
    {10, K::Word, "start position", 0, 0, 3},
    {11, K::Word, "close entry", 1},
    {6, K::Word, "own 6"},
    {13, K::Word, "own 13"},
    {14, K::Word, "own 14"},
    {15, K::Word, "own 15"},
    {17, K::Word, "own 17"},
    {18, K::Word, "own 18"},
    {19, K::Word, "own 19"},
    {20, K::Word, "own 20"},
    {21, K::Word, "always on top"},
    {22, K::Word, "own 22"},
    {23, K::Text, "own 23"},
    {3, K::Block, "background picture"},
    {12, K::Block, "icon"},
    {5, K::Block, "own 5"},
    {0, K::Text, "title"},
    {16, K::Text, "own 16"},
};

constexpr PropertyField kPictureBoxFields[] = {
    {0, K::Word, "border", 0, 0, 5}, {1, K::Word, "background colour", kDef},
    {3, K::Word, "mode", 0, 0, 2},   {4, K::Word, "play animation"},
    {2, K::Block, "picture"},        {5, K::Text, "text 1"},
    {6, K::Text, "text 2"},
};

constexpr PropertyField kShapeBoxFields[] = {
    {0, K::Word, "background colour", kDef},
    {1, K::Word, "shape", 0, 0, 7},
    {2, K::Word, "3d effect", 0, 0, 2},
    {3, K::Word, "line style", 1, 0, 5},
    {4, K::Word, "line width", 1, 0, 0x7FFFFFFF},
    {5, K::Word, "line colour"},
    {6, K::Word, "fill colour", kDef},
};

constexpr PropertyField kLabelFields[] = {
    {1, K::Word, "effect", 0, 0, 3},
    {3, K::Word, "gradient border width", 5, 5, 0x7FFFFFFF},
    {2, K::Word, "border", 0, 0, 6},
    {4, K::Word, "gradient border colour 1"},
    {5, K::Word, "gradient border colour 2"},
    {6, K::Word, "gradient border colour 3"},
    {8, K::Word, "text colour"},
    {9, K::Word, "background colour", kDef},
    {11, K::Word, "picture mode", 0, 0, 2},
    {12, K::Word, "gradient mode", 0, 0, 8},
    {13, K::Word, "gradient colour 1"},
    {14, K::Word, "gradient colour 2"},
    {15, K::Word, "gradient colour 3"},
    {16, K::Word, "horizontal alignment", 0, 0, 2},
    {18, K::Word, "vertical alignment", 0, 0, 2},
    {17, K::Word, "word wrap"},
    {7, K::Block, "font"},
    {10, K::Block, "background picture"},
    {0, K::Text, "caption"},
    {19, K::Text, "text 1"},
    {20, K::Text, "text 2"},
};

constexpr PropertyField kEditBoxFields[] = {
    {1, K::Word, "border", 0, 0, 5},
    {2, K::Word, "text colour"},
    {3, K::Word, "background colour", kDef},
    {5, K::Word, "own 5"},
    {6, K::Word, "maximum length"},
    {7, K::Word, "own 7"},
    {8, K::Word, "own 8"},
    {9, K::Word, "own 9"},
    {10, K::Word, "input mode", 0, 0, 8},
    {11, K::HalfWord, "password character", '*'},
    {12, K::Word, "own 12"},
    {13, K::Word, "own 13"},
    {14, K::Word, "own 14"},
    {15, K::Word, "own 15"},
    {16, K::Word, "own 16"},
    {17, K::Word, "own 17"},
    {4, K::Block, "font"},
    {0, K::Text, "content"},
    {18, K::Text, "text 1"},
    {19, K::Text, "text 2"},
};

constexpr PropertyField kTabControlFields[] = {
    {0, K::Word, "strip position", 0, 0, 2},
    {1, K::Word, "multi-line strip"},
    {4, K::Word, "current page"},
    {5, K::Word, "strip hidden"},
    {6, K::Word, "paint background"},
    {7, K::Word, "background colour", kDef},
    {2, K::Block, "font"},
    {3, K::PageNames, "pages"},
};

// The skinned button's stored block is the project's own (version 1): the
// numbers, then the pictures, font and sounds, then the texts.
constexpr PropertyField kSkinnedButtonFields[] = {
    {0, K::Word, "style", 0, 0, 2},
    {1, K::Word, "check box"},
    {2, K::Word, "checked"},
    {3, K::Word, "align", 0, 0, 3},
    {4, K::Word, "press style"},
    {5, K::Word, "draw border"},
    {6, K::Word, "draw focus"},
    {8, K::Word, "transparent colour out", kDef},
    {10, K::Word, "transparent colour in", kDef},
    {12, K::Word, "transparent colour disabled", kDef},
    {15, K::Word, "default colours"},
    {16, K::Word, "text colour out"},
    {17, K::Word, "background colour out", kDef},
    {18, K::Word, "text colour in"},
    {19, K::Word, "background colour in", kDef},
    {20, K::Word, "text colour focus"},
    {21, K::Word, "background colour focus", kDef},
    {22, K::Word, "standard sound"},
    {26, K::Word, "default style"},
    {7, K::Block, "picture out"},
    {9, K::Block, "picture in"},
    {11, K::Block, "picture disabled"},
    {13, K::Block, "font"},
    {23, K::Block, "over sound"},
    {24, K::Block, "click sound"},
    {14, K::Text, "caption"},
    {25, K::Text, "tool tip"},
};

constexpr TypeProperties kTypes[] = {
    {ControlType::Window, "window", 6, kWindowFields, 24},
    {ControlType::PictureBox, "picture box", 2, kPictureBoxFields, 7},
    {ControlType::ShapeBox, "shape box", 1, kShapeBoxFields, 7},
    {ControlType::Label, "label", 2, kLabelFields, 21},
    {ControlType::EditBox, "edit box", 2, kEditBoxFields, 20},
    {ControlType::TabControl, "tab control", 3, kTabControlFields, 8},
    {ControlType::SkinnedButton, "button", 1, kSkinnedButtonFields, 27},
};

}  // namespace

std::span<const TypeProperties> AllTypeProperties() { return kTypes; }

const TypeProperties* FindTypeProperties(ControlType type) {
    for (const TypeProperties& entry : kTypes)
        if (entry.type == type) return &entry;
    return nullptr;
}

const PropertyField* FindOwnField(const TypeProperties& type, int own) {
    for (const PropertyField& field : type.fields)
        if (field.own == own) return &field;
    return nullptr;
}

std::int32_t ClampToField(const PropertyField& field, std::int32_t value) {
    if (field.low >= field.high) return value;
    return std::clamp(value, field.low, field.high);
}

bool IsKnownControlType(std::uint32_t code) { return FindTypeProperties(static_cast<ControlType>(code)) != nullptr; }

ControlRecord MakeControlRecord(ControlType type) {
    ControlRecord record;
    record.type = type;
    const TypeProperties* properties = FindTypeProperties(type);
    if (!properties) return record;
    record.properties.resize(properties->ownCount);
    for (const PropertyField& field : properties->fields) {
        PropertyValue& value = record.properties[field.own];
        switch (field.kind) {
            case StoredKind::Word:
            case StoredKind::HalfWord: value = field.defaultValue; break;
            case StoredKind::Text: value = Text(); break;
            case StoredKind::Block: value = Bytes(); break;
            case StoredKind::PageNames: value = TextList(); break;
        }
    }
    return record;
}
