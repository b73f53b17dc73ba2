#include "download/socket.h"

#include <cstring>
#include <string>

#include "download/core/status_text.h"
#include "download/core/url.h"

namespace {

constexpr int kStepMs = 10;

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

bool Socket::Open(int family) {
    Close();
    if (!StartSocketLibrary()) return false;
    socket_ = ::socket(family, SOCK_STREAM, IPPROTO_TCP);
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

ConnectOutcome ConnectWithTimeout(Socket& socket, const PeerAddress& peer, int timeoutMs, const StopCheck& stop) {
    if (!socket.Open(peer.family())) return ConnectOutcome::Failed;
    SOCKET s = socket.get();
    // The socket stays non-blocking: every later send and receive waits in
    // its own 10 ms steps, and switching modes per call costs a system call.
    SetNonBlocking(s);
    if (connect(s, reinterpret_cast<const sockaddr*>(&peer.storage), peer.length) == 0)
        return ConnectOutcome::Connected;
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

ConnectOutcome ConnectWithTimeout(Socket& socket, const Text& address, int port, int timeoutMs, const StopCheck& stop) {
    std::optional<PeerAddress> peer = LiteralAddress(address, port);
    if (!peer || peer->family() != AF_INET) return ConnectOutcome::Failed;
    return ConnectWithTimeout(socket, *peer, timeoutMs, stop);
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
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) return {0, ReceiveErrorCode(error)};
        int ready = WaitStep(s, false);
        if (ready < 0) return {0, kWaitFailed};
        if (ready == 0) {
            silence += kStepMs;
            if (silence > timeoutMs) return {0, kReceiveTimeout};
        }
    }
}

namespace {

Text AddressText(const sockaddr* address, int length) {
    char text[NI_MAXHOST] = {};
    if (getnameinfo(address, length, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0) return {};
    return text;
}

PeerAddress FromAddrInfo(const addrinfo& found) {
    PeerAddress peer;
    std::memcpy(&peer.storage, found.ai_addr, found.ai_addrlen);
    peer.length = static_cast<int>(found.ai_addrlen);
    peer.text = AddressText(found.ai_addr, peer.length);
    return peer;
}

}  // namespace

std::optional<PeerAddress> LiteralAddress(const Text& name, int port) {
    if (IsDottedIPv4(name)) {
        // As the system has always read a dotted address (inet_addr), which
        // getaddrinfo may not ("127.000.0.1").
        PeerAddress peer;
        auto* in = reinterpret_cast<sockaddr_in*>(&peer.storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(static_cast<u_short>(port));
        in->sin_addr.s_addr = inet_addr(name.c_str());
        peer.length = sizeof(sockaddr_in);
        peer.text = name;
        return peer;
    }
    if (name.find(':') == Text::npos || !StartSocketLibrary()) return std::nullopt;
    addrinfo hints = {};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) return std::nullopt;
    PeerAddress peer = FromAddrInfo(*found);
    freeaddrinfo(found);
    return peer;
}

std::vector<PeerAddress> LookUpHost(const Text& name, int port, bool ipv4Only) {
    if (std::optional<PeerAddress> literal = LiteralAddress(name, port)) {
        if (ipv4Only && literal->family() != AF_INET) return {};
        return {*literal};
    }
    std::vector<PeerAddress> peers;
    if (!StartSocketLibrary()) return peers;
    addrinfo hints = {};
    hints.ai_family = ipv4Only ? AF_INET : AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return peers;
    for (addrinfo* a = found; a; a = a->ai_next)
        if ((a->ai_family == AF_INET || a->ai_family == AF_INET6) && a->ai_addrlen <= sizeof(sockaddr_storage))
            peers.push_back(FromAddrInfo(*a));
    freeaddrinfo(found);
    return peers;
}

int Socket::Send(std::string_view bytes, int timeoutMs, const StopCheck& stop) {
    return SendWithTimeout(*this, bytes, timeoutMs, stop);
}

Received Socket::Receive(char* buffer, int wanted, int timeoutMs, const StopCheck& stop) {
    return ReceiveWithTimeout(*this, buffer, wanted, timeoutMs, stop);
}

bool Socket::Adopt(SOCKET accepted) {
    Close();
    if (accepted == INVALID_SOCKET) return false;
    socket_ = accepted;
    SetNonBlocking(socket_);
    return true;
}
