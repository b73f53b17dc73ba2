// The client's signature check as the installer runs it, for the signature
// tests: "signature_check FILE THUMBPRINT" prints "signed" when FILE carries
// a valid signature whose chain holds the certificate, "refused" otherwise;
// "signature_check FILE" prints the chain's thumbprints, one a line.
#include <windows.h>

#include <cstdio>

#include "installer/core/client_digest.h"
#include "services/code_signature.h"
#include "services/codepage.h"

int wmain(int count, wchar_t** words) {
    if (count < 2 || count > 3) return 2;
    Text file = FromWideText(words[1]);
    if (count == 3) {
        std::optional<Sha256> pinned = ParseSha256(FromWideText(words[2]));
        if (!pinned) return 2;
        std::printf("%s\n", SignedUnder(file, *pinned) ? "signed" : "refused");
        return 0;
    }
    std::optional<std::vector<CertificateDigest>> chain = SignerChainOf(file);
    if (!chain) std::printf("none\n");
    for (const CertificateDigest& certificate : chain ? *chain : std::vector<CertificateDigest>{}) {
        for (std::uint8_t byte : certificate) std::printf("%02x", byte);
        std::printf("\n");
    }
    return 0;
}
