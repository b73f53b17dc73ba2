#pragma once
// The socket layer shared by the protocols: TCP over IPv4 or IPv6, every
// wait in 10 ms steps so that a stop is seen at once. Failures are negative
// codes (see download/core/status_text.h for their texts).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "services/core/values.h"

inline constexpr int kPeerClosed = -22;
inline constexpr int kReceiveTimeout = -10;
inline constexpr int kNotReady = -9;
inline constexpr int kReceiveError = -8;
inline constexpr int kSendError = -7;
inline constexpr int kWaitTimeout = -6;
inline constexpr int kWaitFailed = -5;
inline constexpr int kStopped = -100;  // the connection or task was stopped

// True once the caller wants the operation abandoned.
using StopCheck = std::function<bool()>;

struct Received {
    int bytes = 0;  // received before the outcome
    int code = 0;   // 0 data, kPeerClosed, kStopped, or a negative error
};

// One link of a connection's byte chain: the socket itself, or TLS over the
// link below it. The protocols send and receive through the top link only.
class Transport {
public:
    virtual ~Transport() = default;
    // All bytes, waiting until writable (timeoutMs -1: no wait, 0: no limit):
    // 0, or a negative code.
    virtual int Send(std::string_view bytes, int timeoutMs, const StopCheck& stop) = 0;
    // At most `wanted` bytes once there are any; more than timeoutMs of
    // silence is kReceiveTimeout.
    virtual Received Receive(char* buffer, int wanted, int timeoutMs, const StopCheck& stop) = 0;
};

// Starts the system's socket library once for the process.
bool StartSocketLibrary();

class Socket : public Transport {
public:
    Socket() = default;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { Close(); }

    // Starts the socket library (once per process) and makes a TCP socket of
    // the address family; false when either fails.
    bool Open(int family = AF_INET);
    void Close();
    bool isOpen() const { return socket_ != INVALID_SOCKET; }
    SOCKET get() const { return socket_; }
    // Takes over an accepted socket; false (and nothing held) for an invalid one.
    bool Adopt(SOCKET accepted);

    int Send(std::string_view bytes, int timeoutMs, const StopCheck& stop) override;
    Received Receive(char* buffer, int wanted, int timeoutMs, const StopCheck& stop) override;

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// An address to connect to, as the resolver gave it, and as text for the
// status messages ("10.0.0.5", "::1").
struct PeerAddress {
    sockaddr_storage storage{};
    int length = 0;
    Text text;
    int family() const { return storage.ss_family; }
};

// The addresses of a name, IPv4 and IPv6 together (or IPv4 only) in the
// order the resolver gives them; a literal gives itself. Empty when the
// name does not resolve.
std::vector<PeerAddress> LookUpHost(const Text& name, int port, bool ipv4Only = false);
// The address of a literal ("10.0.0.5", "::1"), or none.
std::optional<PeerAddress> LiteralAddress(const Text& name, int port);

enum class ConnectOutcome { Connected, TimedOut, Stopped, Failed };
// Opens `socket` for the address's family and connects it within timeoutMs
// (at least one 10 ms step).
ConnectOutcome ConnectWithTimeout(Socket& socket, const PeerAddress& peer, int timeoutMs, const StopCheck& stop);
// The same for a dotted IPv4 address (an FTP data channel).
ConnectOutcome ConnectWithTimeout(Socket& socket, const Text& address, int port, int timeoutMs, const StopCheck& stop);

// The socket's Send and Receive, for callers that hold the socket itself.
int SendWithTimeout(Socket& socket, std::string_view bytes, int timeoutMs, const StopCheck& stop);
Received ReceiveWithTimeout(Socket& socket, char* buffer, int wanted, int timeoutMs, const StopCheck& stop);
