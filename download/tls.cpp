#include "download/tls.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstring>

#include "frame/core/fatal.h"
#include "services/codepage.h"
#include "services/system_dlls.h"

namespace {

// secur32 and crypt32 are no KnownDLLs: their functions come from the
// system folder's copies. Schannel's functions arrive as one table.
const SecurityFunctionTableW& Sspi() {
    static const SecurityFunctionTableW* table =
        SystemFunction<INIT_SECURITY_INTERFACE_W>(L"secur32.dll", "InitSecurityInterfaceW")();
    CheckInvariant(table != nullptr, "the system's security interface is missing");
    return *table;
}

struct Crypt32 {
    decltype(&CertGetCertificateChain) getChain =
        SystemFunction<decltype(&CertGetCertificateChain)>(L"crypt32.dll", "CertGetCertificateChain");
    decltype(&CertFreeCertificateChain) freeChain =
        SystemFunction<decltype(&CertFreeCertificateChain)>(L"crypt32.dll", "CertFreeCertificateChain");
    decltype(&CertFreeCertificateContext) freeCertificate =
        SystemFunction<decltype(&CertFreeCertificateContext)>(L"crypt32.dll", "CertFreeCertificateContext");
    decltype(&CertVerifyCertificateChainPolicy) verifyPolicy =
        SystemFunction<decltype(&CertVerifyCertificateChainPolicy)>(L"crypt32.dll", "CertVerifyCertificateChainPolicy");
};

const Crypt32& Crypt() {
    static const Crypt32 functions;
    return functions;
}

constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;
// A record is at most 16 KiB of data and its overhead; more than this many
// bytes without a whole record is no TLS.
constexpr std::size_t kIncomingLimit = 1 << 16;
constexpr unsigned char kAlertRecord = 21;  // the first byte of an alert record before TLS 1.3
// The least room after the ciphertext for a read: a record and its overhead.
constexpr std::size_t kLeastRoom = (1 << 14) + 2048;

void FreeToken(SecBuffer& token) {
    if (token.pvBuffer) Sspi().FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    token.cbBuffer = 0;
}

// The system's own version, whatever the program's manifest says.
ULONG SystemMajorVersion() {
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto get = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return get && get(&version) == 0 ? version.dwMajorVersion : 0;
}

// Newer systems take the protocols as a list of what is off; TLS 1.2 and 1.3
// are all that is left on.
bool AcquireNamingVersions(CredHandle& handle, DWORD flags) {
    TLS_PARAMETERS parameters = {};
    parameters.grbitDisabledProtocols = ~static_cast<DWORD>(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT);
    SCH_CREDENTIALS settings = {};
    settings.dwVersion = SCH_CREDENTIALS_VERSION;
    settings.dwFlags = flags;
    settings.cTlsParameters = 1;
    settings.pTlsParameters = &parameters;
    TimeStamp expiry;
    wchar_t package[] = UNISP_NAME_W;
    return Sspi().AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &settings, nullptr,
                                            nullptr, &handle, &expiry) == SEC_E_OK;
}

// Older systems know only the list of what is on, and no TLS 1.3.
bool AcquireNamingTls12(CredHandle& handle, DWORD flags) {
    SCHANNEL_CRED settings = {};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.dwFlags = flags;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    TimeStamp expiry;
    wchar_t package[] = UNISP_NAME_W;
    return Sspi().AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &settings, nullptr,
                                            nullptr, &handle, &expiry) == SEC_E_OK;
}

TlsOutcome FromPolicyError(DWORD error) {
    switch (error) {
        case 0: return TlsOutcome::Ready;
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_CHAINING):
        case static_cast<DWORD>(TRUST_E_CERT_SIGNATURE): return TlsOutcome::Untrusted;
        case static_cast<DWORD>(CERT_E_EXPIRED): return TlsOutcome::Expired;
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH): return TlsOutcome::WrongHost;
        default: return TlsOutcome::BadCertificate;
    }
}

}  // namespace

TlsCredentials::~TlsCredentials() {
    if (held_) Sspi().FreeCredentialsHandle(&handle_);
}

CredHandle* TlsCredentials::Get() {
    std::lock_guard guard(lock_);
    if (!tried_) {
        tried_ = true;
        // The certificate is checked by the channel, by the same system
        // functions, so that every refusal can be told apart; no client
        // certificate is offered.
        constexpr DWORD kFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        // The newer structure only from Windows 10 on; an early Windows 10
        // that does not know it refuses it, and gets the older one.
        held_ = (SystemMajorVersion() >= 10 && AcquireNamingVersions(handle_, kFlags)) ||
                AcquireNamingTls12(handle_, kFlags);
    }
    return held_ ? &handle_ : nullptr;
}

int TlsChannel::SendToken(SecBuffer& token, int timeoutMs, const StopCheck& stop) {
    int code = 0;
    if (token.pvBuffer && token.cbBuffer > 0)
        code = lower_->Send(std::string_view(static_cast<char*>(token.pvBuffer), token.cbBuffer), timeoutMs, stop);
    FreeToken(token);
    return code;
}

void TlsChannel::Reset() {
    if (hasContext_) Sspi().DeleteSecurityContext(&context_);
    hasContext_ = ready_ = closed_ = false;
    credentials_ = nullptr;
    cipherStart_ = cipherEnd_ = plainAt_ = plainLeft_ = 0;
    renegotiating_ = false;
}

TlsOutcome TlsChannel::Handshake(Transport& lower, TlsCredentials& credentials, const Text& hostName, int timeoutMs,
                                 const StopCheck& stop) {
    Reset();
    lower_ = &lower;
    hostName_ = ToWideText(hostName);
    incoming_.resize(kIncomingLimit);
    credentials_ = credentials.Get();
    if (!credentials_) return TlsOutcome::HandshakeFailed;

    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    TimeStamp expiry;
    SECURITY_STATUS status =
        Sspi().InitializeSecurityContextW(credentials_, nullptr, hostName_.data(), kContextFlags, 0, 0, nullptr, 0,
                                          &context_, &outDesc, &attributes, &expiry);
    if (status != SEC_I_CONTINUE_NEEDED) {
        FreeToken(out);
        return TlsOutcome::HandshakeFailed;
    }
    hasContext_ = true;
    int sent = SendToken(out, timeoutMs, stop);
    if (sent != 0) return sent == kStopped ? TlsOutcome::Stopped : TlsOutcome::NetworkFailed;
    TlsOutcome outcome = ContinueHandshake(timeoutMs, stop);
    if (outcome != TlsOutcome::Ready) return outcome;
    if (Sspi().QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
        return TlsOutcome::HandshakeFailed;
    outcome = CheckCertificate();
    ready_ = outcome == TlsOutcome::Ready;
    return outcome;
}

TlsOutcome TlsChannel::ContinueHandshake(int timeoutMs, const StopCheck& stop) {
    bool needData = cipherStart_ == cipherEnd_;
    while (true) {
        if (needData) {
            int code = ReadMore(timeoutMs, stop);
            if (code == kStopped) return TlsOutcome::Stopped;
            if (code != 0) return TlsOutcome::NetworkFailed;
        }
        SecBuffer in[2] = {
            {static_cast<ULONG>(cipherEnd_ - cipherStart_), SECBUFFER_TOKEN, incoming_.data() + cipherStart_},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
        SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
        ULONG attributes = 0;
        TimeStamp expiry;
        SECURITY_STATUS status =
            Sspi().InitializeSecurityContextW(credentials_, &context_, hostName_.data(), kContextFlags, 0, 0, &inDesc,
                                              0, nullptr, &outDesc, &attributes, &expiry);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {  // the record arrived in part: wait for the rest
            FreeToken(out);
            needData = true;
            continue;
        }
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) {  // asked for a client certificate: go on without one
            FreeToken(out);
            needData = false;
            continue;
        }
        // A token goes out even with a failure: it may be the alert that tells
        // the server why.
        int sent = SendToken(out, timeoutMs, stop);
        KeepExtra(in[1]);
        if (FAILED(status)) return TlsOutcome::HandshakeFailed;
        if (sent != 0) return sent == kStopped ? TlsOutcome::Stopped : TlsOutcome::NetworkFailed;
        if (status == SEC_E_OK) return TlsOutcome::Ready;
        if (status != SEC_I_CONTINUE_NEEDED) return TlsOutcome::HandshakeFailed;
        needData = cipherStart_ == cipherEnd_;
    }
}

void TlsChannel::KeepExtra(const SecBuffer& extra) {
    std::size_t held = cipherEnd_ - cipherStart_;
    cipherStart_ =
        extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer <= held ? cipherEnd_ - extra.cbBuffer : cipherEnd_;
}

int TlsChannel::ReadMore(int timeoutMs, const StopCheck& stop) {
    // The ciphertext moves to the front only when the room after it runs
    // short, not once per record.
    if (cipherStart_ == cipherEnd_) {
        cipherStart_ = cipherEnd_ = 0;
    } else if (incoming_.size() - cipherEnd_ < kLeastRoom) {
        std::memmove(incoming_.data(), incoming_.data() + cipherStart_, cipherEnd_ - cipherStart_);
        cipherEnd_ -= cipherStart_;
        cipherStart_ = 0;
    }
    if (cipherEnd_ >= incoming_.size()) return kReceiveError;
    Received r = lower_->Receive(incoming_.data() + cipherEnd_, static_cast<int>(incoming_.size() - cipherEnd_),
                                 timeoutMs, stop);
    if (r.bytes <= 0) return r.code != 0 ? r.code : kReceiveError;
    cipherEnd_ += static_cast<std::size_t>(r.bytes);
    return 0;
}

SECURITY_STATUS TlsChannel::DecryptRecords(char* buffer, int wanted, int& given) {
    while (given < wanted && cipherStart_ < cipherEnd_ && !closed_ && !renegotiating_) {
        bool alert = static_cast<unsigned char>(incoming_[cipherStart_]) == kAlertRecord;
        SecBuffer buffers[4] = {
            {static_cast<ULONG>(cipherEnd_ - cipherStart_), SECBUFFER_DATA, incoming_.data() + cipherStart_},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = Sspi().DecryptMessage(&context_, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) return SEC_E_OK;
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) return status;
        // The data lies in the ciphertext buffer, decrypted in place: what
        // does not fit the caller's buffer stays there until asked for.
        const char* data = nullptr;
        std::size_t size = 0;
        SecBuffer none = {0, SECBUFFER_EMPTY, nullptr};
        const SecBuffer* extra = &none;
        for (const SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0)
                data = static_cast<const char*>(b.pvBuffer), size = b.cbBuffer;
            if (b.BufferType == SECBUFFER_EXTRA) extra = &b;
        }
        KeepExtra(*extra);
        std::size_t n = std::min<std::size_t>(size, static_cast<std::size_t>(wanted - given));
        if (n > 0) std::memcpy(buffer + given, data, n);
        given += static_cast<int>(n);
        if (n < size) {
            plainAt_ = static_cast<std::size_t>(data + n - incoming_.data());
            plainLeft_ = size - n;
        }
        // Wine reports the close notify as an empty record, not as the end
        // of the context.
        if (status == SEC_I_CONTEXT_EXPIRED || (alert && size == 0)) closed_ = true;
        // The server asks for more handshake (a renegotiation, or a ticket
        // after a TLS 1.3 handshake); its bytes are in the extra.
        if (status == SEC_I_RENEGOTIATE) renegotiating_ = true;
    }
    return SEC_E_OK;
}

Received TlsChannel::Receive(char* buffer, int wanted, int timeoutMs, const StopCheck& stop) {
    if (!buffer) return {0, -4};
    int given = 0;
    while (true) {
        if (plainLeft_ > 0) {
            std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(wanted), plainLeft_);
            std::memcpy(buffer, incoming_.data() + plainAt_, n);
            plainAt_ += n, plainLeft_ -= n;
            given = static_cast<int>(n);
            if (given == wanted) return {given, 0};
        }
        if (renegotiating_) {
            if (given > 0) return {given, 0};  // handed out before the handshake waits on the link
            renegotiating_ = false;
            TlsOutcome outcome = ContinueHandshake(timeoutMs, stop);
            if (outcome == TlsOutcome::Stopped) return {0, kStopped};
            if (outcome != TlsOutcome::Ready) return {0, kReceiveError};
            Sspi().QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
        }
        // A record that fails to decrypt after others did is reported by
        // the next call, which meets it first.
        SECURITY_STATUS status = DecryptRecords(buffer, wanted, given);
        if (given > 0) return {given, 0};
        if (status != SEC_E_OK) return {0, kReceiveError};
        if (renegotiating_) continue;
        if (closed_) return {0, kPeerClosed};
        int code = ReadMore(timeoutMs, stop);
        // A close in the middle of a record: what it held never arrives.
        if (code == kPeerClosed && cipherEnd_ > cipherStart_) return {0, kReceiveError};
        if (code != 0) return {0, code};
    }
}

int TlsChannel::Send(std::string_view bytes, int timeoutMs, const StopCheck& stop) {
    if (!ready_ || sizes_.cbMaximumMessage == 0) return kSendError;
    std::vector<char> record(sizes_.cbHeader + sizes_.cbMaximumMessage + sizes_.cbTrailer);
    while (!bytes.empty()) {
        std::size_t part = std::min<std::size_t>(bytes.size(), sizes_.cbMaximumMessage);
        std::memcpy(record.data() + sizes_.cbHeader, bytes.data(), part);
        SecBuffer buffers[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                                {static_cast<ULONG>(part), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + part},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        if (Sspi().EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK) return kSendError;
        std::size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        int code = lower_->Send(std::string_view(record.data(), total), timeoutMs, stop);
        if (code != 0) return code;
        bytes.remove_prefix(part);
    }
    return 0;
}

TlsOutcome TlsChannel::CheckCertificate() {
    PCCERT_CONTEXT certificate = nullptr;
    if (Sspi().QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate)
        return TlsOutcome::BadCertificate;
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    // The server's own store carries the intermediates it sent.
    BOOL built =
        Crypt().getChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr, &chain);
    Crypt().freeCertificate(certificate);
    if (!built || !chain) return TlsOutcome::BadCertificate;
    // Checked here too: Wine's policy check lets a chain through whose
    // signatures fail, as with an authority that only borrowed the name of a
    // trusted one.
    constexpr DWORD kNotTrusted =
        CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN;
    if (chain->TrustStatus.dwErrorStatus & kNotTrusted) {
        Crypt().freeChain(chain);
        return TlsOutcome::Untrusted;
    }
    HTTPSPolicyCallbackData server = {};
    server.cbStruct = sizeof server;
    server.dwAuthType = AUTHTYPE_SERVER;
    server.pwszServerName = hostName_.data();
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &server;
    CERT_CHAIN_POLICY_STATUS result = {};
    result.cbSize = sizeof result;
    BOOL checked = Crypt().verifyPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &result);
    Crypt().freeChain(chain);
    return checked ? FromPolicyError(result.dwError) : TlsOutcome::BadCertificate;
}
