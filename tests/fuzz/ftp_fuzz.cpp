// FTP replies and URLs from outside: reply codes, PASV numbers, sizes and
// the user:password@host form never read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "download/core/ftp.h"
#include "download/core/url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    int code = FtpReplyCode(text);
    if (code > 999) std::abort();
    (void)FtpSupportsRestart(code, text);
    if (auto passive = ParsePassiveReply(text)) {
        if (passive->port < 1 || passive->port > 65535 || !IsDottedIPv4(passive->address)) std::abort();
        if (!PortCommand(passive->address, passive->port)) std::abort();
    }
    if (FtpSizeFromReply(text) > 0x7FFFFFFF) std::abort();
    ParsedUrl url = ParseUrl(text);
    if (url.protocol == Protocol::Ftp) {
        FtpTaskData task = MakeFtpTaskData(text, url.host, url.path, url.port, "u", "p", 3, ".exe|.zip");
        if (task.host.find('@') != Text::npos && url.host.find(':') < url.host.find('@')) std::abort();
    }
    return 0;
}
