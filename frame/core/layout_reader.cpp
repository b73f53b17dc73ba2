// Reads the stored layout description. Every count and offset is checked
// against the bytes that are really there before anything is allocated or
// read, so a damaged description is refused, never read past its end.
#include <set>
#include <unordered_map>

#include "frame/core/layout.h"
#include "frame/core/layout_properties.h"

namespace {

class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> data) : data_(data) {}

    bool Word(std::uint32_t& value) {
        if (Left() < 4) return false;
        value =
            data_[at_] | data_[at_ + 1] << 8 | data_[at_ + 2] << 16 | static_cast<std::uint32_t>(data_[at_ + 3]) << 24;
        at_ += 4;
        return true;
    }
    bool Signed(std::int32_t& value) {
        std::uint32_t word;
        if (!Word(word)) return false;
        value = static_cast<std::int32_t>(word);
        return true;
    }
    bool HalfWord(std::uint16_t& value) {
        if (Left() < 2) return false;
        value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    // A 32-bit count followed by that many bytes.
    bool Counted(std::span<const std::uint8_t>& bytes) {
        std::uint32_t count;
        if (!Word(count) || count > Left()) return false;
        bytes = data_.subspan(at_, count);
        at_ += count;
        return true;
    }
    bool CountedText(Text& text) {
        std::span<const std::uint8_t> bytes;
        if (!Counted(bytes)) return false;
        text.assign(bytes.begin(), bytes.end());
        return true;
    }
    bool ZeroText(Text& text) {
        for (std::size_t end = at_; end < data_.size(); ++end) {
            if (data_[end] == 0) {
                text.assign(data_.begin() + at_, data_.begin() + end);
                at_ = end + 1;
                return true;
            }
        }
        return false;
    }
    bool Skip(std::size_t count) {
        if (count > Left()) return false;
        at_ += count;
        return true;
    }
    // A count of entries that need at least `entrySize` bytes each: refuses
    // counts the remaining bytes cannot hold before anything is reserved.
    bool Count(std::uint32_t& count, std::size_t entrySize) { return Word(count) && count <= Left() / entrySize; }
    std::size_t Left() const { return data_.size() - at_; }
    bool AtEnd() const { return at_ == data_.size(); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

// The property blocks stored whole so far, which a shared block names.
using StoredBlocks = std::vector<std::span<const std::uint8_t>>;

struct Failure {
    std::string* error;
    bool operator()(const std::string& what) const {
        if (error) *error = what;
        return false;
    }
};

bool ReadBlock(Cursor& in, StoredBlocks& blocks, std::span<const std::uint8_t>& bytes) {
    std::uint32_t count, index;
    Cursor peek = in;
    if (!peek.Word(count)) return false;
    if (count != kSharedBlock) {
        if (!in.Counted(bytes)) return false;
        blocks.push_back(bytes);
        return true;
    }
    if (!in.Skip(4) || !in.Word(index) || index >= blocks.size()) return false;
    bytes = blocks[index];
    return true;
}

bool ReadProperties(Cursor& in, ControlRecord& record, StoredBlocks& blocks, const Failure& fail) {
    const TypeProperties* type = FindTypeProperties(record.type);
    std::uint32_t version;
    if (!in.Skip(20) || !in.Word(version)) return fail("property block of \"" + record.name + "\" cut short");
    if (version != type->version) return fail("property block of \"" + record.name + "\" has an unknown version");
    record.properties = MakeControlRecord(record.type).properties;
    for (const PropertyField& field : type->fields) {
        PropertyValue& value = record.properties[field.own];
        bool ok = false;
        switch (field.kind) {
            case StoredKind::Word: {
                std::int32_t number = 0;
                ok = in.Signed(number);
                value = number;
                break;
            }
            case StoredKind::HalfWord: {
                std::uint16_t number = 0;
                ok = in.HalfWord(number);
                value = static_cast<std::int32_t>(number);
                break;
            }
            case StoredKind::Text: {
                Text text;
                ok = in.CountedText(text);
                value = std::move(text);
                break;
            }
            case StoredKind::Block: {
                std::span<const std::uint8_t> bytes;
                ok = ReadBlock(in, blocks, bytes);
                value = Bytes(bytes.begin(), bytes.end());
                break;
            }
            case StoredKind::PageNames: {
                std::uint16_t count;
                ok = in.HalfWord(count) && count <= in.Left() / 4;
                TextList names(ok ? count : 0);
                for (Text& name : names) ok = ok && in.CountedText(name);
                value = std::move(names);
                break;
            }
        }
        if (!ok) return fail("property \"" + std::string(field.name) + "\" of \"" + record.name + "\" cut short");
    }
    if (!in.AtEnd()) return fail("record of \"" + record.name + "\" is longer than its properties");
    return true;
}

bool ReadRecord(std::span<const std::uint8_t> bytes, ControlRecord& record, StoredBlocks& blocks, const Failure& fail) {
    Cursor in(bytes);
    std::uint32_t type, ignored, count;
    Text secondName, reservedText;
    std::span<const std::uint8_t> reservedBlock;
    if (!in.Word(type)) return fail("control record cut short");
    if (!IsKnownControlType(type)) return fail("unknown control type " + std::to_string(type));
    record.type = static_cast<ControlType>(type);
    bool ok = in.Skip(20) && in.ZeroText(record.name) && in.ZeroText(secondName) && in.Skip(4) &&
              in.Signed(record.left) && in.Signed(record.top) && in.Signed(record.width) && in.Signed(record.height) &&
              in.Skip(4) && in.Word(record.parent) && in.Count(count, 4);
    if (!ok) return fail("control record \"" + record.name + "\" cut short");
    record.children.resize(count);
    for (std::uint32_t& child : record.children) ok = ok && in.Word(child);
    ok = ok && in.Counted(reservedBlock) && in.ZeroText(reservedText) && in.Word(ignored) && in.Word(record.flags) &&
         in.Word(ignored) && in.Count(count, 8);
    if (!ok) return fail("control record \"" + record.name + "\" cut short");
    record.events.resize(count);
    for (EventBinding& event : record.events) ok = ok && in.Signed(event.number) && in.Signed(event.handlerOffset);
    if (!ok) return fail("events of \"" + record.name + "\" cut short");
    return ReadProperties(in, record, blocks, fail);
}

// The table's structure must be one the loader can build: a window first,
// unique identifiers, parents created before their children, children lists
// that name controls placed on that control.
bool CheckWindow(const WindowDescription& window, const Failure& fail) {
    if (window.controls.empty() || window.controls[0].type != ControlType::Window)
        return fail("window " + std::to_string(window.id) + " does not start with a window record");
    std::unordered_map<std::uint32_t, const ControlRecord*> byId;
    for (std::size_t i = 0; i < window.controls.size(); ++i) {
        const ControlRecord& control = window.controls[i];
        if (i > 0 && control.type == ControlType::Window) return fail("second window record in a control table");
        if (control.id == 0 || !byId.emplace(control.id, &control).second)
            return fail("control identifier " + std::to_string(control.id) + " is 0 or repeated");
        if (i > 0 && control.parent != 0) {
            auto parent = byId.find(control.parent);
            if (parent == byId.end() || parent->second == &control)
                return fail("parent of \"" + control.name + "\" is not created before it");
        }
        if (i == 0 && control.parent != 0) return fail("the window record has a parent");
    }
    for (const ControlRecord& control : window.controls) {
        bool isWindow = &control == &window.controls[0];
        std::set<std::uint32_t> seen;
        for (std::uint32_t child : control.children) {
            if (child == 0 && control.type == ControlType::TabControl) continue;
            auto found = byId.find(child);
            std::uint32_t expectedParent = isWindow ? 0 : control.id;
            if (found == byId.end() || found->second == &window.controls[0] ||
                found->second->parent != expectedParent || !seen.insert(child).second)
                return fail("children of \"" + control.name + "\" do not match their parents");
        }
    }
    return true;
}

bool ReadWindow(Cursor& in, WindowDescription& window, StoredBlocks& blocks, const Failure& fail) {
    std::uint32_t reserved, count;
    Text secondText;
    std::span<const std::uint8_t> table;
    if (!in.Word(reserved) || !in.Word(window.auxiliaryId) || !in.CountedText(window.name) ||
        !in.CountedText(secondText) || !in.Word(count) || !in.Counted(table))
        return fail("window " + std::to_string(window.id) + " cut short");
    Cursor tableIn(table);
    if (count == 0 || count > table.size() / 12) return fail("control count does not fit its table");
    window.controls.resize(count);
    std::vector<std::uint32_t> offsets(count);
    for (ControlRecord& control : window.controls) tableIn.Word(control.id);
    for (std::uint32_t& offset : offsets) tableIn.Word(offset);
    std::size_t recordsStart = static_cast<std::size_t>(count) * 8;
    std::span<const std::uint8_t> records = table.subspan(recordsStart);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (offsets[i] > records.size()) return fail("control record offset outside its table");
        Cursor recordIn(records.subspan(offsets[i]));
        std::span<const std::uint8_t> bytes;
        if (!recordIn.Counted(bytes)) return fail("control record outside its table");
        std::uint32_t id = window.controls[i].id;
        if (!ReadRecord(bytes, window.controls[i], blocks, fail)) return false;
        window.controls[i].id = id;
    }
    return CheckWindow(window, fail);
}

}  // namespace

std::optional<LayoutDescription> ReadLayout(std::span<const std::uint8_t> data, std::string* error) {
    Failure fail{error};
    Cursor in(data);
    std::span<const std::uint8_t> list;
    if (!in.Counted(list) || list.size() % 8 != 0 || list.empty()) {
        fail("window list missing or of a wrong size");
        return std::nullopt;
    }
    LayoutDescription layout;
    Cursor listIn(list);
    layout.windows.resize(list.size() / 8);
    std::set<std::uint32_t> ids;
    for (WindowDescription& window : layout.windows) {
        listIn.Word(window.id);
        if (window.id == 0 || !ids.insert(window.id).second) {
            fail("window identifier 0 or repeated");
            return std::nullopt;
        }
    }
    StoredBlocks blocks;
    for (WindowDescription& window : layout.windows)
        if (!ReadWindow(in, window, blocks, fail)) return std::nullopt;
    if (!in.AtEnd()) {
        fail("bytes after the last window");
        return std::nullopt;
    }
    return layout;
}
