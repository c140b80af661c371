#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessarin::files {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 4096;

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
        if (fd_ >= 0 && ::close(fd_) != 0)
            err = errno;
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
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

// Writes all of data; answers 0 or the error.
int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

void SetReason(std::string* reason, int err) {
    if (reason != nullptr)
        *reason = ErrorText(err);
}

fs::path TemporaryFor(const fs::path& target) {
    return target.parent_path() /
           (target.filename().string() + "." + std::to_string(::getpid()) + ".tmp");
}

// The replace itself; `fill` writes the new content into an open descriptor
// and answers 0 or an error.
bool Replace(const fs::path& target, const std::function<int(int)>& fill, bool sync,
             std::string* reason, Access access = Access::LikeTarget) {
    const fs::path temp = TemporaryFor(target);
    const bool secret = access == Access::OwnerOnly;
    // A secret goes into a file of its own making, never into one left
    // behind with other permissions.
    if (secret)
        ::unlink(temp.c_str());
    Fd fd(::open(temp.c_str(),
                 O_WRONLY | O_CREAT | (secret ? O_EXCL : O_TRUNC) | O_NOFOLLOW | O_CLOEXEC,
                 secret ? 0600 : 0666));
    if (!fd.valid()) {
        SetReason(reason, errno);
        return false;
    }
    struct stat old {};
    if (!secret && ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd.get(), old.st_mode & 07777);
    int err = fill(fd.get());
    if (err == 0 && sync && ::fsync(fd.get()) != 0)
        err = errno;
    const int closeErr = fd.reset();
    if (err == 0)
        err = closeErr;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        SetReason(reason, err);
        return false;
    }
    if (!sync)
        return true;
    // Make the rename itself durable; a folder that cannot be synced does not
    // undo a replace that has already taken place.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
    return true;
}

} // namespace

std::string ErrorText(int err) {
    return std::strerror(err);
}

int ReadChunks(const fs::path& path, const std::function<bool(std::string_view)>& sink) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    char buf[kChunk];
    for (;;) {
        const ssize_t n = ReadSome(fd.get(), buf, sizeof buf);
        if (n < 0)
            return errno;
        if (n == 0 || !sink(std::string_view(buf, static_cast<std::size_t>(n))))
            return 0;
    }
}

int ReadPrefix(const fs::path& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    if (limit == 0)
        return 0;
    return ReadChunks(path, [&](std::string_view chunk) {
        bytes.append(chunk.substr(0, limit - bytes.size()));
        return bytes.size() < limit;
    });
}

int ReadOnlyError(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return EACCES;
    if (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS))
        return errno;
    return 0;
}

bool ReplaceFile(const fs::path& target, std::string_view bytes, bool sync, std::string* reason,
                 Access access) {
    return Replace(
        target, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, sync, reason,
        access);
}

bool CopyFile(const fs::path& source, const fs::path& target, bool sync, std::string* reason) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        SetReason(reason, errno);
        return false;
    }
    return Replace(
        target,
        [&](int out) {
            char buf[kChunk];
            for (;;) {
                const ssize_t n = ReadSome(in.get(), buf, sizeof buf);
                if (n <= 0)
                    return n < 0 ? errno : 0;
                if (const int err = WriteAll(out, buf, static_cast<std::size_t>(n)); err != 0)
                    return err;
            }
        },
        sync, reason);
}

void RemoveStaleTemporaries(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string prefix = target.filename().string() + ".";
    std::error_code ec;
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

} // namespace tessarin::files
