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

}  // namespace

std::optional<std::array<std::uint8_t, 32>> FileSha256(std::string_view path) {
    FileHandle file(CreateFileW(ToWideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    // The AES provider is the one that knows SHA-256; no key container is needed.
    UniqueHandle<CryptProviderPolicy> provider;
    if (!CryptAcquireContextW(provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return std::nullopt;
    UniqueHandle<CryptHashPolicy> hash;
    if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.put())) return std::nullopt;
    std::vector<BYTE> block(1 << 16);
    while (true) {
        DWORD read = 0;
        if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        if (!CryptHashData(hash.get(), block.data(), read, 0)) return std::nullopt;
    }
    std::array<std::uint8_t, 32> digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) || length != digest.size())
        return std::nullopt;
    return digest;
}
