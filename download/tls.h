#pragma once
// TLS over a connected socket, through the system's own implementation
// (Schannel, by way of SSPI). The server's certificate is checked by the
// system: a chain to a trusted root, the host name, the validity dates.
#include <mutex>
#include <string>
#include <vector>

#include "download/socket.h"

#ifndef SECURITY_WIN32
#define SECURITY_WIN32
#endif
#include <security.h>
// For SCH_CREDENTIALS, which newer systems take.
#define SCHANNEL_USE_BLACKLISTS
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

// The client credentials of one task, shared by its connections so that
// their sessions can resume one another. They ask for TLS 1.2 and 1.3 by
// name: a system that keeps TLS 1.2 off unless asked (Windows 7) would
// otherwise offer only older versions.
class TlsCredentials {
public:
    TlsCredentials() = default;
    TlsCredentials(const TlsCredentials&) = delete;
    TlsCredentials& operator=(const TlsCredentials&) = delete;
    ~TlsCredentials();

    // The handle, acquired on first use; none when the system refuses.
    CredHandle* Get();

private:
    std::mutex lock_;
    CredHandle handle_{};
    bool tried_ = false, held_ = false;
};

class TlsChannel : public Transport {
public:
    TlsChannel() = default;
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;
    ~TlsChannel() override { Reset(); }

    // Runs the handshake over a connected link and checks the certificate
    // for hostName; the channel then sends and receives through that link.
    // Every wait of it is timeoutMs of silence at most.
    TlsOutcome Handshake(Transport& lower, TlsCredentials& credentials, const Text& hostName, int timeoutMs,
                         const StopCheck& stop);
    // Encrypts and sends all bytes: 0, or a negative code as the socket's.
    int Send(std::string_view bytes, int timeoutMs, const StopCheck& stop) override;
    // At most `wanted` decrypted bytes, waiting as the socket's receive does.
    // A close notify or a close between records is kPeerClosed; a close in
    // the middle of a record is kReceiveError (what it held is lost).
    Received Receive(char* buffer, int wanted, int timeoutMs, const StopCheck& stop) override;
    // Forgets the session (the link below is the caller's to close).
    void Reset();
    bool active() const { return hasContext_ && ready_; }

private:
    // The handshake's exchange after the first token; also what a server's
    // renegotiation (or a post-handshake message) goes through.
    TlsOutcome ContinueHandshake(int timeoutMs, const StopCheck& stop);
    // Appends what the link has to the ciphertext: 0 or its code.
    int ReadMore(int timeoutMs, const StopCheck& stop);
    // Sends a token the system allocated, then frees it.
    int SendToken(SecBuffer& token, int timeoutMs, const StopCheck& stop);
    // Decrypts the complete records the ciphertext holds, in place, into
    // `buffer` after its first `given` bytes until `wanted`; what does not
    // fit stays in place for the next call. Stops at a close or a
    // renegotiation; returns the first failure (the records before it are
    // given all the same).
    SECURITY_STATUS DecryptRecords(char* buffer, int wanted, int& given);
    // The ciphertext's start after a call that consumed what came before
    // `extra`.
    void KeepExtra(const SecBuffer& extra);
    TlsOutcome CheckCertificate();

    Transport* lower_ = nullptr;
    CredHandle* credentials_ = nullptr;
    CtxtHandle context_{};
    bool hasContext_ = false, ready_ = false, closed_ = false;
    std::wstring hostName_;
    SecPkgContext_StreamSizes sizes_{};
    // Received ciphertext not yet decrypted is [cipherStart_, cipherEnd_) of
    // incoming_; decrypted bytes not yet handed out lie before it, at
    // plainAt_, plainLeft_ of them.
    std::vector<char> incoming_;
    std::size_t cipherStart_ = 0, cipherEnd_ = 0, plainAt_ = 0, plainLeft_ = 0;
    bool renegotiating_ = false;
};
