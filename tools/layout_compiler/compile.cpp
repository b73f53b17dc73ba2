#include "tools/layout_compiler/compile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "frame/core/layout_properties.h"

namespace {

struct Line {
    int number;
    std::string key, value;
};

struct Section {
    std::string name;
    int line;
    std::vector<Line> lines;
};

std::string Trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) parts.push_back(Trim(part));
    return parts;
}

class Compiler {
public:
    Compiler(TextConverter convert, CompiledLayout& out, std::string& error)
        : convert_(convert), out_(out), error_(error) {}

    bool Window(const LayoutSource& source, std::uint32_t windowId);
    bool Finish();

private:
    bool Fail(int line, const std::string& what) {
        error_ = path_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }
    bool ParseSections(const std::string& contents, std::vector<Section>& sections);
    bool Control(const Section& section, WindowDescription& window, CompiledWindow& compiled, bool isWindow);
    bool CommonKey(const Line& line, ControlRecord& record, const WindowDescription& window, CompiledWindow& compiled,
                   bool& handled);
    bool OwnProperty(const Line& line, ControlRecord& record, const TypeProperties& type);
    bool Event(const Line& line, ControlRecord& record);
    bool Number(const Line& line, std::int32_t& value);
    bool Convert(const Line& line, const std::string& utf8, Text& out);
    bool ReadFile(const Line& line, Bytes& bytes);
    bool Font(const Line& line, Bytes& bytes);
    void PlaceChildren(WindowDescription& window);

    TextConverter convert_;
    CompiledLayout& out_;
    std::string& error_;
    std::string path_;
    std::map<std::string, int> handlerIndex_;
    // Page of each control placed on a tab control (1-based), by identifier.
    std::map<std::uint32_t, int> pages_;
};

bool Compiler::ParseSections(const std::string& contents, std::vector<Section>& sections) {
    std::stringstream in(contents);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return Fail(number, "section header without ]");
            sections.push_back({Trim(line.substr(1, line.size() - 2)), number, {}});
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) return Fail(number, "expected \"key = value\"");
        if (sections.empty()) return Fail(number, "a value before the first section");
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        sections.back().lines.push_back({number, Trim(line.substr(0, equals)), value});
    }
    if (sections.empty() || sections[0].name != "window") return Fail(1, "a layout source starts with [window]");
    return true;
}

bool Compiler::Number(const Line& line, std::int32_t& value) {
    const std::string& text = line.value;
    if (text == "yes" || text == "on") return value = 1, true;
    if (text == "no" || text == "off") return value = 0, true;
    if (text == "default") return value = kDefaultColor, true;
    std::vector<std::string> parts = SplitList(text);
    if (parts.size() == 3) {  // a colour r, g, b
        std::int32_t rgb[3];
        for (int i = 0; i < 3; ++i) {
            auto [end, ec] = std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), rgb[i]);
            if (ec != std::errc() || end != parts[i].data() + parts[i].size() || rgb[i] < 0 || rgb[i] > 255)
                return Fail(line.number, "colour component out of 0..255: " + text);
        }
        value = rgb[0] | rgb[1] << 8 | rgb[2] << 16;
        return true;
    }
    int base = 10;
    std::string_view digits = text;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.remove_prefix(1);
    if (digits.starts_with("0x")) base = 16, digits.remove_prefix(2);
    std::uint32_t magnitude;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return Fail(line.number, "not a number: " + text);
    value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
    return true;
}

bool Compiler::Convert(const Line& line, const std::string& utf8, Text& out) {
    if (!convert_(utf8, out)) return Fail(line.number, "text has a character outside code page 936: " + utf8);
    return true;
}

bool Compiler::ReadFile(const Line& line, Bytes& bytes) {
    std::filesystem::path file = std::filesystem::path(path_).parent_path() / line.value;
    std::ifstream in(file, std::ios::binary);
    if (!in) return Fail(line.number, "cannot read " + file.string());
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    out_.inputFiles.push_back(file.string());
    return true;
}

// "face, height[, weight]": a LOGFONTA of 60 bytes with the character height
// (negative cell height), GB2312 character set and ClearType quality.
bool Compiler::Font(const Line& line, Bytes& bytes) {
    std::vector<std::string> parts = SplitList(line.value);
    if (parts.size() < 2 || parts.size() > 3) return Fail(line.number, "a font is \"face, height[, weight]\"");
    Text face;
    if (!Convert(line, parts[0], face)) return false;
    if (face.size() > 31) return Fail(line.number, "font face longer than 31 bytes");
    std::int32_t height, weight = 400;
    if (!Number({line.number, line.key, parts[1]}, height)) return false;
    if (parts.size() == 3 && !Number({line.number, line.key, parts[2]}, weight)) return false;
    bytes.assign(60, 0);
    auto put = [&](int at, std::int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    };
    put(0, -height);
    put(16, weight);
    bytes[23] = 134;  // GB2312_CHARSET
    bytes[26] = 5;    // CLEARTYPE_QUALITY
    std::copy(face.begin(), face.end(), bytes.begin() + 28);
    return true;
}

struct NamedEvent {
    std::string_view name;
    int number;
};

constexpr NamedEvent kCommonEvents[] = {
    {"left button pressed", -1},   {"left button released", -2}, {"double click", -3},     {"right button pressed", -4},
    {"right button released", -5}, {"mouse moved", -6},          {"focus received", -7},   {"focus lost", -8},
    {"key pressed", -9},           {"key released", -10},        {"character typed", -11}, {"wheel turned", -12},
};
constexpr NamedEvent kWindowEvents[] = {
    {"created", 0}, {"close query", 1}, {"about to be destroyed", 2}, {"moved", 3}, {"resized", 4},
    {"shown", 10},  {"hidden", 11},     {"close requested", 12},
};
constexpr NamedEvent kButtonEvents[] = {{"clicked", 0}};
constexpr NamedEvent kLabelEvents[] = {{"user event", 0}};

std::span<const NamedEvent> OwnEvents(ControlType type) {
    switch (type) {
        case ControlType::Window: return kWindowEvents;
        case ControlType::SkinnedButton: return kButtonEvents;
        case ControlType::Label: return kLabelEvents;
        case ControlType::EditBox:
        case ControlType::PictureBox:
        case ControlType::ShapeBox:
        case ControlType::TabControl: return {};
    }
    return {};
}

bool IsIdentifier(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

bool Compiler::Event(const Line& line, ControlRecord& record) {
    std::string eventName = Trim(std::string_view(line.key).substr(3));
    int number = 0;
    bool found = false;
    for (auto table : {std::span<const NamedEvent>(kCommonEvents), OwnEvents(record.type)})
        for (const NamedEvent& event : table)
            if (event.name == eventName) number = event.number, found = true;
    if (!found) return Fail(line.number, "no event \"" + eventName + "\" for this control type");
    if (!IsIdentifier(line.value)) return Fail(line.number, "a handler is a C++ function name: " + line.value);
    for (const EventBinding& event : record.events)
        if (event.number == number) return Fail(line.number, "event bound twice");
    auto [entry, added] = handlerIndex_.emplace(line.value, 0);
    if (added) {
        entry->second = static_cast<int>(out_.handlers.size());
        out_.handlers.push_back(line.value);
    }
    record.events.push_back({number, entry->second});
    return true;
}

bool Compiler::OwnProperty(const Line& line, ControlRecord& record, const TypeProperties& type) {
    for (const PropertyField& field : type.fields) {
        if (field.name != line.key) continue;
        PropertyValue& value = record.properties[field.own];
        switch (field.kind) {
            case StoredKind::Word: {
                std::int32_t number;
                if (!Number(line, number)) return false;
                value = number;
                return true;
            }
            case StoredKind::HalfWord: {
                std::int32_t number;
                if (line.value.size() == 1 && !std::isdigit(static_cast<unsigned char>(line.value[0])))
                    number = static_cast<unsigned char>(line.value[0]);
                else if (!Number(line, number))
                    return false;
                value = number & 0xFFFF;
                return true;
            }
            case StoredKind::Text: {
                Text text;
                if (!Convert(line, line.value, text)) return false;
                value = text;
                return true;
            }
            case StoredKind::Block: {
                Bytes bytes;
                if (!(field.name == "font" ? Font(line, bytes) : ReadFile(line, bytes))) return false;
                value = std::move(bytes);
                return true;
            }
            case StoredKind::PageNames: {
                TextList names;
                for (const std::string& name : SplitList(line.value)) {
                    if (!Convert(line, name, names.emplace_back())) return false;
                }
                value = std::move(names);
                return true;
            }
        }
    }
    return Fail(line.number, "no property \"" + line.key + "\" for a " + std::string(type.name));
}

bool Compiler::CommonKey(const Line& line, ControlRecord& record, const WindowDescription& window,
                         CompiledWindow& compiled, bool& handled) {
    handled = true;
    if (line.key == "rect") {
        std::vector<std::string> parts = SplitList(line.value);
        std::int32_t* fields[] = {&record.left, &record.top, &record.width, &record.height};
        if (parts.size() != 4) return Fail(line.number, "rect is \"left, top, width, height\"");
        for (int i = 0; i < 4; ++i)
            if (!Number({line.number, line.key, parts[i]}, *fields[i])) return false;
        return true;
    }
    if (line.key == "flags") {
        for (const std::string& flag : SplitList(line.value)) {
            if (flag == "visible")
                record.flags |= kFlagVisible;
            else if (flag == "disabled")
                record.flags |= kFlagDisabled;
            else if (flag == "tab stop")
                record.flags |= kFlagTabStop;
            else if (!flag.empty())
                return Fail(line.number, "unknown flag \"" + flag + "\"");
        }
        return true;
    }
    if (line.key == "symbol") {
        if (!IsIdentifier(line.value)) return Fail(line.number, "a symbol is a C++ name: " + line.value);
        if (&record == &window.controls.front())
            compiled.symbol = line.value;
        else
            compiled.controls.push_back({line.value, record.id});
        return true;
    }
    if (line.key == "parent") {
        if (line.value == "window") return record.parent = 0, true;
        Text name;
        if (!Convert(line, line.value, name)) return false;
        for (const ControlRecord& other : window.controls) {
            if (&other != &record && &other != &window.controls.front() && other.name == name) {
                record.parent = other.id;
                return true;
            }
        }
        return Fail(line.number, "parent \"" + line.value + "\" is not defined above");
    }
    if (line.key == "page") {
        std::int32_t page;
        if (!Number(line, page) || page < 1) return Fail(line.number, "a page is 1 or more");
        pages_[record.id] = page;
        return true;
    }
    if (line.key.starts_with("on ")) return Event(line, record);
    handled = false;
    return true;
}

bool Compiler::Control(const Section& section, WindowDescription& window, CompiledWindow& compiled, bool isWindow) {
    ControlType type = ControlType::Window;
    if (!isWindow) {
        auto typeLine =
            std::find_if(section.lines.begin(), section.lines.end(), [](const Line& l) { return l.key == "type"; });
        if (typeLine == section.lines.end()) return Fail(section.line, "control without \"type\"");
        const TypeProperties* found = nullptr;
        for (const TypeProperties& candidate : AllTypeProperties())
            if (candidate.name == typeLine->value && candidate.type != ControlType::Window) found = &candidate;
        if (!found) return Fail(typeLine->number, "unknown control type \"" + typeLine->value + "\"");
        type = found->type;
    }
    ControlRecord& record = window.controls.emplace_back(MakeControlRecord(type));
    record.id = isWindow ? window.id : static_cast<std::uint32_t>(window.controls.size() - 1);
    if (!isWindow && !Convert({section.line, "", ""}, section.name, record.name)) return false;
    for (const ControlRecord& other : window.controls)
        if (&other != &record && !isWindow && other.name == record.name)
            return Fail(section.line, "control \"" + section.name + "\" defined twice");
    const TypeProperties& properties = *FindTypeProperties(type);
    for (const Line& line : section.lines) {
        if (line.key == "type") continue;
        if (isWindow && line.key == "name") {
            if (!Convert(line, line.value, window.name)) return false;
            continue;
        }
        bool handled;
        if (!CommonKey(line, record, window, compiled, handled)) return false;
        if (!handled && !OwnProperty(line, record, properties)) return false;
    }
    return true;
}

void Compiler::PlaceChildren(WindowDescription& window) {
    ControlRecord& windowRecord = window.controls.front();
    for (ControlRecord& control : window.controls) {
        if (&control == &windowRecord) continue;
        ControlRecord* parent = &windowRecord;
        for (ControlRecord& other : window.controls)
            if (control.parent != 0 && other.id == control.parent && &other != &windowRecord) parent = &other;
        if (parent->type != ControlType::TabControl) {
            parent->children.push_back(control.id);
            continue;
        }
        // Pages' lists follow each other, each but the last ended by a 0.
        int page = pages_.count(control.id) ? pages_[control.id] : 1;
        std::vector<std::uint32_t>& list = parent->children;
        int pagesInList = 1 + static_cast<int>(std::count(list.begin(), list.end(), 0u));
        while (pagesInList < page) list.push_back(0), ++pagesInList;
        auto end = list.begin();
        for (int seen = 1; seen < page; ++end)
            if (*end == 0) ++seen;
        while (end != list.end() && *end != 0) ++end;
        list.insert(end, control.id);
    }
}

bool Compiler::Window(const LayoutSource& source, std::uint32_t windowId) {
    path_ = source.path;
    pages_.clear();
    out_.inputFiles.push_back(source.path);
    std::vector<Section> sections;
    if (!ParseSections(source.contents, sections)) return false;
    WindowDescription& window = out_.layout.windows.emplace_back();
    window.id = windowId;
    CompiledWindow& compiled = out_.windows.emplace_back();
    compiled.id = windowId;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i > 0 && sections[i].name == "window") return Fail(sections[i].line, "a second [window]");
        if (!Control(sections[i], window, compiled, i == 0)) return false;
    }
    if (compiled.symbol.empty()) return Fail(sections[0].line, "the window needs a \"symbol\"");
    for (const auto& [id, page] : pages_) {
        const ControlRecord& control = window.controls[id];
        bool onTab = false;
        for (const ControlRecord& other : window.controls)
            if (other.id == control.parent && other.type == ControlType::TabControl && control.parent != 0)
                onTab = true;
        if (!onTab) return Fail(sections[id].line, "\"page\" is only for controls on a tab control");
    }
    PlaceChildren(window);
    return true;
}

}  // namespace

bool CompileLayout(const std::vector<LayoutSource>& sources, TextConverter toCodePage936, CompiledLayout& out,
                   std::string& error) {
    out = CompiledLayout();
    Compiler compiler(toCodePage936, out, error);
    std::uint32_t id = kFirstWindowId;
    for (const LayoutSource& source : sources)
        if (!compiler.Window(source, id++)) return false;
    for (std::size_t i = 0; i < out.windows.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (out.windows[i].symbol == out.windows[j].symbol) {
                error = sources[i].path + ": window symbol \"" + out.windows[i].symbol + "\" used twice";
                return false;
            }
    // What the compiler wrote must be what the program's reader accepts.
    Bytes stored = WriteLayout(out.layout);
    std::string why;
    if (!ReadLayout(stored, &why)) {
        error = "the compiled layout is refused by the reader: " + why;
        return false;
    }
    return true;
}

std::string GenerateIdentifierHeader(const CompiledLayout& compiled) {
    std::ostringstream out;
    out << "#pragma once\n// Generated by the layout compiler: the identifiers of the windows and of the\n"
           "// controls the program's code names.\n#include <cstdint>\n";
    for (const CompiledWindow& window : compiled.windows) {
        out << "\nnamespace layout::" << window.symbol << " {\n";
        out << "inline constexpr std::uint32_t kWindow = " << window.id << "u;\n";
        for (const NamedIdentifier& control : window.controls)
            out << "inline constexpr std::uint32_t k" << control.symbol << " = " << control.id << "u;\n";
        out << "}  // namespace layout::" << window.symbol << "\n";
    }
    return out.str();
}

std::string GenerateHandlerTable(const CompiledLayout& compiled) {
    std::ostringstream out;
    out << "// Generated by the layout compiler: the event handlers the layout binds,\n"
           "// indexed by the handler offsets stored in it.\n#include \"frame/core/event.h\"\n\n";
    for (const std::string& name : compiled.handlers) out << "EventResult " << name << "(const EventArgs&);\n";
    out << "\nnamespace {\nconst EventHandler kHandlers[] = {\n";
    for (const std::string& name : compiled.handlers) out << "    &" << name << ",\n";
    if (compiled.handlers.empty()) out << "    nullptr,\n";
    out << "};\n}  // namespace\n\nstd::span<const EventHandler> LayoutHandlers() {\n    return std::span(kHandlers, "
        << compiled.handlers.size() << ");\n}\n";
    return out.str();
}
