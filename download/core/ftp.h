#pragma once
// The FTP side of a task that needs no socket: the task data taken from an
// ftp:// URL, and the reading of replies.
#include <optional>
#include <string_view>

#include "services/core/values.h"

inline constexpr std::size_t kFtpLineLimit = 5120;  // bytes read for one reply line
inline constexpr std::size_t kFtpReplyKept = 2048;  // bytes of a line the callers keep
inline constexpr std::size_t kFtpNameLimit = 255;   // user and password fields
inline constexpr std::size_t kFtpLoginLimit = 250;  // longer ones fail the login unsent

struct FtpTaskData {
    Text host;  // without user, password and port
    int port = 21;
    Text path;  // percent-decoded, with its leading "/"
    Text user;
    Text password;
    bool binary = true;
};

// user:password@host in the URL wins over the given user and password.
// transferType 1 binary; 3 binary when the URL's extension occurs in
// binaryExtensions; anything else ASCII.
FtpTaskData MakeFtpTaskData(std::string_view url, std::string_view hostPart, std::string_view path, int port,
                            std::string_view user, std::string_view password, int transferType,
                            std::string_view binaryExtensions);

// The code of a reply line that begins with three digits and a blank, else
// -1 (a continuation line of a multi-line reply).
int FtpReplyCode(std::string_view line);

// REST 100 answered 350 with "Restart" or "restart" in the text.
bool FtpSupportsRestart(int code, std::string_view text);

struct PassiveAddress {
    Text address;
    int port;
};
// The six numbers between the first "(" and ")" of a 227 reply.
std::optional<PassiveAddress> ParsePassiveReply(std::string_view text);

// "PORT a,b,c,d,p1,p2"; none when the address is not dotted IPv4.
std::optional<Text> PortCommand(std::string_view address, int port);

// The number after "213 " of a SIZE reply; -1 when there is none or it does
// not fit 31 bits.
long long FtpSizeFromReply(std::string_view text);
