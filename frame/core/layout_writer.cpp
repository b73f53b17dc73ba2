// Writes the stored layout description (the layout compiler's output).
#include "frame/core/layout.h"
#include "frame/core/layout_properties.h"

namespace {

class Output {
public:
    void Word(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    void HalfWord(std::uint16_t value) {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void Raw(const void* data, std::size_t size) {
        auto* begin = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
    }
    void Counted(const void* data, std::size_t size) {
        Word(static_cast<std::uint32_t>(size));
        Raw(data, size);
    }
    void CountedText(const Text& text) { Counted(text.data(), text.size()); }
    void ZeroText(const Text& text) { Raw(text.c_str(), text.size() + 1); }
    void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    Bytes& bytes() { return bytes_; }

private:
    Bytes bytes_;
};

// A copy: the fallback may be a temporary of the caller's expression.
template <class T>
T ValueOr(const ControlRecord& record, int own, const T& fallback) {
    if (own < static_cast<int>(record.properties.size()))
        if (const T* value = std::get_if<T>(&record.properties[own])) return *value;
    return fallback;
}

// The property blocks written whole so far, in order; a block that repeats
// one of them is written as a reference to it.
using WrittenBlocks = std::vector<Bytes>;
// Below this size a reference saves nothing worth its rule.
constexpr std::size_t kSmallestSharedBlock = 64;

void WriteBlock(Output& out, const Bytes& bytes, WrittenBlocks& written) {
    if (bytes.size() >= kSmallestSharedBlock) {
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (written[i] == bytes) {
                out.Word(kSharedBlock);
                out.Word(static_cast<std::uint32_t>(i));
                return;
            }
        }
    }
    out.Counted(bytes.data(), bytes.size());
    written.push_back(bytes);
}

void WriteProperties(Output& out, const ControlRecord& record, WrittenBlocks& written) {
    const TypeProperties* type = FindTypeProperties(record.type);
    out.Zeros(20);
    out.Word(type->version);
    for (const PropertyField& field : type->fields) {
        switch (field.kind) {
            case StoredKind::Word:
                out.Word(static_cast<std::uint32_t>(ValueOr(record, field.own, field.defaultValue)));
                break;
            case StoredKind::HalfWord:
                out.HalfWord(static_cast<std::uint16_t>(ValueOr(record, field.own, field.defaultValue)));
                break;
            case StoredKind::Text: out.CountedText(ValueOr(record, field.own, Text())); break;
            case StoredKind::Block: {
                WriteBlock(out, ValueOr(record, field.own, Bytes()), written);
                break;
            }
            case StoredKind::PageNames: {
                TextList names = ValueOr(record, field.own, TextList());
                out.HalfWord(static_cast<std::uint16_t>(names.size()));
                for (const Text& name : names) out.CountedText(name);
                break;
            }
        }
    }
}

Bytes WriteRecord(const ControlRecord& record, WrittenBlocks& written) {
    Output out;
    out.Word(static_cast<std::uint32_t>(record.type));
    out.Zeros(20);
    out.ZeroText(record.name);
    out.ZeroText(Text());
    out.Word(0);
    for (std::int32_t value : {record.left, record.top, record.width, record.height})
        out.Word(static_cast<std::uint32_t>(value));
    out.Word(0);
    out.Word(record.parent);
    out.Word(static_cast<std::uint32_t>(record.children.size()));
    for (std::uint32_t child : record.children) out.Word(child);
    out.Word(4);
    out.Zeros(4);
    out.ZeroText(Text());
    out.Word(0);
    out.Word(record.flags);
    out.Word(0);
    out.Word(static_cast<std::uint32_t>(record.events.size()));
    for (const EventBinding& event : record.events) {
        out.Word(static_cast<std::uint32_t>(event.number));
        out.Word(static_cast<std::uint32_t>(event.handlerOffset));
    }
    WriteProperties(out, record, written);
    return std::move(out.bytes());
}

Bytes WriteControlTable(const WindowDescription& window, WrittenBlocks& written) {
    Output ids, offsets, records;
    for (const ControlRecord& control : window.controls) {
        ids.Word(control.id);
        offsets.Word(static_cast<std::uint32_t>(records.bytes().size()));
        Bytes record = WriteRecord(control, written);
        records.Counted(record.data(), record.size());
    }
    Bytes table = std::move(ids.bytes());
    table.insert(table.end(), offsets.bytes().begin(), offsets.bytes().end());
    table.insert(table.end(), records.bytes().begin(), records.bytes().end());
    return table;
}

}  // namespace

Bytes WriteLayout(const LayoutDescription& layout) {
    Output out;
    out.Word(static_cast<std::uint32_t>(layout.windows.size() * 8));
    for (const WindowDescription& window : layout.windows) out.Word(window.id);
    out.Zeros(layout.windows.size() * 4);
    WrittenBlocks written;
    for (const WindowDescription& window : layout.windows) {
        out.Word(0);
        out.Word(window.auxiliaryId);
        out.CountedText(window.name);
        out.CountedText(Text());
        out.Word(static_cast<std::uint32_t>(window.controls.size()));
        Bytes table = WriteControlTable(window, written);
        out.Counted(table.data(), table.size());
    }
    return std::move(out.bytes());
}
