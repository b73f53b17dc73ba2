// layout-compile: the build-time layout compiler.
//
//   layout-compile --output layout.bin --header layout_ids.h
//                  --handlers layout_handlers.cpp [--depfile file.d]
//                  window1.layout window2.layout ...
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/layout_compiler/compile.h"

namespace {

bool Utf8ToCodePage936(const std::string& utf8, std::string& out) {
    iconv_t converter = iconv_open("CP936", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    char* to = out.data();
    bool ok = iconv(converter, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return ok;
}

bool WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    std::string output, header, handlers, depfile;
    std::vector<LayoutSource> sources;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        std::string* target = argument == "--output"     ? &output
                              : argument == "--header"   ? &header
                              : argument == "--handlers" ? &handlers
                              : argument == "--depfile"  ? &depfile
                                                         : nullptr;
        if (target) {
            if (++i == argc) return std::cerr << "layout-compile: " << argument << " needs a value\n", 2;
            *target = argv[i];
            continue;
        }
        std::ifstream in(argument, std::ios::binary);
        if (!in) return std::cerr << "layout-compile: cannot read " << argument << "\n", 1;
        std::stringstream contents;
        contents << in.rdbuf();
        sources.push_back({argument, contents.str()});
    }
    if (output.empty() || header.empty() || handlers.empty() || sources.empty()) {
        std::cerr << "usage: layout-compile --output F --header F --handlers F [--depfile F] SOURCE...\n";
        return 2;
    }
    CompiledLayout compiled;
    std::string error;
    if (!CompileLayout(sources, Utf8ToCodePage936, compiled, error)) return std::cerr << error << "\n", 1;
    Bytes stored = WriteLayout(compiled.layout);
    std::string deps = output + ":";
    for (const std::string& file : compiled.inputFiles) deps += " " + file;
    if (!WriteFile(output, std::string(stored.begin(), stored.end())) ||
        !WriteFile(header, GenerateIdentifierHeader(compiled)) ||
        !WriteFile(handlers, GenerateHandlerTable(compiled)) || (!depfile.empty() && !WriteFile(depfile, deps + "\n")))
        return std::cerr << "layout-compile: cannot write the output\n", 1;
    return 0;
}
