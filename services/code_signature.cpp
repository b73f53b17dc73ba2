#include "services/code_signature.h"

#include <algorithm>

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include "services/codepage.h"
#include "services/file_digest.h"
#include "services/system_dlls.h"

namespace {

// wintrust.dll is no KnownDLL: its functions come from the system folder's copy.
struct Wintrust {
    decltype(&WinVerifyTrust) verify = SystemFunction<decltype(&WinVerifyTrust)>(L"wintrust.dll", "WinVerifyTrust");
    decltype(&WTHelperProvDataFromStateData) providerData =
        SystemFunction<decltype(&WTHelperProvDataFromStateData)>(L"wintrust.dll", "WTHelperProvDataFromStateData");
    decltype(&WTHelperGetProvSignerFromChain) signer =
        SystemFunction<decltype(&WTHelperGetProvSignerFromChain)>(L"wintrust.dll", "WTHelperGetProvSignerFromChain");
};

const Wintrust& Trust() {
    static const Wintrust functions;
    return functions;
}

// The state a verification keeps for reading its chain, released again.
class Verification {
public:
    explicit Verification(const std::wstring& path) {
        file_.cbStruct = sizeof file_;
        file_.pcwszFilePath = path.c_str();
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        status_ = Trust().verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~Verification() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        Trust().verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    Verification(const Verification&) = delete;
    Verification& operator=(const Verification&) = delete;

    bool Trusted() const { return status_ == ERROR_SUCCESS; }
    CRYPT_PROVIDER_SGNR* Signer() const {
        CRYPT_PROVIDER_DATA* provider = Trust().providerData(data_.hWVTStateData);
        return provider ? Trust().signer(provider, 0, FALSE, 0) : nullptr;
    }

private:
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_{};
    WINTRUST_DATA data_{};
    LONG status_ = 0;
};

}  // namespace

std::optional<std::vector<CertificateDigest>> SignerChainOf(std::string_view path) {
    std::wstring file = ToWideText(path);
    Verification verification(file);
    CRYPT_PROVIDER_SGNR* signer = verification.Trusted() ? verification.Signer() : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain) return std::nullopt;
    std::vector<CertificateDigest> chain;
    for (DWORD i = 0; i < signer->csCertChain; ++i) {
        const CERT_CONTEXT* certificate = signer->pasCertChain[i].pCert;
        if (!certificate) return std::nullopt;
        auto digest = BytesSha256({certificate->pbCertEncoded, certificate->cbCertEncoded});
        if (!digest) return std::nullopt;
        chain.push_back(*digest);
    }
    return chain;
}

bool SignedUnder(std::string_view path, const CertificateDigest& certificate) {
    std::optional<std::vector<CertificateDigest>> chain = SignerChainOf(path);
    return chain && std::find(chain->begin(), chain->end(), certificate) != chain->end();
}
