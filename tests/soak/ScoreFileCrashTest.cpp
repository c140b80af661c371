// The score file under a program killed in the middle of a save, and on a
// disk that is full.

#include "bot/Bot.h"
#include "modes/ScoreFile.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessarin {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tessarin-crash-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    int temporaries() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(path_))
            n += e.path().extension() == ".tmp" ? 1 : 0;
        return n;
    }

private:
    fs::path path_;
};

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Version k of the records: every slot says k.
Records version(int k) {
    Records r;
    for (int slot = 0; slot < Records::kSlots; ++slot)
        r.Values[static_cast<size_t>(slot)] =
            slot % Records::kFields < 2 ? "Saver " + std::to_string(k) : std::to_string(k);
    return r;
}

// The version a file holds whole, or -1.
int versionOf(const std::string& bytes) {
    if (!IsWellFormedScoreFile(bytes))
        return -1;
    Records r;
    ReadScoreFileBytes(bytes, r);
    const int k = std::atoi(r.at(Records::StandardA, Records::FinalScore).c_str());
    return ScoreFileBytes(version(k)) == bytes ? k : -1;
}

// A child saves version after version, telling the parent each one done;
// the parent kills it at some moment of a later save. Each time the file
// must be the last version told or the one after it, whole.
TEST(ScoreFileCrash, KilledSavesLeaveTheOldOrTheNewFileWhole) {
    Folder folder;
    ASSERT_FALSE(folder.path().empty());
    ScoreFile file(folder.path());
    ASSERT_TRUE(file.WriteScoreFile(version(0)));
    // How long a save takes here, to spread the kills over it.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (int k = 0; k < 10; ++k)
        ASSERT_TRUE(file.WriteScoreFile(version(0)));
    const auto saveTime = (Clock::now() - start) / 10;
    std::mt19937 random(1234);
    int next = 1;
    int damaged = 0;
    int newer = 0;
    constexpr int kKills = 200;
    for (int kill = 0; kill < kKills; ++kill) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            for (int k = next;; ++k) {
                if (!file.WriteScoreFile(version(k)))
                    ::_exit(2);
                if (::write(fds[1], &k, sizeof k) != sizeof k)
                    ::_exit(3);
            }
        }
        ::close(fds[1]);
        int told = next - 1;
        for (int n = static_cast<int>(random() % 3); n >= 0; --n)
            if (::read(fds[0], &told, sizeof told) != sizeof told)
                break;
        // Somewhere in the next save, or just after it.
        const auto until = Clock::now() + saveTime * static_cast<double>(random() % 1500) / 1000.0;
        while (Clock::now() < until) {
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped on its own";
        for (int k; ::read(fds[0], &k, sizeof k) == sizeof k;)
            told = k;
        ::close(fds[0]);

        const int found = versionOf(bytesOf(file.Path()));
        if (found != told && found != told + 1)
            ++damaged;
        newer += found == told + 1 ? 1 : 0;
        EXPECT_TRUE(found == told || found == told + 1)
            << "kill " << kill << ": the file holds version " << found << " after " << told;
        next = told + 2;
    }
    EXPECT_EQ(damaged, 0);
    // The file reads as the last version, whatever the kills left about,
    // and the next start clears away the killed savers' temporaries.
    const int leftBehind = folder.temporaries();
    Records read;
    ASSERT_TRUE(file.ReadScoreFile(read));
    EXPECT_EQ(ScoreFileBytes(read), bytesOf(file.Path()));
    EXPECT_EQ(folder.temporaries(), 0);
    std::cout << "[ crashes  ] " << kKills << " savers killed, " << next - 2 << " saves done; "
              << leftBehind << " kills hit the writing of the new file (its "
              << "temporary is left in the folder), " << newer
              << " hit a save that had replaced the file\n";
}

// Writes past the file size limit fail with EFBIG (SIGXFSZ ignored), as on
// a full disk: run in a child, so the limit does not stay with the tests.
struct Outcome {
    bool saved = true;
    char reason[128] = {};
    int64_t systemMessages = 0;
    char gameError[512] = {};
};

Outcome saveWithLittleRoom(const fs::path& folder) {
    int fds[2];
    Outcome out;
    if (::pipe(fds) != 0)
        return out;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{500, 500}; // half a score file
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Outcome o;
        std::string reason;
        o.saved = ScoreFile(folder).WriteScoreFile(version(2), &reason);
        std::strncpy(o.reason, reason.c_str(), sizeof o.reason - 1);
        // The game's own save of a new best result.
        bot::BotOptions options;
        options.strategy = {bot::Strategy::None, bot::Strategy::None};
        options.workingFolder = folder;
        bot::BotGame game(options);
        game.chooseMode(Tessarin::kStandard);
        game.click("mnuNewGame");
        game.game().Fields[0]->setScore(999'999);
        game.click("mnuStop");
        o.systemMessages = game.dialogs().counts.systemMessages;
        std::strncpy(o.gameError, game.game().LastScoreFileError.c_str(), sizeof o.gameError - 1);
        const bool sent = ::write(fds[1], &o, sizeof o) == sizeof o;
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    if (pid > 0) {
        if (::read(fds[0], &out, sizeof out) != sizeof out)
            out.saved = true;
        ::waitpid(pid, nullptr, 0);
    }
    ::close(fds[0]);
    return out;
}

TEST(ScoreFileCrash, FullDiskKeepsTheOldFileAndTellsThePlayer) {
    const std::string efbig = std::strerror(EFBIG);
    // A file of this program, and one that is not in its shape (which is
    // backed up first: small enough to fit).
    for (const bool wellFormed : {true, false}) {
        SCOPED_TRACE(wellFormed ? "well-formed file" : "damaged file");
        Folder folder;
        ScoreFile file(folder.path());
        if (wellFormed)
            ASSERT_TRUE(file.WriteScoreFile(version(1)));
        else
            std::ofstream(file.Path(), std::ios::binary) << "StandardAFinalScore=12/\r\n";
        const std::string before = bytesOf(file.Path());

        const Outcome o = saveWithLittleRoom(folder.path());
        EXPECT_FALSE(o.saved);
        EXPECT_EQ(std::string(o.reason), efbig);
        EXPECT_EQ(o.systemMessages, 1);
        EXPECT_NE(std::string(o.gameError).find(efbig), std::string::npos) << o.gameError;
        EXPECT_EQ(bytesOf(file.Path()), before);
        EXPECT_EQ(folder.temporaries(), 0);
        if (!wellFormed) {
            EXPECT_EQ(bytesOf(file.BackupPath()), before);
        }
    }
}

} // namespace
} // namespace tessarin
