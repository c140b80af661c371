// Keys and certificates of any validity for the tests of encryption, made
// with OpenSSL as the host makes its own.
#pragma once

#include "qt/HostKey.h"

#include <ctime>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <string>

namespace tessarin::qt::testing {

// A new key and a certificate valid from `from` to `to` seconds from now,
// in PEM, the key first.
inline std::string KeyPem(long from, long to) {
    std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key(
        EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, void (*)(X509*)> cert(X509_new(), X509_free);
    std::unique_ptr<BIO, void (*)(BIO*)> out(BIO_new(BIO_s_mem()), BIO_free_all);
    X509_set_version(cert.get(), X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), from);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), to);
    X509_set_pubkey(cert.get(), key.get());
    X509_sign(cert.get(), key.get(), EVP_sha256());
    PEM_write_bio_PrivateKey_traditional(out.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                         nullptr);
    PEM_write_bio_X509(out.get(), cert.get());
    char* data = nullptr;
    const long n = BIO_get_mem_data(out.get(), &data);
    return std::string(data, static_cast<std::size_t>(n));
}

// The key of such a PEM text, as the host would use it.
inline HostKey KeyOf(const std::string& pem) {
    HostKey k;
    const QByteArray bytes = QByteArray::fromStdString(pem);
    k.privateKey = QSslKey(bytes, QSsl::Ec);
    k.certificate = QSslCertificate(bytes.mid(bytes.indexOf("-----BEGIN CERTIFICATE")));
    k.fingerprint = Fingerprint(k.certificate);
    return k;
}

constexpr long kDay = 24L * 3600;

} // namespace tessarin::qt::testing
