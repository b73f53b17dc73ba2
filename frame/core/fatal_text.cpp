#include "frame/core/fatal.h"

#include <string>

Text FormatFatalDetail(int first, int second) {
    return "\r\n" + std::to_string(first) + ", " + std::to_string(second) + "\r\n";
}

Text FormatFatalDetail(int first, int second, const FatalWindowContext& window) {
    Text detail = "\r\n" + std::to_string(first) + ", " + std::to_string(second);
    if (!window.windowLoaded) {
        detail += "\r\n未找到所指定的窗口";
    } else {
        detail += "\r\n\"";
        detail += window.windowName;
        detail += "\"";
        detail += window.controlName ? "\r\n\"" + *window.controlName + "\"" : Text("\r\n未找到所指定的窗口组件");
    }
    return detail + "\r\n";
}

std::string_view RuntimeErrorText(int number) {
    static constexpr std::string_view kTexts[] = {
        "数组成员引用下标超出定义范围",
        "未得到所需要的数值型数据",
        "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
        "数组成员引用下标必须大于等于1",
        "数据或数组类型不匹配",
        "调用DLL命令后发现堆栈错误",
        "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
        "被比较数据只能使用等于或不等于命令比较",
        "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
        "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
        "所提供参数的数据类型不符合要求",
    };
    if (number < 1 || number > 11) return {};
    return kTexts[number - 1];
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
