// Under the fuzzer a fatal report is a finding: stop at once.
#include <cstdio>
#include <cstdlib>

#include "frame/core/fatal.h"

void ReportFatalError(std::string_view message, int number, int, int) {
    std::fprintf(stderr, "fatal report %d: %.*s\n", number, static_cast<int>(message.size()), message.data());
    std::abort();
}
