#include "download/socket.h"

#include <ws2tcpip.h>

#include "download/core/status_text.h"

namespace {

constexpr int kStepMs = 10;

int LastError() { return SocketErrorCode(WSAGetLastError()); }

void SetNonBlocking(SOCKET s) {
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
}

// One 10 ms wait: 1 ready, 0 nothing yet, <0 the wait failed.
int WaitStep(SOCKET s, bool forWrite) {
    fd_set set, errors;
    FD_ZERO(&set);
    FD_SET(s, &set);
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    timeval step = {0, kStepMs * 1000};
    int n = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errors, &step);
    if (n < 0) return -1;
    if (n == 0) return 0;
    return FD_ISSET(s, &set) ? 1 : (FD_ISSET(s, &errors) ? -1 : 0);
}

}  // namespace

// Started once for the process and left started: starting and cleaning it up
// around every socket let a cleanup on one connection's thread take another
// thread's fresh socket away (WSAENOTSOCK on its first send). The program's
// end releases it.
bool StartSocketLibrary() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool Socket::Open() {
    Close();
    if (!StartSocketLibrary()) return false;
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) {
        Close();
        return false;
    }
    return true;
}

void Socket::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

ConnectOutcome ConnectWithTimeout(Socket& socket, const Text& address, int port, int timeoutMs, const StopCheck& stop) {
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(port));
    peer.sin_addr.s_addr = inet_addr(address.c_str());
    SOCKET s = socket.get();
    // The socket stays non-blocking: every later send and receive waits in
    // its own 10 ms steps, and switching modes per call costs a system call.
    SetNonBlocking(s);
    if (connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer) == 0) return ConnectOutcome::Connected;
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) return ConnectOutcome::Failed;
    int steps = timeoutMs / kStepMs > 0 ? timeoutMs / kStepMs : 1;
    for (int i = 0; i < steps; ++i) {
        if (stop && stop()) return ConnectOutcome::Stopped;
        int ready = WaitStep(s, true);  // a refused connect shows in the error set
        if (ready < 0) return ConnectOutcome::Failed;
        if (ready > 0) return ConnectOutcome::Connected;
    }
    return ConnectOutcome::TimedOut;
}

int SendWithTimeout(Socket& socket, std::string_view bytes, int timeoutMs, const StopCheck& stop) {
    SOCKET s = socket.get();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (timeoutMs >= 0) {
            int waited = 0;
            while (true) {
                int ready = WaitStep(s, true);
                if (ready < 0) return kWaitFailed;
                if (ready > 0) break;
                waited += kStepMs;
                if (stop && stop()) return kStopped;
                if (timeoutMs > 0 && waited > timeoutMs) return kWaitTimeout;
            }
        }
        int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
        if (n == SOCKET_ERROR) return kSendError;
        sent += static_cast<std::size_t>(n);
    }
    return 0;
}

Received ReceiveWithTimeout(Socket& socket, char* buffer, int wanted, int timeoutMs, const StopCheck& stop) {
    SOCKET s = socket.get();
    if (!buffer) return {0, -4};
    // Data that is already there is taken without a wait: one call instead
    // of a wait and a call for every block of a fast transfer.
    int silence = 0;
    while (true) {
        if (stop && stop()) return {0, kStopped};
        int n = recv(s, buffer, wanted, 0);
        if (n > 0) return {n, 0};
        if (n == 0) return {0, kPeerClosed};
        if (WSAGetLastError() != WSAEWOULDBLOCK) return {0, LastError()};
        int ready = WaitStep(s, false);
        if (ready < 0) return {0, kWaitFailed};
        if (ready == 0) {
            silence += kStepMs;
            if (silence > timeoutMs) return {0, kReceiveTimeout};
        }
    }
}

Text ResolveHost(const Text& name) {
    if (!StartSocketLibrary()) return {};
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    Text address;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0 && found) {
        auto* in = reinterpret_cast<sockaddr_in*>(found->ai_addr);
        address = inet_ntoa(in->sin_addr);
        freeaddrinfo(found);
    }
    return address;
}

bool Socket::Adopt(SOCKET accepted) {
    Close();
    if (accepted == INVALID_SOCKET) return false;
    socket_ = accepted;
    SetNonBlocking(socket_);
    return true;
}
