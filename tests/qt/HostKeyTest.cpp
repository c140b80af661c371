// The host's key in the player's data folder: made once and kept for its
// owner only, replaced when it cannot serve, and never in the way of
// hosting.
#include "qt/HostKey.h"

#include "TestKeys.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gmock/gmock.h>
#include <sys/stat.h>

using namespace tessarin::qt;
using namespace tessarin::qt::testing;
using ::testing::MatchesRegex;

namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mode & 0777;
}

void write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(HostKey, IsMadeOnceForItsOwnerOnlyAndKept) {
    tessarin::testing::TempFolder temp;
    const fs::path folder = temp.path() / "Tessarin"; // made when missing
    const mode_t umaskWas = ::umask(0);               // the key's own mode, whatever the umask
    std::string note;
    const HostKey key = LoadHostKey(folder, &note);
    ::umask(umaskWas);
    ASSERT_FALSE(key.isNull());
    EXPECT_EQ(note, "");
    EXPECT_EQ(modeOf(HostKeyFile(folder)), 0600u);
    EXPECT_THAT(key.hex(), MatchesRegex("[0-9a-f]{64}"));
    std::string digits = key.shortForm();
    std::erase(digits, ' ');
    EXPECT_THAT(key.shortForm(), MatchesRegex("[0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4}"));
    EXPECT_EQ(QString::fromStdString(digits).toLower().toStdString(), key.hex().substr(0, 16));
    EXPECT_EQ(LoadHostKey(folder).hex(), key.hex());
    EXPECT_EQ(key.certificate.expiryDate().date().year(),
              QDateTime::currentDateTimeUtc().date().year() + 10);
}

TEST(HostKey, AKeyThatCannotServeIsReplaced) {
    tessarin::testing::TempFolder temp;
    const fs::path file = HostKeyFile(temp.path());
    const std::string valid = KeyPem(-kDay, 400 * kDay);
    const std::string otherCert = KeyPem(-kDay, 400 * kDay);
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"garbage", "not a key at all\n"},
        {"cut short", valid.substr(0, valid.size() / 2)},
        {"a key with another's certificate",
         valid.substr(0, valid.find("-----BEGIN CERTIFICATE")) +
             otherCert.substr(otherCert.find("-----BEGIN CERTIFICATE"))},
        {"expired", KeyPem(-400 * kDay, -kDay)},
        {"running out within a month", KeyPem(-400 * kDay, 20 * kDay)},
        {"not valid yet", KeyPem(kDay, 400 * kDay)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(file, c.text);
        ::chmod(file.c_str(), 0644);
        const HostKey key = LoadHostKey(temp.path());
        ASSERT_FALSE(key.isNull());
        EXPECT_NE(key.hex(), KeyOf(c.text).hex());
        EXPECT_EQ(modeOf(file), 0600u);
        EXPECT_EQ(LoadHostKey(temp.path()).hex(), key.hex()); // kept
    }
    // A good pair is kept as it is, and made the owner's again.
    write(file, valid);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(LoadHostKey(temp.path()).hex(), KeyOf(valid).hex());
    EXPECT_EQ(modeOf(file), 0600u);
}

TEST(HostKey, AFolderThatCannotBeWrittenDoesNotStopHosting) {
    tessarin::testing::TempFolder temp;
    write(temp.path() / "file", "");
    std::string note;
    const HostKey key = LoadHostKey(temp.path() / "file" / "Tessarin", &note);
    EXPECT_FALSE(key.isNull());
    EXPECT_THAT(note, ::testing::HasSubstr("cannot be kept in"));
}

} // namespace
