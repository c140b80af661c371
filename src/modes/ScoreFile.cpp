#include "modes/ScoreFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tessarin {

namespace fs = std::filesystem;

namespace {

constexpr int kLines = Records::kSlots;
constexpr std::size_t kKeyWidth = 25;   // columns 1-25
constexpr std::size_t kEqualsAt = 25;   // column 26, 0-based
constexpr std::size_t kValueWidth = 21; // columns 27-47
constexpr std::size_t kSlashAt = 47;    // column 48, 0-based
constexpr std::size_t kLineWidth = 48;  // without CR LF
constexpr std::size_t kStoredLine = kLineWidth + 2;
constexpr std::size_t kReadWidth = 50; // a line is read in its first 50 characters

constexpr const char* kRowNames[Records::kRows] = {"StandardA", "StandardB", "CooperationA",
                                                   "CooperationB"};
constexpr const char* kFieldNames[Records::kFields] = {"Player1Name", "Player2Name", "FinalScore",
                                                       "FinalLines", "FinalSpeed"};
constexpr const char* kDefaults[kLines] = {
    "Anonymous", "Anonymous", "0", "0", "0", "Anonymous", "Anonymous", "0", "0", "0",
    "Player1",   "Player2",   "0", "0", "0", "Player1",   "Player2",   "0", "0", "0"};

// The keys of the 20 Values.
const std::array<std::string, kLines>& Keys() {
    static const std::array<std::string, kLines> keys = [] {
        std::array<std::string, kLines> k;
        for (int slot = 0; slot < kLines; ++slot) {
            k[static_cast<std::size_t>(slot)] = std::string(kRowNames[slot / Records::kFields]) +
                                                kFieldNames[slot % Records::kFields];
        }
        return k;
    }();
    return keys;
}

// The second names of the Standard rows are carried by the file but never
// read: those Values stay empty for the whole run.
bool IsUnreadSlot(int slot) {
    return slot == 5 * Records::StandardA + Records::Player2Name ||
           slot == 5 * Records::StandardB + Records::Player2Name;
}

std::string_view TrimSpaces(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

std::string ErrorText(int err) {
    return std::strerror(err);
}

void SetReason(std::string* reason, std::string text) {
    if (reason != nullptr) {
        *reason = std::move(text);
    }
}

// Appends one line of the file: the key padded to 25, "=", the value (already
// in 1252, at most 21 characters) padded to 21, "/", CR LF.
void AppendLine(std::string& out, int slot, std::string_view value) {
    const std::string& key = Keys()[static_cast<std::size_t>(slot)];
    out += key;
    out.append(kKeyWidth - key.size(), ' ');
    out += '=';
    out += value;
    out.append(kValueWidth - value.size(), ' ');
    out += "/\r\n";
}

// The 1252 text a slot's value is stored as: it can neither end its line nor
// close its field early, and it fits the field. CR and LF become spaces; a
// "/" becomes "?" like any character the file cannot hold in a value.
std::string StoredValue(std::string_view utf8) {
    std::string text(utf8);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::string value = ToCodePage1252(TrimSpaces(text));
    for (char& c : value) {
        if (c == '/') {
            c = '?';
        }
    }
    if (value.size() > kValueWidth) {
        value.resize(kValueWidth);
    }
    return value;
}

void FillDefaults(Records& records) {
    for (int slot = 0; slot < kLines; ++slot) {
        records.Values[slot] = IsUnreadSlot(slot) ? std::string() : kDefaults[slot];
    }
}

// Reads a line, in its first 50 characters, into records if it is
// well-formed and carries one of the read keys. (Padding the line with spaces
// to 50 would change nothing: spaces are trimmed.)
void ReadLine(std::string_view line, Records& records) {
    const std::string_view view = line.substr(0, kReadWidth);
    const auto equals = view.find('=');
    const auto slash = view.find('/');
    if (equals == std::string_view::npos || slash == std::string_view::npos || slash < equals) {
        return;
    }
    const std::string_view key = TrimSpaces(view.substr(0, equals));
    const std::string_view value = TrimSpaces(view.substr(equals + 1, slash - equals - 1));
    for (int slot = 0; slot < kLines; ++slot) {
        if (!IsUnreadSlot(slot) && key == Keys()[static_cast<std::size_t>(slot)]) {
            records.Values[slot] = FromCodePage1252(value);
            return;
        }
    }
}

// A file descriptor closed on scope exit.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and answers the error of close, 0 if none.
    int reset() {
        int err = 0;
        if (fd_ >= 0 && ::close(fd_) != 0) {
            err = errno;
        }
        fd_ = -1;
        return err;
    }

private:
    int fd_;
};

// Reads into buf; answers the count (0 at the end) or -1 with errno set.
ssize_t ReadSome(int fd, char* buf, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buf, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

// Writes all of data; answers 0 or the error.
int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Splits the start of a file into lines as its bytes arrive and reads each
// of the first 20 into records. A line ends at LF. Only its first 50
// characters are kept; a CR before the LF needs no care, as it comes after
// any "/" that closes the line's value.
class LineReader {
public:
    explicit LineReader(Records& records) : records_(records) {}

    // Takes the next bytes; answers false once the 20 lines are read.
    bool feed(std::string_view bytes) {
        while (!bytes.empty() && !done()) {
            const auto end = bytes.find('\n');
            if (line_.size() < kReadWidth) {
                line_.append(bytes.substr(0, std::min(end, kReadWidth - line_.size())));
            }
            started_ = true;
            if (end == std::string_view::npos) {
                break;
            }
            finishLine();
            bytes.remove_prefix(end + 1);
        }
        return !done();
    }

    // The end of the file: a last line without LF still counts.
    void finish() {
        if (!done() && started_) {
            finishLine();
        }
    }

private:
    bool done() const { return lines_ >= kLines; }

    void finishLine() {
        ReadLine(line_, records_);
        ++lines_;
        line_.clear();
        started_ = false;
    }

    Records& records_;
    int lines_ = 0;
    std::string line_;
    bool started_ = false; // bytes of a line not ended yet
};

// Reads the first 20 lines of a file into records. Answers 0 or the error.
int ReadFileLines(const fs::path& path, Records& records) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return errno;
    }
    LineReader reader(records);
    char buf[4096];
    for (;;) {
        const ssize_t n = ReadSome(fd.get(), buf, sizeof buf);
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            reader.finish();
            return 0;
        }
        if (!reader.feed(std::string_view(buf, static_cast<std::size_t>(n)))) {
            return 0;
        }
    }
}

// Reads at most `limit` bytes from the start of a file. Answers 0 or the error.
int ReadPrefix(const fs::path& path, std::size_t limit, std::string& bytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return errno;
    }
    bytes.clear();
    char buf[4096];
    while (bytes.size() < limit) {
        const ssize_t n = ReadSome(fd.get(), buf, std::min(sizeof buf, limit - bytes.size()));
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    return 0;
}

// Replaces target by a file whose content `fill` writes into an open
// descriptor (answering 0 or an error): a temporary file in the same folder
// is written, flushed to disk (with sync) and renamed over the target, so
// the target is at every moment either the old file or the whole new one.
// The new file keeps the old one's permissions. On failure the temporary is
// removed and the target is untouched.
bool ReplaceAtomically(const fs::path& target, const std::function<int(int)>& fill, bool sync,
                       std::string* reason) {
    const fs::path temp = target.parent_path() /
                          (target.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        SetReason(reason, ErrorText(errno));
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    int err = fill(fd.get());
    if (err == 0 && sync && ::fsync(fd.get()) != 0) {
        err = errno;
    }
    const int closeErr = fd.reset();
    if (err == 0) {
        err = closeErr;
    }
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(temp.c_str());
        SetReason(reason, ErrorText(err));
        return false;
    }
    if (!sync) {
        return true;
    }
    // Make the rename itself durable; a folder that cannot be synced does not
    // undo a save that has already taken place.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        ::fsync(dir.get());
    }
    return true;
}

// A file that has no write permission for anyone, or none for us, is
// read-only: the program leaves it alone even where it could replace it.
int ReadOnlyError(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return EACCES;
    }
    if (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
        return errno;
    }
    return 0;
}

// Copies source to target atomically. Answers true or false with the reason.
bool CopyAtomically(const fs::path& source, const fs::path& target, bool sync,
                    std::string* reason) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        SetReason(reason, ErrorText(errno));
        return false;
    }
    return ReplaceAtomically(
        target,
        [&](int out) {
            char buf[4096];
            for (;;) {
                const ssize_t n = ReadSome(in.get(), buf, sizeof buf);
                if (n < 0) {
                    return errno;
                }
                if (n == 0) {
                    return 0;
                }
                if (const int err = WriteAll(out, buf, static_cast<std::size_t>(n)); err != 0) {
                    return err;
                }
            }
        },
        sync, reason);
}

} // namespace

void ReadScoreFileBytes(std::string_view bytes, Records& records) {
    LineReader reader(records);
    reader.feed(bytes);
    reader.finish();
}

std::string RecordKey(int slot) {
    if (slot < 0 || slot >= kLines) {
        return {};
    }
    return Keys()[static_cast<std::size_t>(slot)];
}

std::string DefaultScoreFileBytes() {
    std::string bytes;
    bytes.reserve(kLines * kStoredLine);
    for (int slot = 0; slot < kLines; ++slot) {
        AppendLine(bytes, slot, kDefaults[slot]);
    }
    return bytes;
}

std::string ScoreFileBytes(const Records& records) {
    std::string bytes;
    bytes.reserve(kLines * kStoredLine);
    for (int slot = 0; slot < kLines; ++slot) {
        const std::string value =
            IsUnreadSlot(slot) ? std::string() : StoredValue(records.Values[slot]);
        AppendLine(bytes, slot, value);
    }
    return bytes;
}

bool IsWellFormedScoreFile(std::string_view bytes) {
    if (bytes.size() != kLines * kStoredLine) {
        return false;
    }
    for (int slot = 0; slot < kLines; ++slot) {
        const std::string_view line = bytes.substr(slot * kStoredLine, kLineWidth);
        if (bytes.substr(slot * kStoredLine + kLineWidth, 2) != "\r\n" ||
            line.find_first_of("\r\n") != std::string_view::npos || line.find('=') != kEqualsAt ||
            line.find('/') != kSlashAt ||
            TrimSpaces(line.substr(0, kKeyWidth)) != Keys()[static_cast<std::size_t>(slot)]) {
            return false;
        }
    }
    return true;
}

ScoreFile::ScoreFile(fs::path folder) : folder_(std::move(folder)) {}

fs::path ScoreFile::Path() const {
    return folder_ / kFileName;
}

fs::path ScoreFile::BackupPath() const {
    return folder_ / kBackupName;
}

// A program killed in the middle of a save leaves its temporary file
// behind ("Tessarin.ini.<pid>.tmp"); those of programs no longer running
// are removed, so they do not pile up.
static void RemoveStaleTemporaries(const fs::path& folder) {
    std::error_code ec;
    const std::string prefix = std::string(ScoreFile::kFileName) + ".";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const auto pid = static_cast<pid_t>(std::stol(digits));
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

bool ScoreFile::ReadScoreFile(Records& records, std::string* reason) {
    RemoveStaleTemporaries(folder_);
    const fs::path path = Path();
    std::error_code ec;
    // A folder that cannot be searched says nothing about the file: try to
    // read it and report why that fails.
    const bool present = fs::exists(path, ec) || ec;
    if (!present && !CreateScoreFile(reason)) {
        FillDefaults(records);
        return false;
    }
    // A read that breaks off half-way leaves nothing half-read in records.
    Records read = records;
    if (const int err = ReadFileLines(path, read); err != 0) {
        FillDefaults(records);
        SetReason(reason, ErrorText(err));
        return false;
    }
    records = std::move(read);
    return true;
}

bool ScoreFile::WriteScoreFile(const Records& records, std::string* reason) {
    // A missing file needs no default file first: every line is written.
    return ReplaceScoreFile(ScoreFileBytes(records), reason);
}

bool ScoreFile::CreateScoreFile(std::string* reason) {
    return ReplaceScoreFile(DefaultScoreFileBytes(), reason);
}

bool ScoreFile::ReplaceScoreFile(const std::string& bytes, std::string* reason) {
    const fs::path path = Path();
    if (const int err = ReadOnlyError(path); err != 0) {
        SetReason(reason, ErrorText(err));
        return false;
    }
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        // Keep a copy of a file this program did not write before it is
        // replaced; without that copy the file is left as it is.
        std::string head;
        if (const int err = ReadPrefix(path, kLines * kStoredLine + 1, head); err != 0) {
            SetReason(reason, ErrorText(err));
            return false;
        }
        std::string why;
        if (!IsWellFormedScoreFile(head) &&
            !CopyAtomically(path, BackupPath(), syncToDisk_, &why)) {
            SetReason(reason, "cannot back up the damaged score file: " + why);
            return false;
        }
    }
    return ReplaceAtomically(
        path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, syncToDisk_,
        reason);
}

namespace {

// Unicode of the 1252 bytes 0x80 to 0x9F; the five undefined bytes stand for
// the C1 control of the same number.
constexpr char32_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int To1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh1252[i] == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every character of the code page lies below U+10000.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string ToCodePage1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            least = 0x10000;
        }
        bool valid = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        valid = valid && cp >= least && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out += '?'; // one mark per byte that does not begin a valid sequence
            ++i;
            continue;
        }
        const int byte = To1252(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i += length;
    }
    return out;
}

std::string FromCodePage1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : char32_t{b});
    }
    return out;
}

} // namespace tessarin
