// The host's key in the player's data folder: made once and kept for its
// owner only, replaced when it cannot serve, and never in the way of
// hosting.
#include "qt/HostKey.h"

#include "support/TempFolder.h"

#include <fstream>
#include <gmock/gmock.h>
#include <sys/stat.h>

using namespace tessarin::qt;
using ::testing::MatchesRegex;

namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_mode & 0777;
}

TEST(HostKey, IsMadeOnceForItsOwnerOnlyAndReplacedWhenItCannotServe) {
    tessarin::testing::TempFolder temp;
    const fs::path folder = temp.path() / "Tessarin"; // made when missing
    const fs::path file = HostKeyFile(folder);
    const mode_t umaskWas = ::umask(0); // the key's own mode, whatever the umask
    std::string note;
    const HostKey key = LoadHostKey(folder, &note);
    ::umask(umaskWas);
    ASSERT_FALSE(key.isNull());
    EXPECT_EQ(note, "");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_THAT(key.hex(), MatchesRegex("[0-9a-f]{64}"));
    EXPECT_THAT(key.shortForm(), MatchesRegex("([0-9A-F]{4} ){3}[0-9A-F]{4}"));
    EXPECT_EQ(QString::fromStdString(key.shortForm()).remove(' ').toLower().toStdString(),
              key.hex().substr(0, 16));
    EXPECT_EQ(LoadHostKey(folder).hex(), key.hex());
    EXPECT_EQ(key.certificate.expiryDate().date().year(),
              QDateTime::currentDateTimeUtc().date().year() + 10);

    const std::string valid = MakeHostKeyPem(-kDay, 400 * kDay);
    const std::string other = MakeHostKeyPem(-kDay, 400 * kDay);
    const std::string cert = "-----BEGIN CERTIFICATE";
    const std::string damaged[] = {
        "not a key at all\n",
        valid.substr(0, valid.size() / 2),
        valid.substr(0, valid.find(cert)) + other.substr(other.find(cert)), // not a pair
        MakeHostKeyPem(-400 * kDay, -kDay),                                 // expired
        MakeHostKeyPem(-400 * kDay, 20 * kDay), // running out within a month
        MakeHostKeyPem(kDay, 400 * kDay),       // not valid yet
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        const HostKey made = LoadHostKey(folder);
        ASSERT_FALSE(made.isNull());
        EXPECT_NE(made.hex(), ParseHostKey(text).hex());
        EXPECT_EQ(LoadHostKey(folder).hex(), made.hex());
    }
    // A good pair is kept as it is, and made the owner's again.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << valid;
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(LoadHostKey(folder).hex(), ParseHostKey(valid).hex());
    EXPECT_EQ(modeOf(file), 0600u);

    // Where nothing can be written, the key serves this run only.
    const HostKey kept = LoadHostKey(file / "Tessarin", &note);
    EXPECT_FALSE(kept.isNull());
    EXPECT_THAT(note, ::testing::HasSubstr("cannot be kept in"));
}

} // namespace
