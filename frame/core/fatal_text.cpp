#include "frame/core/fatal.h"

#include <string>

Text FormatFatalDetail(int first, int second) {
    return "\r\n" + std::to_string(first) + ", " + std::to_string(second) + "\r\n";
}

Text FormatFatalText(std::string_view message, int number, std::string_view detail) {
    Text text = "运行时出错!\r\n";
    if (number != 0) text += "\r\n错误代码：" + std::to_string(number) + "\r\n";
    if (!message.empty()) {
        text += "\r\n错误信息：";
        text += message;
        text += "\r\n";
    }
    text += detail;
    return text;
}
