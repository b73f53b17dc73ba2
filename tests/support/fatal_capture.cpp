#include "tests/support/fatal_capture.h"

#include "frame/core/fatal.h"

void ReportFatalError(std::string_view message, int number, int, int) {
    throw FatalReported{std::string(message), number};
}
