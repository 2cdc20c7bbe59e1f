#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "support/file_faults.h"
#include "support/file_io.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder {

namespace {

namespace fs = std::filesystem;
using windows::Handle;
using windows::narrow;
using windows::wide;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows refuses to rename over a file that a reader holds open without sharing it for
// deletion (most editors and C runtimes open so). Readers of a settings file hold it for
// moments, so a save waits this long for them before it gives up.
constexpr auto kReplaceWait = std::chrono::milliseconds(2000);

// Our own readers share everything, so they never keep another program's save from replacing
// the file.
Handle openForReading(const std::wstring& path) {
    return Handle(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A file on a disk and no folder: pipes, consoles, devices (NUL, COM1) are no files of ours.
bool isRegularFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// What a save may do with a name.
enum class Target { Free, Replaceable, Refused };

// Only a regular file (or a link to one) is replaced, or a name nothing has yet: a save must
// never put a file in place of a device, a pipe, a folder or a broken link. `finalPath` is the
// file a link points at, so that a settings file kept elsewhere and linked into place is updated
// rather than cut loose; `attributes` are those the new file keeps.
Target inspect(const std::wstring& path, std::wstring& finalPath, DWORD& attributes) {
    attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Target::Free
                                                                              : Target::Refused;
    }
    // No access asked for: opened only to see what the name leads to, through any link.
    Handle target(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // A read-only file is one its owner keeps as it is; Windows would refuse the rename too.
    if (!target.valid() || !isRegularFile(target.get()) ||
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Target::Refused;
    }
    finalPath = path;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        std::wstring resolved(MAX_PATH, L'\0');
        DWORD length = GetFinalPathNameByHandleW(target.get(), resolved.data(),
                                                 static_cast<DWORD>(resolved.size()), 0);
        if (length >= resolved.size()) {
            resolved.resize(length);
            length = GetFinalPathNameByHandleW(target.get(), resolved.data(), length, 0);
        }
        if (length == 0 || length >= resolved.size()) {
            return Target::Refused;
        }
        resolved.resize(length);
        finalPath = resolved;
        attributes = GetFileAttributesW(finalPath.c_str());
    }
    return Target::Replaceable;
}

// Whether the process that wrote a temporary file has ended.
bool writerIsGone(DWORD processId) {
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.valid()) {
        return GetLastError() == ERROR_INVALID_PARAMETER;  // no process has that id
    }
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) != 0 && code != STILL_ACTIVE;
}

// A save that was killed between creating its temporary file and the rename leaves that file
// behind; its name carries the writer's process id, so the next save of the same file removes
// those whose writer is gone.
void removeStaleTemporaries(const fs::path& target) {
    std::error_code error;
    std::wstring prefix = target.filename().wstring() + L".tmp-";
    fs::path folder = target.parent_path().empty() ? fs::path(L".") : target.parent_path();
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::wstring name = entry.path().filename().wstring();
        if (name.rfind(prefix, 0) != 0) {
            continue;
        }
        std::wstring rest = name.substr(prefix.size());
        size_t dash = rest.find(L'-');
        if (dash == 0 || dash == std::wstring::npos ||
            rest.find_first_not_of(L"0123456789") != dash || dash > 9) {
            continue;
        }
        if (writerIsGone(static_cast<DWORD>(std::stoul(rest.substr(0, dash))))) {
            fs::remove(entry.path(), error);
        }
    }
}

// A name in the target's folder that no other save (of this or another process) is using. The
// file is shared with nobody until it is complete.
Handle createTemporaryBeside(const std::wstring& target, std::wstring& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(counter.fetch_add(1));
        if (fileCallFails(FileCall::Open, tempPath)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return Handle();
        }
        Handle file(CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return Handle();
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (WriteFile(file, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The rename, written through to the disk, so that it survives a power cut as the data does.
bool replace(const std::wstring& tempPath, const std::wstring& target) {
    auto deadline = std::chrono::steady_clock::now() + kReplaceWait;
    for (;;) {
        if (MoveFileExW(tempPath.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
            return true;
        }
        DWORD error = GetLastError();
        bool heldOpen = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                        error == ERROR_LOCK_VIOLATION;
        // Real time on purpose: the reader is another program, not part of a simulation.
        if (!heldOpen || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The token's user or owner (an elevated program's new files belong to the Administrators group).
bool ownedByThisUser(const std::wstring& link) {
    Handle handle(CreateFileW(link.c_str(), READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!handle.valid() ||
        GetSecurityInfo(handle.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    bool mine = false;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != 0) {
        Handle tokenHandle(token);
        for (TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
            DWORD size = 0;
            GetTokenInformation(token, kind, nullptr, 0, &size);
            std::vector<BYTE> buffer(size);
            if (size == 0 || GetTokenInformation(token, kind, buffer.data(), size, &size) == 0) {
                continue;
            }
            PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                         : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
            mine = mine || EqualSid(sid, owner) != 0;
        }
    }
    LocalFree(descriptor);
    return mine;
}

}  // namespace

std::string replaceRefusal(const std::string& path) {
    std::wstring name = wide(path);
    std::wstring finalPath;
    DWORD attributes = 0;
    if (name.empty()) {
        return "has no name";
    }
    if (inspect(name, finalPath, attributes) == Target::Refused) {
        return "is not a regular file that may be written";
    }
    DWORD own = GetFileAttributesW(name.c_str());
    bool link = own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return link && !ownedByThisUser(name) ? "is a link that belongs to another user" : "";
}

std::optional<std::string> linkTarget(const std::string& path) {
    std::error_code error;
    fs::path name(wide(path));
    if (!fs::is_symlink(name, error)) {
        return std::nullopt;
    }
    fs::path resolved = fs::weakly_canonical(name, error);
    return narrow((error ? fs::read_symlink(name, error) : resolved).wstring());
}

std::optional<std::string> readWholeFile(const std::string& path) {
    Handle file = openForReading(wide(path));
    LARGE_INTEGER size{};
    if (!file.valid() || !isRegularFile(file.get()) || GetFileSizeEx(file.get(), &size) == 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxReadableFileSize) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) == 0) {
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        // The file may grow while we read it; the limit holds all the same.
        if (bytes.size() + got > kMaxReadableFileSize) {
            return std::nullopt;
        }
        bytes.append(buffer, got);
    }
}

bool isTooLargeToRead(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &info) == 0) {
        return false;
    }
    uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return size > kMaxReadableFileSize;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
    std::wstring name = wide(path);
    std::wstring target;
    DWORD attributes = 0;
    if (name.empty() || !replaceRefusal(path).empty()) {
        return false;
    }
    switch (inspect(name, target, attributes)) {
        case Target::Refused:
            return false;
        case Target::Free:
            target = name;
            attributes = FILE_ATTRIBUTE_NORMAL;
            break;
        case Target::Replaceable:
            break;
    }
    removeStaleTemporaries(fs::path(target));
    std::wstring tempPath;
    Handle file = createTemporaryBeside(target, tempPath);
    if (!file.valid()) {
        return false;
    }
    bool ok = !fileCallFails(FileCall::Write, tempPath) && writeAll(file.get(), bytes) &&
              !fileCallFails(FileCall::Sync, tempPath) && FlushFileBuffers(file.get()) != 0;
    bool closed = file.reset();
    ok = closed && !fileCallFails(FileCall::Close, tempPath) && ok;
    // The new file keeps what marks the old one (hidden, not indexed); its access rights are
    // the folder's, as for any new file there.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (ok && (attributes & kKept) != 0) {
        ok = SetFileAttributesW(tempPath.c_str(), attributes & kKept) != 0;
    }
    ok = ok && !fileCallFails(FileCall::Replace, target) && replace(tempPath, target);
    if (!ok) {
        DeleteFileW(tempPath.c_str());
    }
    return ok;
}

}  // namespace lumora_usb_encoder
