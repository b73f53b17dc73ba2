#include "download/core/ftp.h"

#include <string>

#include "download/core/url.h"

FtpTaskData MakeFtpTaskData(std::string_view url, std::string_view hostPart, std::string_view path, int port,
                            std::string_view user, std::string_view password, int transferType,
                            std::string_view binaryExtensions) {
    FtpTaskData data;
    data.port = port;
    data.path = DecodeUrlText(path);
    data.user = Text(user);
    data.password = Text(password);
    data.host = Text(hostPart.substr(0, hostPart.find(':')));
    std::size_t at = hostPart.rfind('@');  // the host follows the last one: a password may hold '@'
    std::size_t colon = hostPart.find(':');
    if (at != std::string_view::npos && colon != std::string_view::npos && colon < at) {
        data.user = Text(hostPart.substr(0, colon));
        data.password = Text(hostPart.substr(colon + 1, at - colon - 1));
        std::string_view rest = hostPart.substr(at + 1);
        data.host = Text(rest.substr(0, rest.find(':')));
    }
    if (transferType == 1) {
        data.binary = true;
    } else if (transferType == 3) {
        std::size_t dot = url.rfind('.');
        data.binary = dot != std::string_view::npos && binaryExtensions.find(url.substr(dot)) != std::string_view::npos;
    } else {
        data.binary = false;
    }
    return data;
}

int FtpReplyCode(std::string_view line) {
    if (line.size() < 4 || line[3] != ' ') return -1;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

bool FtpSupportsRestart(int code, std::string_view text) {
    return code == 350 &&
           (text.find("Restart") != std::string_view::npos || text.find("restart") != std::string_view::npos);
}

std::optional<PassiveAddress> ParsePassiveReply(std::string_view text) {
    std::size_t open = text.find('(');
    if (open == std::string_view::npos) return std::nullopt;
    std::size_t close = text.find(')', open);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view inside = text.substr(open + 1, close - open - 1);
    int numbers[6];
    int count = 0;
    std::size_t i = 0;
    while (count < 6) {
        int value = 0, digits = 0;
        while (i < inside.size() && inside[i] == ' ') ++i;
        while (i < inside.size() && inside[i] >= '0' && inside[i] <= '9' && digits < 4) {
            value = value * 10 + (inside[i++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        numbers[count++] = value;
        while (i < inside.size() && inside[i] == ' ') ++i;
        if (count < 6) {
            if (i >= inside.size() || inside[i] != ',') return std::nullopt;
            ++i;
        }
    }
    if (i != inside.size()) return std::nullopt;
    PassiveAddress passive;
    passive.address = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." + std::to_string(numbers[2]) +
                      "." + std::to_string(numbers[3]);
    passive.port = numbers[4] * 256 + numbers[5];
    if (passive.port == 0) return std::nullopt;
    return passive;
}

std::optional<Text> PortCommand(std::string_view address, int port) {
    if (!IsDottedIPv4(address) || port < 1 || port > 65535) return std::nullopt;
    Text command = "PORT ";
    for (char c : address) command += c == '.' ? ',' : c;
    return command + "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
}

long long FtpSizeFromReply(std::string_view text) {
    if (text.substr(0, 4) != "213 ") return -1;
    long long value = 0;
    std::size_t i = 4;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFF) return -1;
    }
    return i == 4 ? -1 : value;
}
