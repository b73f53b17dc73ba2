// The stored layout description: what the writer produces the reader gives
// back field for field, and a damaged description is refused.
#include "frame/core/layout.h"

#include <gtest/gtest.h>

#include "frame/core/layout_properties.h"

namespace {

ControlRecord Control(ControlType type, std::uint32_t id, const char* name, std::uint32_t parent) {
    ControlRecord record = MakeControlRecord(type);
    record.id = id;
    record.name = name;
    record.parent = parent;
    record.left = -3, record.top = 4, record.width = 1008, record.height = 672;
    record.flags = kFlagVisible;
    return record;
}

// One window of every control type, a tab control with three pages and
// values of every stored kind.
LayoutDescription SampleLayout() {
    WindowDescription window;
    window.id = 0x52000001;
    window.auxiliaryId = 7;
    window.name = "主窗口";
    ControlRecord form = Control(ControlType::Window, window.id, "", 0);
    form.properties[0] = Text("Ostry 安装卸载程序");
    form.properties[10] = 1;
    form.properties[12] = Bytes{0, 0, 1, 0};
    form.events = {{0, 3}, {1, 0}, {3, -1}};
    ControlRecord box = Control(ControlType::PictureBox, 1, "图片框2", 0);
    box.properties[1] = 0x211A18;
    box.properties[2] = Bytes(300, 0x89);
    box.events = {{-1, 1}};
    ControlRecord tab = Control(ControlType::TabControl, 2, "选择夹1", 1);
    tab.properties[3] = TextList{"1", "2", "3"};
    tab.properties[4] = 2;
    ControlRecord page1 = Control(ControlType::SkinnedButton, 3, "超级按钮4", 2);
    page1.properties[14] = Text("快速安装");
    page1.events = {{0, 2}};
    ControlRecord page3 = Control(ControlType::Label, 4, "标签1", 2);
    page3.properties[0] = Text("复制成功");
    page3.properties[7] = Bytes(60, 1);
    ControlRecord shape = Control(ControlType::ShapeBox, 5, "外形框4", 1);
    shape.properties[6] = 0x2C2523;
    ControlRecord edit = Control(ControlType::EditBox, 6, "编辑框2", 5);
    edit.properties[0] = Text("C:\\Program Files (x86)\\tavrin");
    edit.properties[11] = '#';
    edit.flags |= kFlagTabStop;
    form.children = {1};
    box.children = {2, 5};
    tab.children = {3, 0, 0, 4};
    shape.children = {6};
    window.controls = {form, box, tab, page1, page3, shape, edit};

    WindowDescription second;
    second.id = 0x52000002;
    second.controls = {Control(ControlType::Window, second.id, "", 0)};
    second.controls[0].flags = 0;
    return LayoutDescription{{window, second}};
}

TEST(Layout, WhatIsWrittenIsReadBack) {
    LayoutDescription layout = SampleLayout();
    Bytes stored = WriteLayout(layout);
    std::string error;
    std::optional<LayoutDescription> read = ReadLayout(stored, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, layout);
    // Spot checks against the stored form itself: the window list block first.
    EXPECT_EQ(stored[0], 16);
    EXPECT_EQ(stored[4], 0x01);
    EXPECT_EQ(stored[7], 0x52);
    EXPECT_EQ(read->windows[0].controls[2].children, (std::vector<std::uint32_t>{3, 0, 0, 4}));
    EXPECT_EQ(std::get<std::int32_t>(read->windows[0].controls[6].properties[11]), '#');
}

TEST(Layout, MissingValuesAreWrittenAsTheTypeDefaults) {
    LayoutDescription layout = SampleLayout();
    for (ControlRecord& control : layout.windows[0].controls) control.properties.clear();
    std::optional<LayoutDescription> read = ReadLayout(WriteLayout(layout));
    ASSERT_TRUE(read);
    for (const ControlRecord& control : read->windows[0].controls)
        EXPECT_EQ(control.properties, MakeControlRecord(control.type).properties) << control.name;
}

TEST(Layout, EveryTruncationIsRefused) {
    Bytes stored = WriteLayout(SampleLayout());
    for (std::size_t length = 0; length < stored.size(); ++length)
        ASSERT_FALSE(ReadLayout(std::span(stored.data(), length))) << "accepted " << length << " bytes";
}

// Offsets of interesting words, found by searching the stored form.
std::size_t Find(const Bytes& bytes, std::initializer_list<std::uint8_t> pattern, std::size_t from = 0) {
    auto found =
        std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), pattern.begin(), pattern.end());
    return static_cast<std::size_t>(found - bytes.begin());
}

void Put(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(Layout, InconsistentDescriptionsAreRefused) {
    struct Case {
        const char* what;
        void (*damage)(LayoutDescription&);
    } cases[] = {
        {"no window record first",
         [](LayoutDescription& l) { std::swap(l.windows[0].controls[0], l.windows[0].controls[1]); }},
        {"repeated control id", [](LayoutDescription& l) { l.windows[0].controls[2].id = 1; }},
        {"parent after child", [](LayoutDescription& l) { l.windows[0].controls[1].parent = 6; }},
        {"unknown parent", [](LayoutDescription& l) { l.windows[0].controls[3].parent = 99; }},
        {"child of another parent",
         [](LayoutDescription& l) {
             l.windows[0].controls[1].children = {2, 3, 5};
         }},
        {"zero separator outside a tab",
         [](LayoutDescription& l) {
             l.windows[0].controls[1].children = {2, 0, 5};
         }},
        {"repeated window id",
         [](LayoutDescription& l) {
             l.windows[1].id = l.windows[0].id;
             l.windows[1].controls[0].id = l.windows[0].id;
         }},
        {"second window record",
         [](LayoutDescription& l) {
             l.windows[0].controls[6].type = ControlType::Window;
             l.windows[0].controls[6].properties = MakeControlRecord(ControlType::Window).properties;
         }},
    };
    for (const Case& c : cases) {
        LayoutDescription layout = SampleLayout();
        c.damage(layout);
        EXPECT_FALSE(ReadLayout(WriteLayout(layout))) << c.what;
    }
}

TEST(Layout, DamagedWordsAreRefused) {
    Bytes good = WriteLayout(SampleLayout());
    std::size_t firstRecordType = Find(good, {0x01, 0x00, 0x01, 0x00});
    std::size_t version = Find(good, {6, 0, 0, 0}, firstRecordType);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"window list of an odd size", 0, 12},
        {"window list larger than the data", 0, 0x7FFFFFF8},
        {"unknown type code", firstRecordType, 0x00010099},
        {"unknown property version", version, 5},
    };
    for (const Case& c : cases) {
        Bytes damaged = good;
        Put(damaged, c.at, c.value);
        EXPECT_FALSE(ReadLayout(damaged)) << c.what;
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ReadLayout(longer)) << "bytes after the last window";
}

// The same picture on two windows (the banner of the install and uninstall
// pages) is stored once and read back as itself; a reference to a block
// that was not read before it is refused.
TEST(Layout, ARepeatedBlockIsStoredOnce) {
    auto withPicture = [](Bytes picture) {
        LayoutDescription layout = SampleLayout();
        ControlRecord again = Control(ControlType::PictureBox, 2, "图片框3", 0);
        again.properties[2] = std::move(picture);
        layout.windows[1].controls[0].children = {2};
        layout.windows[1].controls.push_back(again);
        return layout;
    };
    const Bytes picture(300, 0x89);  // the first window's picture box holds it already
    LayoutDescription repeated = withPicture(picture);
    Bytes shared = WriteLayout(repeated), whole = WriteLayout(withPicture(Bytes(300, 0x8A)));
    EXPECT_EQ(whole.size() - shared.size(), 300u - 4u);
    std::string error;
    std::optional<LayoutDescription> read = ReadLayout(shared, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, repeated);

    // The reference is in the last record (an event's -1 comes before it).
    std::size_t marker = shared.size();
    for (std::size_t at = Find(shared, {0xFF, 0xFF, 0xFF, 0xFF}); at < shared.size();
         at = Find(shared, {0xFF, 0xFF, 0xFF, 0xFF}, at + 1))
        marker = at;
    ASSERT_LT(marker, shared.size());
    for (std::uint32_t index : {0x7FFFFFFFu, 0xFFFFFFFFu, 1000u}) {
        Bytes damaged = shared;
        Put(damaged, marker + 4, index);
        EXPECT_FALSE(ReadLayout(damaged)) << index;
    }
    EXPECT_FALSE(ReadLayout(std::span(shared.data(), marker + 6))) << "a reference cut short";
}

TEST(LayoutProperties, EveryOwnNumberIsStoredOnce) {
    for (const TypeProperties& type : AllTypeProperties()) {
        std::vector<int> seen(type.ownCount, 0);
        for (const PropertyField& field : type.fields) {
            ASSERT_LT(field.own, type.ownCount) << type.name;
            ++seen[field.own];
        }
        for (int own = 0; own < type.ownCount; ++own) EXPECT_EQ(seen[own], 1) << type.name << " own " << own;
    }
}

TEST(LayoutProperties, EnumerationsAreClamped) {
    const TypeProperties& box = *FindTypeProperties(ControlType::PictureBox);
    EXPECT_EQ(ClampToField(*FindOwnField(box, 3), 7), 2);
    EXPECT_EQ(ClampToField(*FindOwnField(box, 3), -1), 0);
    EXPECT_EQ(ClampToField(*FindOwnField(box, 1), 0x123456), 0x123456);  // a colour is no enumeration
    const TypeProperties& label = *FindTypeProperties(ControlType::Label);
    EXPECT_EQ(ClampToField(*FindOwnField(label, 3), 2), 5);  // gradient border width at least 5
}

}  // namespace
