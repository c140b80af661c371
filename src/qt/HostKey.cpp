#include "qt/HostKey.h"

#include "platform/AtomicFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <memory>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <sys/stat.h>

namespace tessarin::qt {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxFile = 16384; // a key and a certificate take about 1 KiB
constexpr long kValidDays = 3653;       // ten years
constexpr int kRenewDays = 30;          // a key that runs out sooner is replaced

template <class T, void (*Free)(T*)> struct Freer {
    void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using PKey = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Freer<X509, X509_free>>;
using Big = std::unique_ptr<BIGNUM, Freer<BIGNUM, BN_free>>;

// A key file is never protected by a password: nothing asks for one.
int noPassword(char*, int, int, void*) {
    return -1;
}

std::string bioText(BIO* bio) {
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    return n > 0 ? std::string(data, static_cast<std::size_t>(n)) : std::string();
}

} // namespace

std::string MakeHostKeyPem(long from, long to) {
    PKey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    Cert cert(X509_new());
    if (!key || !cert)
        return {};
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return {};
    serial[0] &= 0x7F; // positive
    Big number(BN_bin2bn(serial, sizeof serial, nullptr));
    X509_NAME* name = X509_get_subject_name(cert.get());
    const auto* common = reinterpret_cast<const unsigned char*>("Tessarin host");
    if (!number || !BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert.get())) ||
        X509_set_version(cert.get(), X509_VERSION_3) != 1 ||
        !X509_gmtime_adj(X509_getm_notBefore(cert.get()), from) ||
        !X509_gmtime_adj(X509_getm_notAfter(cert.get()), to) ||
        X509_set_pubkey(cert.get(), key.get()) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, common, -1, -1, 0) != 1 ||
        X509_set_issuer_name(cert.get(), name) != 1 ||
        X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0)
        return {};
    Bio out(BIO_new(BIO_s_mem()));
    if (!out ||
        PEM_write_bio_PrivateKey_traditional(out.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                             nullptr) != 1 ||
        PEM_write_bio_X509(out.get(), cert.get()) != 1)
        return {};
    return bioText(out.get());
}

HostKey ParseHostKey(const std::string& pem) {
    if (pem.empty() || pem.size() > kMaxFile)
        return HostKey();
    Bio keyIn(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    Bio certIn(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!keyIn || !certIn)
        return HostKey();
    PKey key(PEM_read_bio_PrivateKey(keyIn.get(), nullptr, noPassword, nullptr));
    Cert cert(PEM_read_bio_X509(certIn.get(), nullptr, noPassword, nullptr));
    if (!key || !cert || X509_check_private_key(cert.get(), key.get()) != 1)
        return HostKey();
    // Qt is given what OpenSSL read, written out again one part at a time.
    Bio keyOut(BIO_new(BIO_s_mem()));
    Bio certOut(BIO_new(BIO_s_mem()));
    if (!keyOut || !certOut ||
        PEM_write_bio_PrivateKey_traditional(keyOut.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                             nullptr) != 1 ||
        PEM_write_bio_X509(certOut.get(), cert.get()) != 1)
        return HostKey();
    HostKey out;
    out.privateKey = QSslKey(QByteArray::fromStdString(bioText(keyOut.get())), QSsl::Ec, QSsl::Pem,
                             QSsl::PrivateKey);
    out.certificate = QSslCertificate(QByteArray::fromStdString(bioText(certOut.get())), QSsl::Pem);
    if (out.privateKey.isNull() || out.certificate.isNull())
        return HostKey();
    out.fingerprint = Fingerprint(out.certificate);
    return out;
}

std::string HostKey::hex() const {
    return fingerprint.toHex().toStdString();
}

std::string HostKey::shortForm() const {
    return ShortForm(fingerprint);
}

QByteArray Fingerprint(const QSslCertificate& certificate) {
    return QCryptographicHash::hash(certificate.toDer(), QCryptographicHash::Sha256);
}

std::string ShortForm(const QByteArray& fingerprint) {
    const std::string hex = fingerprint.left(8).toHex().toUpper().toStdString();
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 4)
        out += (i ? " " : "") + hex.substr(i, 4);
    return out;
}

fs::path HostKeyFile(const fs::path& folder) {
    return folder / "host-key.pem";
}

HostKey LoadHostKey(const fs::path& folder, std::string* note) {
    const fs::path file = HostKeyFile(folder);
    std::string pem;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!folder.empty() && files::ReadPrefix(file, kMaxFile + 1, pem) == 0) {
        // Kept while valid now and for a while yet.
        if (HostKey key = ParseHostKey(pem);
            !key.isNull() && key.certificate.effectiveDate() <= now &&
            key.certificate.expiryDate() > now.addDays(kRenewDays)) {
            struct stat st {};
            if (::stat(file.c_str(), &st) == 0 && (st.st_mode & 077) != 0)
                ::chmod(file.c_str(), 0600); // widened by hand: the owner's again
            return key;
        }
    }
    // Valid from a day ago: a friend's clock may be a little behind.
    const std::string made = MakeHostKeyPem(-kDay, kValidDays * kDay);
    HostKey key = ParseHostKey(made);
    std::error_code ec;
    if (!folder.empty())
        fs::create_directories(folder, ec);
    std::string why;
    if (made.empty())
        why = "no key could be made";
    else if (folder.empty())
        why = "the player has no data folder";
    else if (ec)
        why = ec.message();
    else
        files::ReplaceFile(file, made, true, &why, files::Access::OwnerOnly);
    if (!why.empty() && note)
        *note = "the host's key cannot be kept in " + folder.string() + " (" + why +
                "); a new one serves until the program ends";
    return key;
}

} // namespace tessarin::qt
