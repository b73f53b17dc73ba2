// The FTP side of a connection: control connection, login, restart test,
// size and type, the passive data connection with its fall-back to the
// active mode, REST and RETR.
#include <winsock2.h>

#include "download/core/status_text.h"
#include "download/dial.h"
#include "download/task.h"

namespace {

constexpr MessageLevel InfoLevel = MessageLevel::Info, SentLevel = MessageLevel::Sent,
                       ReceivedLevel = MessageLevel::Received, ErrorLevel = MessageLevel::Error;

struct Reply {
    int code;  // -1 not sent, 0 no reply
    Text text;
};

StopCheck StopFor(const DownloadTask& task, const Connection& c) {
    return [&task, &c] { return ShouldStop(task, c); };
}

// One reply line, read a byte at a time up to CR LF. Lines longer than the
// callers' 2048 bytes are cut there but still read to their end.
int ReadLine(DownloadTask& task, Connection& c, int timeoutMs, Text& line) {
    line.clear();
    std::size_t read = 0;
    char previous = 0;
    bool crKept = false;  // whether the CR before a LF made it into the kept part
    while (read < kFtpLineLimit) {
        char byte;
        Received r = ReceiveWithTimeout(c.control, &byte, 1, timeoutMs, StopFor(task, c));
        if (r.code != 0) return r.code == kStopped ? kPeerClosed : r.code;
        ++read;
        if (previous == '\r' && byte == '\n') {
            if (crKept) line.pop_back();
            return 0;
        }
        crKept = line.size() < kFtpReplyKept;
        if (crKept) line += byte;
        previous = byte;
    }
    return kReceiveError;
}

Reply ReadReply(DownloadTask& task, Connection& c, int timeoutMs) {
    while (true) {
        Text line;
        int error = ReadLine(task, c, timeoutMs, line);
        if (error != 0) {
            ReportMessage(task, c.id, ErrorLevel, SocketErrorText(error));
            ReportMessage(task, c.id, ErrorLevel, "获得返回命令失败");
            return {0, {}};
        }
        ReportMessage(task, c.id, ReceivedLevel, line);
        int code = FtpReplyCode(line);
        if (code >= 0) return {code, line};
    }
}

Reply Exchange(DownloadTask& task, Connection& c, std::string_view command, int timeoutMs) {
    Text line = Text(command) + "\r\n";
    if (line.size() > 1024 || SendWithTimeout(c.control, line, timeoutMs, StopFor(task, c)) != 0) return {-1, {}};
    return ReadReply(task, c, timeoutMs);
}

bool Login(DownloadTask& task, Connection& c) {
    const FtpTaskData& ftp = task.ftp;
    if (ftp.user.size() > kFtpLoginLimit || ftp.password.size() > kFtpLoginLimit) return false;
    ReportFormatted(task, c.id, SentLevel, "USER %s", ftp.user.c_str());
    Reply user = Exchange(task, c, "USER " + ftp.user, task.param.ConnectTimeout);
    if (user.code == 230) return true;
    if (user.code != 331) return false;
    ReportMessage(task, c.id, SentLevel, "PASS ******");  // the password itself is never shown
    Reply pass = Exchange(task, c, "PASS " + ftp.password, task.param.ConnectTimeout);
    if (pass.code == 230) return true;
    ReportMessage(task, c.id, ErrorLevel, pass.code == 530 ? "出现错误" : "暂时不支持的回应");
    return false;
}

// Control connection, greeting and login: the common start of every request.
StepResult OpenControl(DownloadTask& task, Connection& c) {
    c.control.Close();
    c.socket.Close();
    c.listener.Close();
    if (!StartSocketLibrary()) return StepFinal;  // no sockets at all: trying again cannot help
    if (ConnectPeer(task, c, c.control, "正在连接 [%s:%d]") != ConnectOutcome::Connected) return StepRetry;
    ReportMessage(task, c.id, InfoLevel, "连接成功, 等待欢迎消息");
    if (ReadReply(task, c, task.param.ConnectTimeout).code != 220) {
        ReportMessage(task, c.id, ErrorLevel, "无法得到欢迎消息");
        return StepRetry;
    }
    if (!Login(task, c)) {
        ReportMessage(task, c.id, ErrorLevel, "登录失败");
        return StepRetry;
    }
    ReportMessage(task, c.id, ReceivedLevel, "登录成功");
    return StepDone;
}

void SendType(DownloadTask& task, Connection& c) {
    const char* type = task.ftp.binary ? "TYPE I" : "TYPE A";
    ReportMessage(task, c.id, ReceivedLevel, type);
    Exchange(task, c, type, task.param.ReceiveTimeout);
}

bool PassiveData(DownloadTask& task, Connection& c) {
    ReportMessage(task, c.id, SentLevel, "PASV");
    Reply reply = Exchange(task, c, "PASV", task.param.ReceiveTimeout);
    std::optional<PassiveAddress> passive = reply.code == 227 ? ParsePassiveReply(reply.text) : std::nullopt;
    if (!passive) {
        ReportMessage(task, c.id, ErrorLevel, "设置数据通道错误");
        ReportMessage(task, c.id, ErrorLevel, "尝试主动模式连接");
        return false;
    }
    if (ConnectWithTimeout(c.socket, passive->address, passive->port, task.param.ConnectTimeout, StopFor(task, c)) ==
        ConnectOutcome::Connected)
        return true;
    c.socket.Close();
    ReportMessage(task, c.id, ErrorLevel, "数据通道连接失败");
    ReportMessage(task, c.id, ErrorLevel, "尝试主动模式连接");
    return false;
}

// The address the server is to connect back to: the first address of this
// computer's own name.
Text OwnAddress() {
    char name[256] = {};
    if (!StartSocketLibrary() || gethostname(name, sizeof name) != 0) return {};
    std::vector<PeerAddress> own = LookUpHost(name, 0, true);
    return own.empty() ? Text() : own.front().text;
}

StepResult ActiveData(DownloadTask& task, Connection& c) {
    auto unanswered = [&] {
        ReportMessage(task, c.id, ErrorLevel, "获得返回信息失败");
        return StepRetry;
    };
    if (!c.listener.Open()) return unanswered();
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    int length = sizeof local;
    if (bind(c.listener.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(c.listener.get(), 1) != 0 ||
        getsockname(c.listener.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return unanswered();
    std::optional<Text> command = PortCommand(OwnAddress(), ntohs(local.sin_port));
    if (!command) return unanswered();
    ReportMessage(task, c.id, SentLevel, *command);
    Reply reply = Exchange(task, c, *command, task.param.ConnectTimeout);
    if (reply.code <= 0) return unanswered();
    if (reply.code != 200) {
        ReportMessage(task, c.id, ErrorLevel, "设置主动模式失败");
        return StepRetry;
    }
    return StepDone;
}

StepResult DataConnection(DownloadTask& task, Connection& c) {
    if (!task.ftpActiveMode.load()) {
        if (PassiveData(task, c)) return StepDone;
        task.ftpActiveMode = true;  // for the rest of the task
    }
    return ActiveData(task, c);
}

// The server's data connection in active mode, waited for at most ReceiveTimeout.
StepResult AcceptData(DownloadTask& task, Connection& c) {
    for (int waited = 0; waited <= task.param.ReceiveTimeout; waited += 10) {
        if (ShouldStop(task, c)) return StepRetry;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(c.listener.get(), &readable);
        timeval step = {0, 10000};
        int n = select(0, &readable, nullptr, nullptr, &step);
        if (n < 0) break;
        if (n == 0) continue;
        if (!c.socket.Adopt(accept(c.listener.get(), nullptr, nullptr))) break;
        return StepDone;
    }
    ReportMessage(task, c.id, ErrorLevel, "数据传送失败");
    return StepRetry;
}

StepResult Retrieve(DownloadTask& task, Connection& c) {
    ReportFormatted(task, c.id, SentLevel, "RETR %s", task.ftp.path.c_str());
    Text path = task.ftp.path.substr(task.ftp.path.empty() || task.ftp.path[0] != '/' ? 0 : 1);
    Reply reply = Exchange(task, c, "RETR " + path, task.param.ReceiveTimeout);
    if (reply.code != 125 && reply.code != 150) {
        ReportMessage(task, c.id, ErrorLevel, "数据传送失败");
        return StepRetry;
    }
    if (task.ftpActiveMode.load() && !c.socket.isOpen()) return AcceptData(task, c);
    return StepDone;
}

bool RestartTest(DownloadTask& task, Connection& c) {
    Reply reply = Exchange(task, c, "REST 100", task.param.ReceiveTimeout);
    return FtpSupportsRestart(reply.code, reply.text);
}

Text WithoutLeadingSlash(const Text& path) { return path.substr(!path.empty() && path[0] == '/' ? 1 : 0); }

// A name that does not resolve is final for FTP. The passive and active
// data channels speak IPv4 only, so only IPv4 addresses are tried.
StepResult Resolve(DownloadTask& task, Connection& c) {
    return ResolvePeer(task, c, {task.ftp.host, task.ftp.port}, {"正在解析域名 [%s]", "解析域名 [%s]出错"},
                       task.ftp.host, true)
               ? StepDone
               : StepFinal;
}

}  // namespace

StepResult FtpFirstRequest(DownloadTask& task, Connection& c) {
    c.buffered = 0;
    c.headerBodyBytes = 0;
    StepResult step = Resolve(task, c);
    if (step == StepDone) step = OpenControl(task, c);
    if (step != StepDone) return step;

    // The type goes first: a server may refuse REST and SIZE while the type
    // is ASCII, and the file would then seem not to exist.
    SendType(task, c);
    ReportMessage(task, c.id, SentLevel, "REST 100");
    Reply test = Exchange(task, c, "REST 100", task.param.ReceiveTimeout);
    bool restart = FtpSupportsRestart(test.code, test.text);
    task.ftpRestart = restart;
    ReportMessage(task, c.id, ErrorLevel, restart ? "站点支持断点续传" : "站点不支持断点续传");
    // A 350 in any wording means the server took the marker: without REST 0
    // the first RETR would start at byte 100.
    if (test.code == 350) {
        ReportMessage(task, c.id, SentLevel, "REST 0");
        if (Exchange(task, c, "REST 0", task.param.ReceiveTimeout).code <= 0) return StepRetry;
    }

    ReportFormatted(task, c.id, ReceivedLevel, "SIZE %s", WithoutLeadingSlash(task.ftp.path).c_str());
    Reply size = Exchange(task, c, "SIZE " + WithoutLeadingSlash(task.ftp.path), task.param.ReceiveTimeout);
    long long fileSize = size.code == 213 ? FtpSizeFromReply(size.text) : -1;
    if (fileSize < 0) {
        if (size.code == 550) ReportMessage(task, c.id, ErrorLevel, "文件不存在");
        return StepFinal;
    }
    task.fileSize = static_cast<std::int32_t>(fileSize);

    step = DataConnection(task, c);
    if (step == StepDone) step = Retrieve(task, c);
    return step;
}

StepResult FtpSegmentRequest(DownloadTask& task, Connection& c, std::int64_t offset) {
    c.buffered = 0;
    c.headerBodyBytes = 0;
    StepResult step = OpenControl(task, c);
    if (step != StepDone) return step;
    SendType(task, c);
    if (!RestartTest(task, c)) {
        ReportMessage(task, c.id, ErrorLevel, "该站点不支持断点续传");
        return StepFinal;
    }
    step = DataConnection(task, c);
    if (step != StepDone) return step;
    Text rest = "REST " + std::to_string(offset);
    ReportMessage(task, c.id, SentLevel, rest);
    Exchange(task, c, rest, task.param.ReceiveTimeout);
    return Retrieve(task, c);
}

StepResult FtpWholeFileRequest(DownloadTask& task, Connection& c) { return FtpSegmentRequest(task, c, 0); }

void FtpEndConnection(DownloadTask& task, Connection& c) {
    if (c.control.isOpen() && !ShouldStop(task, c)) {
        char last[256];
        Received r = ReceiveWithTimeout(c.control, last, sizeof last, task.param.ReceiveTimeout, StopFor(task, c));
        if (r.bytes > 0)
            ReportMessage(task, c.id, ReceivedLevel, std::string_view(last, static_cast<std::size_t>(r.bytes)));
    }
    c.control.Close();
    c.socket.Close();
    c.listener.Close();
}
