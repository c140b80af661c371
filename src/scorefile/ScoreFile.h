#pragma once

#include "game/Records.h"
#include "platform/CodePage1252.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessarin {

// Key of a slot: row name + field name, e.g. "StandardAPlayer1Name"; empty
// for a slot outside 0..19.
std::string RecordKey(int slot);

// The score file "Tessarin.ini" in the working folder: 20 lines of 48
// characters (key padded to 25, "=", value padded to 21, "/") and CR LF, in
// Windows-1252.
//
// Reading takes every well-formed line among the first 20 (a line with an
// "=" and, after it, a "/" within its first 50 characters) whose key is one
// of the 18 read keys; the two Standard Player2Name lines are never read,
// and slots no line gives take their default values.
// Saving always writes the 20 lines in slot order, each with its own key,
// and replaces the file atomically. A file that is not in that exact shape
// is first copied to "Tessarin.ini.bak" (see IsWellFormedScoreFile).
class ScoreFile {
public:
    static constexpr const char* kFileName = "Tessarin.ini";
    static constexpr const char* kBackupName = "Tessarin.ini.bak";

    explicit ScoreFile(std::filesystem::path folder); // the working folder
    std::filesystem::path Path() const;
    std::filesystem::path BackupPath() const;

    // Each returns true on success; on failure false and, if reason !=
    // nullptr, a short human reason (e.g. "Permission denied").

    // Fills the slots named by the file's lines; every other slot takes its
    // default value, as with the default file. A missing file is first
    // created with the defaults. When the file can be neither read nor
    // created, Records receives the defaults in memory and the answer is
    // false.
    bool ReadScoreFile(Records& records, std::string* reason = nullptr);
    // Replaces the file with the 20 lines of Records. A value is trimmed of
    // spaces, its CR and LF become spaces, it is converted to 1252 with "/"
    // (which would end it early) written as "?", and cut to 21 characters;
    // the Standard Player2Name lines are always blank. On failure the old
    // file stays as it was.
    bool WriteScoreFile(const Records& records, std::string* reason = nullptr);
    // Replaces the file with the 20 default lines.
    bool CreateScoreFile(std::string* reason = nullptr);

    // Whether a save waits until the new file is on the disk before it takes
    // the old one's place (on by default). Soak tests and tools that save
    // thousands of times may turn it off: a save then still replaces the
    // file whole, but a power cut may lose it.
    bool SyncToDisk() const { return syncToDisk_; }
    void setSyncToDisk(bool on) { syncToDisk_ = on; }

private:
    bool ReplaceScoreFile(const std::string& bytes, std::string* reason);

    std::filesystem::path folder_;
    bool syncToDisk_ = true;
};

// The file's content in memory, byte for byte as the methods above handle it
// on disk: the 20 default lines; the 20 lines a save writes for records; a
// read of the file's bytes into records (the defaults where they give
// nothing).
std::string DefaultScoreFileBytes();
std::string ScoreFileBytes(const Records& records);
void ReadScoreFileBytes(std::string_view bytes, Records& records);

// True when bytes are exactly 20 lines, each of 48 characters and CR LF,
// where line n carries the key of slot n (padding spaces allowed around
// it), its first "=" at column 26 and its first "/" at column 48, and no
// CR inside. Such a file loses nothing but padding spaces (and the unread
// Standard second names) when it is read and saved again; any other file is
// backed up before a save replaces it.
bool IsWellFormedScoreFile(std::string_view bytes);

} // namespace tessarin
