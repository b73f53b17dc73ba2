#pragma once
// TLS over a connected socket, through the system's own implementation
// (Schannel, by way of SSPI). The server's certificate is checked by the
// system: a chain to a trusted root, the host name, the validity dates.
#include <string>
#include <vector>

#include "download/socket.h"

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <security.h>
#include <schannel.h>

enum class TlsOutcome {
    Ready,
    Stopped,
    NetworkFailed,    // the connection failed or closed during the handshake: worth a retry
    HandshakeFailed,  // the peers found no common ground
    Untrusted,        // no chain to a trusted root
    Expired,          // outside its validity dates
    WrongHost,        // made out for another name
    BadCertificate    // refused by the system for another reason
};

class TlsChannel {
public:
    TlsChannel() = default;
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;
    ~TlsChannel() { Reset(); }

    // Runs the handshake on a connected socket and checks the certificate
    // for hostName. Every wait of it is timeoutMs of silence at most.
    TlsOutcome Handshake(Socket& socket, const Text& hostName, int timeoutMs, const StopCheck& stop);
    // Encrypts and sends all bytes: 0, or a negative code as the socket's.
    int Send(Socket& socket, std::string_view bytes, int timeoutMs, const StopCheck& stop);
    // At most `wanted` decrypted bytes, waiting as the socket's receive does.
    // A close notify or a close between records is kPeerClosed; a close in
    // the middle of a record is kReceiveError (what it held is lost).
    Received Receive(Socket& socket, char* buffer, int wanted, int timeoutMs, const StopCheck& stop);
    // Forgets the session (the socket is the caller's to close).
    void Reset();
    bool active() const { return hasContext_ && ready_; }

private:
    // The handshake's exchange after the first token; also what a server's
    // renegotiation (or a post-handshake message) goes through.
    TlsOutcome ContinueHandshake(Socket& socket, int timeoutMs, const StopCheck& stop);
    // Appends what the socket has to the ciphertext: 0 or its code.
    int ReadMore(Socket& socket, int timeoutMs, const StopCheck& stop);
    // Decrypts the first record of the ciphertext into the plain bytes.
    SECURITY_STATUS DecryptRecord();
    void KeepExtra(const SecBuffer& extra);
    TlsOutcome CheckCertificate();

    CredHandle credentials_{};
    CtxtHandle context_{};
    bool hasCredentials_ = false, hasContext_ = false, ready_ = false, closed_ = false;
    std::wstring hostName_;
    SecPkgContext_StreamSizes sizes_{};
    std::vector<char> incoming_;  // received ciphertext not yet decrypted: its first incomingBytes_
    std::size_t incomingBytes_ = 0;
    std::vector<char> plain_;  // decrypted bytes not yet handed out, from plainStart_
    std::size_t plainStart_ = 0;
};
