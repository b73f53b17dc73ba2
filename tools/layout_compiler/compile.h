#pragma once
// The layout compiler: readable layout sources, one per window, turned into
// the stored layout description, the handler table the program links and
// the identifiers its code names windows and controls by.
//
// A source is a list of sections: [window] first, then one section per
// control named as the control, each with "key = value" lines:
//
//   [window]
//   name = 主窗口
//   symbol = main_window
//   rect = 0, 0, 1215, 750
//   flags = visible
//   on created = OnMainWindowCreated
//
//   [图片框2]
//   type = picture box
//   symbol = Background
//   parent = window
//   rect = 0, 0, 1215, 750
//   flags = visible
//   background colour = 24, 26, 33
//   picture = ../assets/banner.png
//
// Keys other than these are the type's own property names; a value is a
// number, "r, g, b", "default", yes/no, a text, a file (pictures, icons,
// sounds; relative to the source) or "face, height" for a font. A control on
// a tab control says which page (1, 2, ...) it is on with "page".
#include <string>
#include <vector>

#include "frame/core/layout.h"

struct LayoutSource {
    std::string path;      // for messages and relative file names
    std::string contents;  // UTF-8 as written; texts are stored in code page 936
};

struct NamedIdentifier {
    std::string symbol;
    std::uint32_t id;
};

struct CompiledWindow {
    std::string symbol;
    std::uint32_t id;
    std::vector<NamedIdentifier> controls;
};

struct CompiledLayout {
    LayoutDescription layout;
    std::vector<std::string> handlers;  // handler offset = index
    std::vector<CompiledWindow> windows;
    std::vector<std::string> inputFiles;  // sources and every file they name
};

// Texts of the sources are converted from UTF-8 with `toCodePage936`, which
// returns false for a character code page 936 lacks.
using TextConverter = bool (*)(const std::string& utf8, std::string& out);

// Compiles the windows in the given order (window identifiers follow it).
// On failure returns false with "path:line: what" in `error`.
bool CompileLayout(const std::vector<LayoutSource>& sources, TextConverter toCodePage936, CompiledLayout& out,
                   std::string& error);

std::string GenerateIdentifierHeader(const CompiledLayout& compiled);
std::string GenerateHandlerTable(const CompiledLayout& compiled);

inline constexpr std::uint32_t kFirstWindowId = 0x52000001;
