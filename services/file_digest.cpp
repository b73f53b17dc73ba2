#include "services/file_digest.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "services/codepage.h"
#include "services/handle.h"

namespace {

struct CryptProviderPolicy {
    using Type = HCRYPTPROV;
    static Type Empty() { return 0; }
    static void Close(Type h) { ::CryptReleaseContext(h, 0); }
};
struct CryptHashPolicy {
    using Type = HCRYPTHASH;
    static Type Empty() { return 0; }
    static void Close(Type h) { ::CryptDestroyHash(h); }
};

// One digest through the AES provider, the one that knows SHA-256; no key
// container is needed.
class Sha256Hash {
public:
    Sha256Hash() {
        ok_ = CryptAcquireContextW(provider_.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
              CryptCreateHash(provider_.get(), CALG_SHA_256, 0, 0, hash_.put());
    }
    void Add(const BYTE* data, DWORD size) { ok_ = ok_ && CryptHashData(hash_.get(), data, size, 0); }
    std::optional<std::array<std::uint8_t, 32>> Finish() {
        std::array<std::uint8_t, 32> digest{};
        DWORD length = static_cast<DWORD>(digest.size());
        if (!ok_ || !CryptGetHashParam(hash_.get(), HP_HASHVAL, digest.data(), &length, 0) || length != digest.size())
            return std::nullopt;
        return digest;
    }

private:
    UniqueHandle<CryptProviderPolicy> provider_;  // outlives the hash: declared first
    UniqueHandle<CryptHashPolicy> hash_;
    bool ok_ = false;
};

}  // namespace

std::optional<std::array<std::uint8_t, 32>> FileSha256(std::string_view path) {
    FileHandle file(CreateFileW(ToWideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    Sha256Hash hash;
    std::vector<BYTE> block(1 << 16);
    while (true) {
        DWORD read = 0;
        if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        hash.Add(block.data(), read);
    }
    return hash.Finish();
}

std::optional<std::array<std::uint8_t, 32>> BytesSha256(std::span<const std::uint8_t> bytes) {
    Sha256Hash hash;
    hash.Add(bytes.data(), static_cast<DWORD>(bytes.size()));
    return hash.Finish();
}
