#include "scorefile/ScoreFile.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage1252.h"

#include <algorithm>
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
    LineReader reader(records);
    bool more = true;
    const int err = files::ReadChunks(path, [&](std::string_view chunk) {
        more = reader.feed(chunk);
        return more;
    });
    if (err == 0 && more)
        reader.finish();
    return err;
}

} // namespace

void ReadScoreFileBytes(std::string_view bytes, Records& records) {
    FillDefaults(records);
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

bool ScoreFile::ReadScoreFile(Records& records, std::string* reason) {
    // Temporaries of saves that were killed half-way do not pile up.
    files::RemoveStaleTemporaries(Path());
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
    // Every slot the file does not give (a file cut short, lines without a
    // key, a file of noise) holds its default, as it would with no file.
    Records read;
    FillDefaults(read);
    if (const int err = ReadFileLines(path, read); err != 0) {
        FillDefaults(records);
        SetReason(reason, files::ErrorText(err));
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
    if (const int err = files::ReadOnlyError(path); err != 0) {
        SetReason(reason, files::ErrorText(err));
        return false;
    }
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        // Keep a copy of a file this program did not write before it is
        // replaced; without that copy the file is left as it is.
        std::string head;
        if (const int err = files::ReadPrefix(path, kLines * kStoredLine + 1, head); err != 0) {
            SetReason(reason, files::ErrorText(err));
            return false;
        }
        std::string why;
        if (!IsWellFormedScoreFile(head) &&
            !files::CopyFile(path, BackupPath(), syncToDisk_, &why)) {
            SetReason(reason, "cannot back up the damaged score file: " + why);
            return false;
        }
    }
    return files::ReplaceFile(path, bytes, syncToDisk_, reason);
}

} // namespace tessarin
