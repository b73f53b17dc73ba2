#pragma once
// The socket layer shared by the protocols: TCP over IPv4, every wait in
// 10 ms steps so that a stop is seen at once. Failures are negative codes
// (see download/core/status_text.h for their texts).
#include <winsock2.h>

#include <functional>

#include "services/core/values.h"

inline constexpr int kPeerClosed = -22;
inline constexpr int kReceiveTimeout = -10;
inline constexpr int kNotReady = -9;
inline constexpr int kReceiveError = -8;
inline constexpr int kSendError = -7;
inline constexpr int kWaitTimeout = -6;
inline constexpr int kWaitFailed = -5;
inline constexpr int kStopped = -100;  // the connection or task was stopped
inline constexpr int kUnclassified = -1;

// True once the caller wants the operation abandoned.
using StopCheck = std::function<bool()>;

// Starts the system's socket library once for the process.
bool StartSocketLibrary();

class Socket {
public:
    Socket() = default;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { Close(); }

    // Starts the socket library (once per process) and makes a TCP socket;
    // false when either fails.
    bool Open();
    void Close();
    bool isOpen() const { return socket_ != INVALID_SOCKET; }
    SOCKET get() const { return socket_; }
    // Takes over an accepted socket; false (and nothing held) for an invalid one.
    bool Adopt(SOCKET accepted);

private:
    SOCKET socket_ = INVALID_SOCKET;
};

enum class ConnectOutcome { Connected, TimedOut, Stopped, Failed };
// Blocks for up to timeoutMs (at least one 10 ms step).
ConnectOutcome ConnectWithTimeout(Socket& socket, const Text& address, int port, int timeoutMs, const StopCheck& stop);

// Waits until writable (timeoutMs -1: no wait, 0: no limit), then sends all
// bytes. 0 on success, else a negative code.
int SendWithTimeout(Socket& socket, std::string_view bytes, int timeoutMs, const StopCheck& stop);

struct Received {
    int bytes = 0;  // received before the outcome
    int code = 0;   // 0 data, kPeerClosed, kStopped, or a negative error
};
// One receive call of at most `wanted` bytes once the socket is readable;
// more than timeoutMs of silence is kReceiveTimeout.
Received ReceiveWithTimeout(Socket& socket, char* buffer, int wanted, int timeoutMs, const StopCheck& stop);

// The first IPv4 address of a host name as dotted text, or empty.
Text ResolveHost(const Text& name);
