#pragma once
// A file's Authenticode signature as the system checks it.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

using CertificateDigest = std::array<std::uint8_t, 32>;  // SHA-256 of the encoded certificate

// The SHA-256 of each certificate of the signer's chain, the signer's own
// first, when the file carries a signature the system accepts (no user
// interface, revocation not checked, nothing fetched); none otherwise: no
// signature, a changed file, a chain the system refuses. May block while
// the system reads the file.
std::optional<std::vector<CertificateDigest>> SignerChainOf(std::string_view path);

// The file carries a signature the system accepts and `certificate` is in
// its signer's chain: the signer's own or one of its issuers.
bool SignedUnder(std::string_view path, const CertificateDigest& certificate);
