#include "download/core/status_text.h"

#include <cstdio>

Text MessageTimeStamp(int year, int month, int day, int hour, int minute, int second) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", year, month, day);
    if (second != 0)
        std::snprintf(buffer + n, sizeof buffer - n, "%d时%d分%d秒", hour, minute, second);
    else if (minute != 0)
        std::snprintf(buffer + n, sizeof buffer - n, "%d时%d分", hour, minute);
    else if (hour != 0)
        std::snprintf(buffer + n, sizeof buffer - n, "%d时", hour);
    return buffer;
}

std::string_view SocketErrorText(int code) {
    switch (code) {
        case -22: return "有错误发生";
        case -10: return "接收数据超时";
        case -9: return "FD_ISSET 找不到需要的SOCK";
        case -8: return "接收数据错误";
        case -7: return "发送数据错误";
        case -6: return "等待接收或发送数据超时";
        case -5: return "等待接收或发送数据错误";
        case -4: return "空指针错误";
        case -3: return "设置或获得SOCK状态出错";
        case -2: return "位置错误";
        case -10093: return "应用程序没有调用 WSAStartup，或者 WSAStartup 失败。";
        case -10050: return "套接字操作遇到了一个已死的网络。";
        case -10014: return "系统检测到在一个调用中尝试使用指针参数时的无效指针地址。";
        case -10057:
            return "由于套接字没有连接并且(当使用一个 sendto "
                   "调用发送数据报套接字时)没有提供地址，发送或接收数据的请求没有被接受";
        case -10004: return "一个封锁操作被对 WSACancelBlockingCall 的调用中断。";
        case -10036: return "目前正在执行一个阻挡性操作。";
        case -10052: return "当该操作在进行中，由于保持活动的操作检测到一个故障，该连接中断。";
        case -10038: return "在一个非套接字上尝试了一个操作。";
        case -10045: return "参考的对象类型不支持尝试的操作。";
        case -10058: return "由于以前的关闭调用，套接字在那个方向已经关闭，发送或接收数据的请求没有被接受。";
        case -10035: return "无法立即完成一个非阻挡性套接字操作。";
        case -10040: return "用户用于接收数据报的缓冲器比数据报小。";
        case -10022: return "过程调用无效。";
        case -10053: return "您的主机中的软件放弃了一个已建立的连接。";
        case -10060: return "由于连接方在一段时间后没有正确答复或连接的主机没有反应，连接尝试失败。";
        case -10054: return "远程主机强迫关闭了一个现有的连接。";
    }
    return "未知错误";
}

int SocketErrorCode(int systemError) {
    switch (systemError) {
        case 10004:
        case 10014:
        case 10022:
        case 10035:
        case 10036:
        case 10038:
        case 10040:
        case 10045:
        case 10050:
        case 10052:
        case 10053:
        case 10054:
        case 10056:
        case 10057:
        case 10058:
        case 10060:
        case 10093: return -systemError;
    }
    return -1;
}

int ReceiveErrorCode(int systemError) {
    int code = SocketErrorCode(systemError);
    return code == -1 ? -8 : code;
}
