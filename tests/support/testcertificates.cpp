// SPDX-License-Identifier: MIT
#include "testcertificates.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace quorvane::test {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using Store = std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>>;
using StoreContext = std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX, X509_STORE_CTX_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;
struct StackFree { // sk_X509_free is a macro
    void operator()(STACK_OF(X509)* stack) const { sk_X509_free(stack); }
};

void check(bool ok, const char* what)
{
    if (!ok) {
        ERR_clear_error();
        throw std::runtime_error(std::string("test certificates: ") + what);
    }
}

Bio readable(const std::string& text)
{
    Bio bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
    check(bio != nullptr, "out of memory");
    return bio;
}

std::string text(BIO* bio)
{
    char* data = nullptr;
    const long size = BIO_ctrl(bio, BIO_CTRL_INFO, 0, &data);
    return std::string(data, static_cast<std::size_t>(size));
}

Key readKey(const std::string& pem)
{
    Key key(PEM_read_bio_PrivateKey(readable(pem).get(), nullptr, nullptr, nullptr));
    check(key != nullptr, "unreadable key");
    return key;
}

// Every certificate in `pem`, in order.
std::vector<Certificate> readCertificates(const std::string& pem)
{
    std::vector<Certificate> certificates;
    const Bio bio = readable(pem);
    while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr))
        certificates.emplace_back(certificate);
    ERR_clear_error(); // the end of the text reads as "no start line"
    check(!certificates.empty(), "no certificate");
    return certificates;
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    const Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    check(extension && X509_add_ext(certificate, extension.get(), -1) == 1, "bad extension");
}

} // namespace

TestCertificate makeCertificate(const CertificateRequest& request, const TestCertificate* issuer)
{
    const Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    check(key != nullptr, "no key");
    const Certificate certificate(X509_new());
    check(certificate != nullptr, "out of memory");
    X509* cert = certificate.get();

    std::uint64_t serial = 0;
    check(RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) == 1, "no random serial");
    constexpr long kDay = 24L * 60 * 60;
    X509_NAME* subject = X509_get_subject_name(cert);
    check(X509_set_version(cert, X509_VERSION_3) == 1
              && ASN1_INTEGER_set_int64(X509_get_serialNumber(cert), static_cast<std::int64_t>(serial >> 1)) == 1
              && X509_gmtime_adj(X509_getm_notBefore(cert), request.notBeforeDays * kDay)
              && X509_gmtime_adj(X509_getm_notAfter(cert), request.notAfterDays * kDay)
              && X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                            reinterpret_cast<const unsigned char*>(request.commonName.c_str()),
                                            -1, -1, 0) == 1
              && X509_set_pubkey(cert, key.get()) == 1,
          "cannot fill in the certificate");

    Certificate issuerCertificate;
    Key issuerKey;
    if (issuer) {
        issuerCertificate = std::move(readCertificates(issuer->certificatePem).front());
        issuerKey = readKey(issuer->keyPem);
    }
    X509* signer = issuer ? issuerCertificate.get() : cert;
    check(X509_set_issuer_name(cert, X509_get_subject_name(signer)) == 1, "cannot set the issuer");

    addExtension(cert, signer, NID_basic_constraints, request.authority ? "critical,CA:TRUE" : "critical,CA:FALSE");
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (issuer)
        addExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
    if (request.authority) {
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert, signer, NID_ext_key_usage, "serverAuth");
    }
    std::string altNames;
    for (const std::string& name : request.subjectAltNames)
        altNames += (altNames.empty() ? "" : ",") + name;
    if (!altNames.empty())
        addExtension(cert, signer, NID_subject_alt_name, altNames);
    check(X509_sign(cert, issuer ? issuerKey.get() : key.get(), EVP_sha256()) > 0, "cannot sign");

    const Bio certificatePem(BIO_new(BIO_s_mem()));
    const Bio keyPem(BIO_new(BIO_s_mem()));
    check(certificatePem && keyPem && PEM_write_bio_X509(certificatePem.get(), cert) == 1
              && PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
          "cannot write PEM");
    return {text(certificatePem.get()), text(keyPem.get())};
}

std::string strictVerdict(const std::string& certificatePem, const std::string& trustedPem,
                          const std::string& ipAddress)
{
    const Store store(X509_STORE_new());
    check(store != nullptr, "out of memory");
    std::vector<Certificate> trusted = readCertificates(trustedPem);
    for (const Certificate& certificate : trusted)
        check(X509_STORE_add_cert(store.get(), certificate.get()) == 1, "cannot trust");

    const std::vector<Certificate> chain = readCertificates(certificatePem);
    const std::unique_ptr<STACK_OF(X509), StackFree> untrusted(sk_X509_new_null());
    for (std::size_t i = 1; i < chain.size(); ++i)
        check(sk_X509_push(untrusted.get(), chain[i].get()) > 0, "out of memory");

    const StoreContext context(X509_STORE_CTX_new());
    check(context && X509_STORE_CTX_init(context.get(), store.get(), chain.front().get(), untrusted.get()) == 1
              && X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER) == 1
              && X509_VERIFY_PARAM_set1_ip_asc(X509_STORE_CTX_get0_param(context.get()), ipAddress.c_str()) == 1,
          "cannot set up the verification");
    (void)X509_verify_cert(context.get());
    ERR_clear_error();
    return X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
}

ssl_ctx_st* newServerContext(const TestCertificate& identity)
{
    std::unique_ptr<SSL_CTX, Deleter<SSL_CTX, SSL_CTX_free>> context(SSL_CTX_new(TLS_server_method()));
    check(context != nullptr, "no TLS context");
    const std::vector<Certificate> chain = readCertificates(identity.certificatePem);
    const Key key = readKey(identity.keyPem);
    check(SSL_CTX_use_certificate(context.get(), chain.front().get()) == 1, "cannot use the certificate");
    for (std::size_t i = 1; i < chain.size(); ++i) // add1: the context takes its own reference
        check(SSL_CTX_ctrl(context.get(), SSL_CTRL_CHAIN_CERT, 1, chain[i].get()) == 1, "cannot add to the chain");
    check(SSL_CTX_use_PrivateKey(context.get(), key.get()) == 1 && SSL_CTX_check_private_key(context.get()) == 1,
          "the key does not fit the certificate");
    return context.release();
}

} // namespace quorvane::test
