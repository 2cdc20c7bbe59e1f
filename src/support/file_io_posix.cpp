#include "support/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "support/file_faults.h"

namespace lumora_usb_encoder {

namespace {

namespace fs = std::filesystem;

// Closes a descriptor on every way out of a function.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closing can report a failed write-back; the caller of a save needs to know.
    bool reset() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The file a save really replaces: the target of a link, so that a settings file kept elsewhere
// and linked into place is updated rather than cut loose.
fs::path resolvedTarget(const std::string& path) {
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(target, error)) {
        fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

// A save that was killed between creating its temporary file and the rename leaves that file
// behind; its name carries the writer's process id, so the next save of the same file removes
// those whose writer is gone.
void removeStaleTemporaries(const fs::path& target) {
    std::error_code error;
    std::string prefix = target.filename().string() + ".tmp-";
    fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) {
            continue;
        }
        std::string rest = name.substr(prefix.size());
        size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos ||
            rest.find_first_not_of("0123456789") != dash || dash > 9) {
            continue;
        }
        pid_t writer = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
        if (::kill(writer, 0) != 0 && errno == ESRCH) {
            fs::remove(entry.path(), error);
        }
    }
}

// A name in the target's folder that no other save (of this or another process) is using.
Descriptor createTemporaryBeside(const fs::path& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        if (fileCallFails(FileCall::Open, tempPath)) {
            errno = EACCES;
            return Descriptor(-1);
        }
        Descriptor fd(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid() || errno != EEXIST) {
            return fd;
        }
    }
    return Descriptor(-1);
}

// The rename itself must survive a power cut too, so the folder entry is flushed as well. Some
// file systems refuse fsync on a folder; the data is already safe then, so that is no failure.
void syncFolder(const fs::path& folder) {
    Descriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

}  // namespace

std::string replaceRefusal(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return errno == ENOENT ? "" : "cannot be reached";
    }
    if (S_ISLNK(entry.st_mode) && entry.st_uid != ::geteuid()) {
        return "is a link that belongs to another user";
    }
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return "is a link to nothing";
    }
    return S_ISREG(target.st_mode) ? "" : "is not a regular file";
}

std::optional<std::string> linkTarget(const std::string& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) {
        return std::nullopt;
    }
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? fs::read_symlink(path, error).string() : resolved.string();
}

std::optional<std::string> readWholeFile(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size < 0 || static_cast<size_t>(info.st_size) > kMaxReadableFileSize) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        // The file may grow while we read it; the limit holds all the same.
        if (bytes.size() + static_cast<size_t>(got) > kMaxReadableFileSize) {
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

bool isTooLargeToRead(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_size > 0 &&
           static_cast<size_t>(info.st_size) > kMaxReadableFileSize;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty() || !replaceRefusal(path).empty()) {
        return false;
    }
    fs::path target = resolvedTarget(path);
    removeStaleTemporaries(target);
    std::string tempPath;
    Descriptor fd = createTemporaryBeside(target, tempPath);
    if (!fd.valid()) {
        return false;
    }
    struct stat existing {};
    bool ok = !fileCallFails(FileCall::Write, tempPath) && writeAll(fd.get(), bytes);
    if (ok && ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    }
    ok = ok && !fileCallFails(FileCall::Sync, tempPath) && ::fsync(fd.get()) == 0;
    bool closed = fd.reset();
    ok = closed && !fileCallFails(FileCall::Close, tempPath) && ok;
    ok = ok && !fileCallFails(FileCall::Replace, target) &&
         ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    syncFolder(target.parent_path());
    return true;
}

}  // namespace lumora_usb_encoder
