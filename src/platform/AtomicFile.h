#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tessarin::files {

// Small file services with plain error numbers (0: no error), for files
// that must never be left half-written.

// A short human reason for an error number, e.g. "Permission denied".
std::string ErrorText(int err);

// Reads a file from its start, handing each chunk to `sink` until the end
// or until sink answers false.
int ReadChunks(const std::filesystem::path& path,
               const std::function<bool(std::string_view)>& sink);
// Reads at most `limit` bytes from the start of a file.
int ReadPrefix(const std::filesystem::path& path, std::size_t limit, std::string& bytes);

// EACCES or EROFS for a regular file that has no write permission for
// anyone or none for us (the program leaves such a file alone even where
// it could replace it); 0 otherwise, a missing file included.
int ReadOnlyError(const std::filesystem::path& path);

// Replaces target by `bytes`, or by a copy of `source`: a temporary file
// "<target>.<pid>.tmp" in the same folder is written, flushed to the disk
// when `sync` (with the folder after the rename), and renamed over the
// target, so the target is at every moment either the old file or the
// whole new one. The new file keeps the old one's permissions, or with
// Access::OwnerOnly is readable and writable by its owner only from the
// moment it is made (a secret). On failure the temporary is removed, the
// target is untouched and the answer is false with the reason in `reason`
// (if not null).
enum class Access { LikeTarget, OwnerOnly };
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes, bool sync,
                 std::string* reason, Access access = Access::LikeTarget);
bool CopyFile(const std::filesystem::path& source, const std::filesystem::path& target, bool sync,
              std::string* reason);

// A program killed in the middle of a replace leaves its temporary file
// behind; those of target whose programs no longer run are removed.
void RemoveStaleTemporaries(const std::filesystem::path& target);

} // namespace tessarin::files
