// The least a download can do under the engine's fixed constants, as the
// ceiling the engine is measured against: one connection, one GET, receives
// of 20480 bytes copied into a mapped view of the file, nothing else. The
// socket is non-blocking and waited for only when it has nothing (under Wine
// a blocking receive costs a round trip through the server). With
// "--tls" the same through Schannel: each receive of ciphertext (into the
// room of a 64 KiB buffer, as the engine's TLS layer) decrypts the records it
// completes in place and copies their data to the view (the certificate is
// not checked: the least decrypting that a receive needs). The file is
// opened as the engine opens it.
//   recv-ceiling PORT PATH SAVEPATH [--tls]    (the server on 127.0.0.1)
// Exit code 0 when the whole body arrived.
#include "download/tls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kReceive = 20480;

// A receive that waits (in 10 ms steps, as the engine's) only when nothing is there.
int ReceiveSome(SOCKET s, char* out, int size) {
    while (true) {
        int n = recv(s, out, size, 0);
        if (n >= 0 || WSAGetLastError() != WSAEWOULDBLOCK) return n;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval step = {0, 10000};
        if (select(0, &set, nullptr, nullptr, &step) < 0) return -1;
    }
}

bool SendAll(SOCKET s, const char* data, int size) {
    while (size > 0) {
        int n = send(s, data, size, 0);
        if (n < 0) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval step = {0, 10000};
            select(0, nullptr, &set, nullptr, &step);
            continue;
        }
        data += n, size -= n;
    }
    return true;
}

class Receiver {
public:
    virtual ~Receiver() = default;
    virtual bool Send(const std::string& bytes) = 0;
    // Up to `size` bytes of the body stream into `out`; 0 at the end, -1 on failure.
    virtual int Receive(char* out, int size) = 0;
};

class Plain : public Receiver {
public:
    explicit Plain(SOCKET s) : s_(s) {}
    bool Send(const std::string& bytes) override { return SendAll(s_, bytes.data(), static_cast<int>(bytes.size())); }
    int Receive(char* out, int size) override { return ReceiveSome(s_, out, std::min(size, kReceive)); }

private:
    SOCKET s_;
};

class Tls : public Receiver {
public:
    explicit Tls(SOCKET s) : s_(s), in_(1 << 16) {}
    ~Tls() override {
        if (context_) DeleteSecurityContext(&ctx_);
    }

    bool Handshake() {
        // The engine's own credentials, so that both speak the same protocol.
        CredHandle* credentials = credentials_.Get();
        if (!credentials) return false;
        TimeStamp expiry;
        wchar_t host[] = L"127.0.0.1";
        constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                        ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
        bool first = true, needData = false;
        while (true) {
            if (needData && !ReadMore()) return false;
            SecBuffer in[2] = {{static_cast<ULONG>(have_), SECBUFFER_TOKEN, in_.data()}, {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
            SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
            ULONG attributes = 0;
            SECURITY_STATUS status =
                InitializeSecurityContextW(credentials, first ? nullptr : &ctx_, host, kContextFlags, 0, 0,
                                           first ? nullptr : &inDesc, 0, &ctx_, &outDesc, &attributes, &expiry);
            context_ = true;
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                needData = true;
                continue;
            }
            if (out.pvBuffer && out.cbBuffer) {
                bool sent = SendAll(s_, static_cast<char*>(out.pvBuffer), static_cast<int>(out.cbBuffer));
                FreeContextBuffer(out.pvBuffer);
                if (!sent) return false;
            }
            if (!first) Keep(in[1]);
            first = false;
            needData = have_ == 0;
            if (status == SEC_E_OK) break;
            if (status != SEC_I_CONTINUE_NEEDED) return false;
        }
        return QueryContextAttributesW(&ctx_, SECPKG_ATTR_STREAM_SIZES, &sizes_) == SEC_E_OK;
    }

    bool Send(const std::string& bytes) override {
        std::vector<char> message(sizes_.cbHeader + bytes.size() + sizes_.cbTrailer);
        std::memcpy(message.data() + sizes_.cbHeader, bytes.data(), bytes.size());
        SecBuffer b[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, message.data()},
                          {static_cast<ULONG>(bytes.size()), SECBUFFER_DATA, message.data() + sizes_.cbHeader},
                          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, message.data() + sizes_.cbHeader + bytes.size()},
                          {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, b};
        if (EncryptMessage(&ctx_, 0, &desc, 0) != SEC_E_OK) return false;
        return SendAll(s_, message.data(), static_cast<int>(b[0].cbBuffer + b[1].cbBuffer + b[2].cbBuffer));
    }

    // One receive of what the ciphertext buffer has room for (as the
    // engine's TLS layer receives), then every record it completes decrypted
    // in place and its data copied out.
    int Receive(char* out, int size) override {
        int copied = 0;
        while (copied == 0) {
            if (closed_) return 0;
            int n = ReceiveSome(s_, in_.data() + have_, static_cast<int>(in_.size() - have_));
            if (n <= 0) return have_ == 0 ? n : -1;
            have_ += static_cast<std::size_t>(n);
            std::size_t at = 0;
            while (at < have_) {
                SecBuffer b[4] = {{static_cast<ULONG>(have_ - at), SECBUFFER_DATA, in_.data() + at},
                                  {0, SECBUFFER_EMPTY, nullptr},
                                  {0, SECBUFFER_EMPTY, nullptr},
                                  {0, SECBUFFER_EMPTY, nullptr}};
                SecBufferDesc desc = {SECBUFFER_VERSION, 4, b};
                SECURITY_STATUS status = DecryptMessage(&ctx_, &desc, 0, nullptr);
                if (status == SEC_E_INCOMPLETE_MESSAGE) break;
                if (status == SEC_I_CONTEXT_EXPIRED) {
                    closed_ = true;
                    break;
                }
                if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) return -1;
                std::size_t next = have_;
                for (const SecBuffer& part : b) {
                    if (part.BufferType == SECBUFFER_DATA && part.cbBuffer > 0) {
                        if (copied + static_cast<int>(part.cbBuffer) > size) return -1;
                        std::memcpy(out + copied, part.pvBuffer, part.cbBuffer);
                        copied += static_cast<int>(part.cbBuffer);
                    }
                    if (part.BufferType == SECBUFFER_EXTRA) next = have_ - part.cbBuffer;
                }
                at = next;
                if (status == SEC_I_RENEGOTIATE) break;  // a session ticket: nothing to answer
            }
            std::memmove(in_.data(), in_.data() + at, have_ - at);
            have_ -= at;
        }
        return copied;
    }

private:
    bool ReadMore() {
        int n = ReceiveSome(s_, in_.data() + have_, static_cast<int>(in_.size() - have_));
        if (n <= 0) return false;
        have_ += static_cast<std::size_t>(n);
        return true;
    }
    void Keep(const SecBuffer& extra) {
        if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0) {
            std::memmove(in_.data(), in_.data() + have_ - extra.cbBuffer, extra.cbBuffer);
            have_ = extra.cbBuffer;
        } else {
            have_ = 0;
        }
    }

    SOCKET s_;
    std::vector<char> in_;
    std::size_t have_ = 0;
    bool closed_ = false, context_ = false;
    TlsCredentials credentials_;
    CtxtHandle ctx_ = {};
    SecPkgContext_StreamSizes sizes_ = {};
};

int Fail(const char* what) {
    std::fprintf(stderr, "recv-ceiling: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Fail("usage: recv-ceiling PORT PATH SAVEPATH [--tls]");
    bool tls = argc > 4 && std::strcmp(argv[4], "--tls") == 0;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return Fail("no connection");
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    Plain plain(s);
    Tls secure(s);
    Receiver* channel = &plain;
    if (tls) {
        if (!secure.Handshake()) return Fail("no TLS handshake");
        channel = &secure;
    }
    if (!channel->Send(std::string("GET ") + argv[2] + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"))
        return Fail("request not sent");

    // The head, then whatever of the body came with it.
    // Decrypting may complete more than one receive's worth of records.
    constexpr int kPlain = 1 << 16;
    std::vector<char> buffer(kPlain);
    std::string head;
    std::size_t end;
    while ((end = head.find("\r\n\r\n")) == std::string::npos) {
        int n = channel->Receive(buffer.data(), kPlain);
        if (n <= 0) return Fail("no answer");
        head.append(buffer.data(), static_cast<std::size_t>(n));
    }
    std::size_t length = head.find("Content-Length: ");
    if (length == std::string::npos) return Fail("no length");
    long long size = std::atoll(head.c_str() + length + 16);

    // Opened as the engine opens its file: under Wine a file opened without
    // sharing and sequential access took some 10 % longer to fill.
    HANDLE file = CreateFileA(argv[3], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("no file");
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, static_cast<DWORD>(size >> 32),
                                        static_cast<DWORD>(size), nullptr);
    char* view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    if (!view) return Fail("no mapping");
    long long got = static_cast<long long>(head.size() - end - 4);
    std::memcpy(view, head.data() + end + 4, static_cast<std::size_t>(got));
    while (got < size) {
        int n = channel->Receive(buffer.data(), kPlain);
        if (n <= 0 || got + n > size) break;
        std::memcpy(view + got, buffer.data(), static_cast<std::size_t>(n));
        got += n;
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    closesocket(s);
    return got == size ? 0 : Fail("cut short");
}
