// The layout compiler: sources in, the stored form out, and every mistake
// in a source named with its line.
#include "tools/layout_compiler/compile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frame/core/layout_properties.h"

namespace {

// The test's literals are already in code page 936.
bool Identity(const std::string& text, std::string& out) {
    out = text;
    return true;
}

bool Compile(std::vector<LayoutSource> sources, CompiledLayout& out, std::string& error) {
    return CompileLayout(sources, Identity, out, error);
}

const char kMain[] = R"(; the main window
[window]
name = 主窗口
symbol = main_window
rect = 0, 0, 1215, 750
flags = visible
title = Ostry 安装卸载程序
start position = 1
on created = OnCreated
on close query = OnCloseQuery

[图片框2]
type = picture box
symbol = Background
parent = window
rect = 0, 0, 1215, 750
flags = visible
background colour = 24, 26, 33
on left button pressed = OnDrag

[选择夹1]
type = tab control
parent = 图片框2
rect = 11, 11, 1192, 728
flags = visible
pages = 1, 2, 3
strip hidden = yes
paint background = yes
current page = 0
background colour = 24, 26, 33

[超级按钮2]
type = button
parent = 选择夹1
page = 3
rect = 491, 581, 217, 64
flags = visible
caption = "卸载应用"
font = 微软雅黑, 15
on clicked = OnUninstall

[超级按钮4]
type = button
symbol = InstallButton
parent = 选择夹1
page = 1
rect = 491, 581, 217, 64
flags = visible, tab stop
text colour out = 0xC0C0C0
on clicked = OnInstall
on left button pressed = OnDrag
)";

const char kStrip[] = R"([window]
name = 状态条
symbol = status_strip
rect = 0, 0, 1215, 66

[标签2]
type = label
rect = 14, 9, 48, 48
caption = 3.0
horizontal alignment = 1
)";

TEST(LayoutCompiler, CompilesWindowsControlsAndBindings) {
    CompiledLayout compiled;
    std::string error;
    ASSERT_TRUE(Compile({{"main.layout", kMain}, {"strip.layout", kStrip}}, compiled, error)) << error;
    const LayoutDescription& layout = compiled.layout;
    ASSERT_EQ(layout.windows.size(), 2u);
    const WindowDescription& main = layout.windows[0];
    EXPECT_EQ(main.id, kFirstWindowId);
    EXPECT_EQ(layout.windows[1].id, kFirstWindowId + 1);
    EXPECT_EQ(main.name, "主窗口");
    ASSERT_EQ(main.controls.size(), 5u);

    const ControlRecord& form = main.controls[0];
    EXPECT_EQ(form.type, ControlType::Window);
    EXPECT_EQ(form.id, main.id);
    EXPECT_EQ(form.width, 1215);
    EXPECT_EQ(form.flags, kFlagVisible);
    EXPECT_EQ(std::get<Text>(form.properties[0]), "Ostry 安装卸载程序");
    EXPECT_EQ(std::get<std::int32_t>(form.properties[10]), 1);
    EXPECT_EQ(form.children, (std::vector<std::uint32_t>{1}));

    const ControlRecord& background = main.controls[1];
    EXPECT_EQ(background.name, "图片框2");
    EXPECT_EQ(std::get<std::int32_t>(background.properties[1]), 0x211A18);  // 24, 26, 33 as a colour value
    EXPECT_EQ(background.children, (std::vector<std::uint32_t>{2}));

    // Pages: 超级按钮4 on the first, 超级按钮2 on the third, the second empty.
    const ControlRecord& tab = main.controls[2];
    EXPECT_EQ(tab.children, (std::vector<std::uint32_t>{4, 0, 0, 3}));
    EXPECT_EQ(std::get<TextList>(tab.properties[3]), (TextList{"1", "2", "3"}));

    const ControlRecord& uninstall = main.controls[3];
    EXPECT_EQ(std::get<Text>(uninstall.properties[14]), "卸载应用");
    const Bytes& font = std::get<Bytes>(uninstall.properties[13]);
    ASSERT_EQ(font.size(), 60u);
    EXPECT_EQ(static_cast<std::int32_t>(font[0] | font[1] << 8 | font[2] << 16 | font[3] << 24), -15);
    EXPECT_EQ(font[16] | font[17] << 8, 400);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&font[28])), "微软雅黑");

    const ControlRecord& install = main.controls[4];
    EXPECT_EQ(install.flags, kFlagVisible | kFlagTabStop);
    EXPECT_EQ(std::get<std::int32_t>(install.properties[16]), 0xC0C0C0);
    EXPECT_EQ(std::get<std::int32_t>(install.properties[17]), kDefaultColor);  // left at its default

    // Handlers in order of first use; the same handler shares its offset.
    EXPECT_EQ(compiled.handlers,
              (std::vector<std::string>{"OnCreated", "OnCloseQuery", "OnDrag", "OnUninstall", "OnInstall"}));
    EXPECT_EQ(form.events, (std::vector<EventBinding>{{0, 0}, {1, 1}}));
    EXPECT_EQ(install.events, (std::vector<EventBinding>{{0, 4}, {-1, 2}}));
}

TEST(LayoutCompiler, RoundTripsThroughTheStoredForm) {
    CompiledLayout compiled;
    std::string error;
    ASSERT_TRUE(Compile({{"main.layout", kMain}, {"strip.layout", kStrip}}, compiled, error)) << error;
    std::optional<LayoutDescription> read = ReadLayout(WriteLayout(compiled.layout), &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, compiled.layout);
}

TEST(LayoutCompiler, GeneratesIdentifiersAndTheHandlerTable) {
    CompiledLayout compiled;
    std::string error;
    ASSERT_TRUE(Compile({{"main.layout", kMain}, {"strip.layout", kStrip}}, compiled, error)) << error;
    std::string header = GenerateIdentifierHeader(compiled);
    EXPECT_NE(header.find("namespace layout::main_window {"), std::string::npos);
    EXPECT_NE(header.find("inline constexpr std::uint32_t kWindow = " + std::to_string(kFirstWindowId) + "u;"),
              std::string::npos);
    EXPECT_NE(header.find("inline constexpr std::uint32_t kInstallButton = 4u;"), std::string::npos);
    EXPECT_NE(header.find("namespace layout::status_strip {"), std::string::npos);
    std::string table = GenerateHandlerTable(compiled);
    EXPECT_NE(table.find("EventResult OnDrag(const EventArgs&);"), std::string::npos);
    EXPECT_LT(table.find("&OnCreated,"), table.find("&OnInstall,"));
}

TEST(LayoutCompiler, ReadsPictureFilesBesideTheSource) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "layout_compiler_test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "cross.png", std::ios::binary) << "\x89PNG-bytes";
    std::string source = "[window]\nsymbol = w\n[图片框9]\ntype = picture box\npicture = cross.png\nmode = 2\n";
    CompiledLayout compiled;
    std::string error;
    ASSERT_TRUE(Compile({{(folder / "w.layout").string(), source}}, compiled, error)) << error;
    const Bytes& picture = std::get<Bytes>(compiled.layout.windows[0].controls[1].properties[2]);
    EXPECT_EQ(std::string(picture.begin(), picture.end()), "\x89PNG-bytes");
    EXPECT_EQ(compiled.inputFiles.back(), (folder / "cross.png").string());
    std::filesystem::remove_all(folder);
}

TEST(LayoutCompiler, MistakesAreNamedWithTheirLine) {
    struct Case {
        const char* source;
        const char* message;
    } cases[] = {
        {"[图片框1]\ntype = picture box\n", "w.layout:1: a layout source starts with [window]"},
        {"[window]\nsymbol = w\nrect = 1, 2, 3\n", "w.layout:3: rect is \"left, top, width, height\""},
        {"[window]\nsymbol = w\n[a]\ntype = balloon\n", "w.layout:4: unknown control type \"balloon\""},
        {"[window]\nsymbol = w\n[a]\ntype = label\ncolour = 1\n", "w.layout:5: no property \"colour\" for a label"},
        {"[window]\nsymbol = w\n[a]\ntype = label\ntext colour = 300, 0, 0\n",
         "w.layout:5: colour component out of 0..255: 300, 0, 0"},
        {"[window]\nsymbol = w\n[a]\ntype = label\nparent = b\n", "w.layout:5: parent \"b\" is not defined above"},
        {"[window]\nsymbol = w\n[a]\ntype = label\non clicked = OnClick\n",
         "w.layout:5: no event \"clicked\" for this control type"},
        {"[window]\nsymbol = w\n[a]\ntype = button\non clicked = On Click\n",
         "w.layout:5: a handler is a C++ function name: On Click"},
        {"[window]\nsymbol = w\n[a]\ntype = label\npage = 1\n",
         "w.layout:3: \"page\" is only for controls on a tab control"},
        {"[window]\nsymbol = w\n[a]\ntype = label\n[a]\ntype = label\n", "w.layout:5: control \"a\" defined twice"},
        {"[window]\nrect = 0, 0, 1, 1\n", "w.layout:1: the window needs a \"symbol\""},
        {"[window]\nsymbol = w\nflags = visible, sideways\n", "w.layout:3: unknown flag \"sideways\""},
        {"[window]\nsymbol = w\n[a]\ntype = label\nfont = 微软雅黑\n",
         "w.layout:5: a font is \"face, height[, weight]\""},
        {"[window]\nsymbol = w\njust words\n", "w.layout:3: expected \"key = value\""},
    };
    for (const Case& c : cases) {
        CompiledLayout compiled;
        std::string error;
        EXPECT_FALSE(Compile({{"w.layout", c.source}}, compiled, error)) << c.source;
        EXPECT_EQ(error, c.message);
    }
}

}  // namespace
