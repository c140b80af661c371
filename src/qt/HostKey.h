#pragma once

// The host's key: a self-signed certificate (EC P-256, valid ten years) and
// its private key, made on the first game hosted and kept in the player's
// data folder, readable by the owner only. The SHA-256 of the certificate
// is the host's identity: a join link carries it, and a friend who typed
// the address compares its first digits with what the host's window shows.

#include <QByteArray>
#include <QSslCertificate>
#include <QSslKey>
#include <filesystem>
#include <string>

namespace tessarin::qt {

struct HostKey {
    QSslCertificate certificate;
    QSslKey privateKey;
    QByteArray fingerprint; // SHA-256 of the DER certificate, 32 bytes

    bool isNull() const { return fingerprint.isEmpty(); }
    // 64 lowercase hex digits, as a join link carries them.
    std::string hex() const;
    // The first 16 hex digits in groups of four, upper case: "3F2A 91C0 7B1E 44D2".
    std::string shortForm() const;
};

// The file in folder that holds the certificate and the key.
std::filesystem::path HostKeyFile(const std::filesystem::path& folder);

// The host's key from folder. A missing, unreadable or damaged file, or a
// certificate that is not valid now or runs out within 30 days, is
// replaced by a new key. When the new key cannot be kept there, it serves
// this program's run only, and note (if given) says why.
HostKey LoadHostKey(const std::filesystem::path& folder, std::string* note = nullptr);

// A new key and a certificate of it valid from `from` to `to` seconds from
// now (kDay a day), in PEM, the key first (empty if none could be made).
constexpr long kDay = 24L * 3600;
std::string MakeHostKeyPem(long from, long to);
// The key and certificate of such a text, whatever their dates; null
// unless whole and belonging together.
HostKey ParseHostKey(const std::string& pem);

// The SHA-256 of a certificate, and its short form for people.
QByteArray Fingerprint(const QSslCertificate& certificate);
std::string ShortForm(const QByteArray& fingerprint);

} // namespace tessarin::qt
