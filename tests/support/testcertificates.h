// SPDX-License-Identifier: MIT
#pragma once
// Keys and certificates made at run time for TLS tests, as PEM text: CAs,
// certificates they issue, self-signed ones. No private key is kept in the
// source tree.

#include <string>
#include <vector>

struct ssl_ctx_st;

namespace quorvane::test {

struct CertificateRequest {
    std::string commonName;
    std::vector<std::string> subjectAltNames; ///< "IP:127.0.0.1", "DNS:signals.example"
    int notBeforeDays = -1;                   ///< start of validity, days from now
    int notAfterDays = 30;                    ///< end of validity, days from now
    bool authority = false;                   ///< a CA: may sign other certificates
};

struct TestCertificate {
    std::string certificatePem; ///< the certificate; a server may append its chain
    std::string keyPem;
};

/// A new key pair and a certificate for it, signed by `issuer`, or by its own
/// key when `issuer` is null.
TestCertificate makeCertificate(const CertificateRequest& request, const TestCertificate* issuer = nullptr);

/// What a client with every check on says of `certificatePem` served at
/// `ipAddress` when it trusts only the CAs in `trustedPem`: OpenSSL's
/// verification text ("ok" when it passes). Shows what a test certificate is
/// without relying on the code under test.
std::string strictVerdict(const std::string& certificatePem, const std::string& trustedPem,
                          const std::string& ipAddress);

/// An OpenSSL server context that presents `identity`; the caller frees it
/// with SSL_CTX_free.
ssl_ctx_st* newServerContext(const TestCertificate& identity);

} // namespace quorvane::test
