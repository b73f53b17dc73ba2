// The HTTP side of a connection: resolve, connect (for HTTPS: through a
// proxy's tunnel, then TLS), send, read and judge the response header. The
// body bytes that came with the header are left in the connection's buffer
// for the data loop.
#include <cstring>

#include "download/core/status_text.h"
#include "download/dial.h"
#include "download/task.h"

namespace {

constexpr MessageLevel Info = MessageLevel::Info, Error = MessageLevel::Error;

StopCheck StopFor(const DownloadTask& task, const Connection& connection) {
    return [&task, &connection] { return ShouldStop(task, connection); };
}

// Looks up the server (or the proxy) into the task's peers.
StepResult Resolve(DownloadTask& task, Connection& c) {
    bool found =
        task.http.proxy.empty()
            ? ResolvePeer(task, c, ServerOf(task.http), {"正在解析域名 [%s]", "解析域名 [%s]出错"},
                          ServerOf(task.http).name)
            : ResolvePeer(task, c, ProxyOf(task.http.proxy),
                          {"正在代理服务器解析域名 [%s]", "解析代理服务器域名 [%s]出错"}, ProxyShown(task.http.proxy));
    return found ? StepDone : StepRetry;
}

StepResult Connect(DownloadTask& task, Connection& c, bool firstRequest) {
    c.tls.Reset();
    c.link = &c.socket;
    if (!StartSocketLibrary()) return StepFinal;  // no sockets at all: trying again cannot help
    const char* connecting =
        firstRequest && !task.http.proxy.empty() ? "正在连接代理服务器 [%s:%d]" : "正在连接 [%s:%d]";
    if (ConnectPeer(task, c, c.socket, connecting) != ConnectOutcome::Connected) return StepRetry;
    ReportFormatted(task, c.id, Info, firstRequest ? "连接 [%s:%d]成功" : "连接[%s:%d]成功", task.address.c_str(),
                    task.connectPort);
    return StepDone;
}

// A proxy that wants credentials it was not given (or not these) will want
// them on every try: final, with a message of its own.
StepResult ProxyRefusedCredentials(DownloadTask& task, Connection& c) {
    ReportFormatted(task, c.id, Error, "代理服务器 [%s] 要求身份验证", ProxyShown(task.http.proxy).c_str());
    c.socket.Close();
    return StepFinal;
}

StepResult SendRequest(DownloadTask& task, Connection& c, std::string_view extraLine) {
    std::optional<Text> request = BuildHttpRequest(task.http, extraLine);
    if (!request) {
        // Too long for the request buffer: nothing is sent, and trying again cannot help.
        ReportMessage(task, c.id, Error, "发送请求失败");
        return StepFinal;
    }
    ReportMessage(task, c.id, MessageLevel::Sent, ShownRequest(*request));
    if (c.link->Send(*request, task.param.SendTimeout, StopFor(task, c)) != 0) {
        ReportMessage(task, c.id, Error, "发送请求失败");
        return StepRetry;
    }
    return StepDone;
}

// Reads until a complete header block is in the 4096-byte buffer, one
// receive call at a time; the body bytes after it go to the data buffer.
StepResult ReadHeader(DownloadTask& task, Connection& c) {
    char header[kHeaderBuffer];
    std::size_t have = 0;
    while (true) {
        if (have == sizeof header) {
            ReportMessage(task, c.id, Error, "HTTP返回头部信息过长");
            return StepFinal;
        }
        Received r = c.link->Receive(header + have, static_cast<int>(sizeof header - have), task.param.ReceiveTimeout,
                                     StopFor(task, c));
        if (r.code == kStopped) {
            ReportMessage(task, c.id, Error, "未知错误");
            return StepRetry;
        }
        if (r.code != 0) {
            ReportMessage(task, c.id, Error, SocketErrorText(r.code));
            return StepRetry;
        }
        have += static_cast<std::size_t>(r.bytes);
        std::optional<HeaderBlock> block = FindHeaderBlock(std::string_view(header, have));
        if (!block) continue;
        std::string_view text(header + block->start, block->end - block->start);
        ReportMessage(task, c.id, MessageLevel::Received, text);
        c.response = ParseHttpResponse(text);
        std::size_t body = have - block->end;
        std::memcpy(c.buffer.data(), header + block->end, body);
        c.buffered = static_cast<int>(body);
        c.headerBodyBytes = c.buffered;
        return StepDone;
    }
}

// A Content-Disposition name is taken while SavePath still names a folder.
void TakeDispositionName(DownloadTask& task, const HttpResponse& response) {
    if (!response.fileName || task.savePath.empty() || task.savePath.back() != '\\') return;
    Text name = LastPathPart(*response.fileName);
    if (task.savePath.size() + name.size() < 260) task.savePath += name;
}

// Asks the proxy for a tunnel to the server; what follows goes through it.
StepResult OpenTunnel(DownloadTask& task, Connection& c) {
    Text request = BuildConnectRequest(task.http);
    ReportMessage(task, c.id, MessageLevel::Sent, ShownRequest(request));
    if (c.link->Send(request, task.param.SendTimeout, StopFor(task, c)) != 0) {
        ReportMessage(task, c.id, Error, "发送请求失败");
        return StepRetry;
    }
    StepResult step = ReadHeader(task, c);
    if (step != StepDone) return step;
    int status = c.response.status;
    c.response = {};
    if (status == 200 && c.buffered == 0) return StepDone;
    if (status == 407) return ProxyRefusedCredentials(task, c);
    ReportFormatted(task, c.id, Error, "代理服务器拒绝建立通道, 返回号[%d]", status);
    return StepFinal;
}

// TLS on the connected socket. A certificate the system refuses ends the
// download: trying again would only meet the same certificate.
StepResult OpenSecureChannel(DownloadTask& task, Connection& c) {
    Text name = ServerOf(task.http).name;
    ReportFormatted(task, c.id, Info, "正在建立安全连接 [%s]", name.c_str());
    switch (c.tls.Handshake(*c.link, task.tlsCredentials, name, task.param.ReceiveTimeout, StopFor(task, c))) {
        case TlsOutcome::Ready:
            c.link = &c.tls;
            ReportFormatted(task, c.id, Info, "安全连接 [%s]成功", name.c_str());
            return StepDone;
        case TlsOutcome::Stopped: return StepRetry;
        case TlsOutcome::NetworkFailed: ReportMessage(task, c.id, Error, "建立安全连接失败"); return StepRetry;
        case TlsOutcome::HandshakeFailed: ReportMessage(task, c.id, Error, "无法与服务器建立安全连接"); break;
        case TlsOutcome::Untrusted: ReportMessage(task, c.id, Error, "服务器证书不受信任"); break;
        case TlsOutcome::Expired: ReportMessage(task, c.id, Error, "服务器证书已过期或尚未生效"); break;
        case TlsOutcome::WrongHost: ReportFormatted(task, c.id, Error, "服务器证书不属于 [%s]", name.c_str()); break;
        case TlsOutcome::BadCertificate: ReportMessage(task, c.id, Error, "服务器证书无效"); break;
    }
    return StepFinal;
}

StepResult Exchange(DownloadTask& task, Connection& c, bool firstRequest, std::string_view extraLine) {
    c.buffered = 0;
    c.headerBodyBytes = 0;
    c.response = {};
    StepResult step = Connect(task, c, firstRequest);
    if (step == StepDone && task.http.secure && !task.http.proxy.empty()) step = OpenTunnel(task, c);
    if (step == StepDone && task.http.secure) step = OpenSecureChannel(task, c);
    if (step == StepDone) step = SendRequest(task, c, extraLine);
    if (step == StepDone) step = ReadHeader(task, c);
    if (step != StepDone)
        c.socket.Close();
    else
        TakeDispositionName(task, c.response);
    return step;
}

}  // namespace

StepResult HttpFirstRequest(DownloadTask& task, Connection& c) {
    for (int redirects = 0;; ++redirects) {
        StepResult step = Resolve(task, c);
        if (step == StepDone) step = Exchange(task, c, true, task.http.cookieLine);
        if (step != StepDone) return step;
        const HttpResponse& response = c.response;
        switch (response.status) {
            case 200:
            case 206:
                // Sizes from 2 GiB on do not fit the file size either.
                if (response.contentLength < 0 || response.contentLength > 0x7FFFFFFF) {
                    ReportMessage(task, c.id, Error, "无法获得文件大小");
                    c.socket.Close();
                    return StepFinal;
                }
                task.fileSize = static_cast<std::int32_t>(response.contentLength);
                return StepDone;
            case 301:
            case 302:
            case 303:  // each of these asks again with a GET, the only request sent
            case 307:
            case 308: {
                c.socket.Close();
                if (!response.location) {
                    ReportMessage(task, c.id, Error, "获得重定向信息错误");
                    return StepFinal;
                }
                ReportFormatted(task, c.id, Error, "重定向到 [%s]", response.location->c_str());
                if (redirects >= kMaxRedirects || !FollowRedirect(task.http, *response.location, response.setCookie)) {
                    ReportMessage(task, c.id, Error, "COOKIE过长或获得重定向信息错误或不支持的协议");
                    return StepFinal;
                }
                continue;
            }
            case 400:
            case 403:
            case 404: ReportMessage(task, c.id, Error, "出现错误"); break;
            case 407:
                if (UsesProxyForm(task.http)) return ProxyRefusedCredentials(task, c);
                [[fallthrough]];
            default: ReportFormatted(task, c.id, Error, "暂时不支持的返回, 返回号[%d]", response.status); break;
        }
        c.socket.Close();
        return StepFinal;
    }
}

StepResult HttpSegmentRequest(DownloadTask& task, Connection& c, std::int64_t offset) {
    StepResult step = Exchange(task, c, false, RangeLine(offset));
    if (step != StepDone) return step;
    const HttpResponse& response = c.response;
    if (AnswersRange(response, offset, task.fileSize.load())) return StepDone;
    if (response.status == 200 || response.status == 206) {
        // Another range, the whole file or another file: its bytes must not
        // be written at this offset.
        ReportFormatted(task, c.id, Error, "服务器没有按请求的位置返回数据 [%lld-], 返回号[%d]",
                        static_cast<long long>(offset), response.status);
        task.rangeRefused = true;
        step = StepRangeRefused;
    } else if (response.status == 400 || response.status == 403 || response.status == 404) {
        ReportMessage(task, c.id, Error, "出现错误");
        step = StepFinal;
    } else if (response.status == 407 && UsesProxyForm(task.http)) {
        return ProxyRefusedCredentials(task, c);
    } else {
        ReportFormatted(task, c.id, Error, "暂时不支持的返回, 返回号[%d]", response.status);
        step = StepFinal;
    }
    c.socket.Close();
    c.buffered = 0;
    return step;
}

StepResult HttpWholeFileRequest(DownloadTask& task, Connection& c) {
    StepResult step = Exchange(task, c, false, task.http.cookieLine);
    if (step != StepDone) return step;
    const HttpResponse& response = c.response;
    if (response.status == 200 && response.contentLength == task.fileSize.load()) return StepDone;
    if (response.status == 200 || response.status == 206)
        ReportMessage(task, c.id, Error, "出现错误");  // not the file the download began with
    else
        ReportFormatted(task, c.id, Error, "暂时不支持的返回, 返回号[%d]", response.status);
    c.socket.Close();
    c.buffered = 0;
    return StepFinal;
}
