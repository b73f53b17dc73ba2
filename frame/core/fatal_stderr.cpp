// The fatal report of the host tools: the box text on standard error, exit -1.
#include <cstdio>
#include <cstdlib>

#include "frame/core/fatal.h"

void ReportFatalError(std::string_view message, int number, int first, int second) {
    Text text = FormatFatalText(message, number, FormatFatalDetail(first, second));
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::exit(-1);
}
