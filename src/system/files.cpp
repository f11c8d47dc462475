// SPDX-License-Identifier: GPL-3.0-or-later
// The file half of the platform layer on plain POSIX: the executable's folder, record files read
// with or without an exclusive lock, a folder's names, the replacement of a whole file that
// survives crashes (with its backup, through links, or in place), setting a file aside, leftovers
// and the folder lock.
#include "system/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

void SetError(std::error_code* error, int value) {
    if (error != nullptr) *error = SystemError(value);
}

// Every system call of a replacement passes through here, so that a test can make the k-th one
// fail as the file system would: the call is not made and errno holds the injected error.
template <typename Call>
auto CountedCall(FileCalls& calls, const char* name, Call call) -> decltype(call()) {
    int error = 0;
    if (calls.Intercept(name, &error)) {
        errno = error;
        return -1;
    }
    return call();
}

// A counted call that a signal interrupted is made again.
template <typename Call>
auto RetriedCall(FileCalls& calls, const char* name, Call call) -> decltype(call()) {
    for (;;) {
        auto result = CountedCall(calls, name, call);
        if (result != -1 || errno != EINTR) return result;
    }
}

// Writes all of `data`, however the kernel splits it; a write that takes nothing means the
// medium has no room left.
bool WriteWhole(FileCalls& calls, int fd, const char* data, size_t size, int* error) {
    while (size > 0) {
        ssize_t written = RetriedCall(calls, "write", [&] { return write(fd, data, size); });
        if (written < 0) {
            *error = errno;
            return false;
        }
        if (written == 0) {
            *error = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The umask can only be read by setting it; it is put back at once.
mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

std::string ProgramFolder() {
    std::string target(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
        if (length < 0) return "./";
        if (static_cast<size_t>(length) < target.size()) {
            target.resize(static_cast<size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    size_t slash = target.rfind('/');
    if (slash == std::string::npos) return "./";
    return target.substr(0, slash + 1);
}

bool PathExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

int OpenRecordFile(const std::string& path, std::error_code* error, RecordLock lock) {
    // O_NONBLOCK keeps a FIFO in the file's place from blocking the open; anything but a regular
    // file is refused right after.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd;
    do {
        fd = open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetError(error, errno);
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        SetError(error, errno);
        close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        SetError(error, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
        close(fd);
        return -1;
    }
    int lockResult = 0;
    if (lock == RecordLock::Exclusive) {
        do {
            lockResult = flock(fd, LOCK_EX | LOCK_NB);
        } while (lockResult != 0 && errno == EINTR);
    }
    if (lockResult != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        SetError(error, errno);
        close(fd);
        return -1;
    }
    return fd;
}

long long RecordFileSize(int handle, std::error_code* error) {
    struct stat info;
    if (fstat(handle, &info) != 0) {
        SetError(error, errno);
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

bool ReadAt(int handle, long long offset, void* buffer, size_t size, std::error_code* error) {
    char* into = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t got = pread(handle, into, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            SetError(error, errno);
            return false;
        }
        if (got == 0) {  // the file ends before the requested bytes
            SetError(error, ENODATA);
            return false;
        }
        into += got;
        offset += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

void CloseRecordFile(int handle) {
    if (handle >= 0) close(handle);
}

long long NextDataOffset(int handle, long long offset) {
    off_t data = lseek(handle, static_cast<off_t>(offset), SEEK_DATA);
    if (data >= 0) return static_cast<long long>(data);
    if (errno == ENXIO) {  // nothing but a hole up to the end
        struct stat info;
        if (fstat(handle, &info) == 0)
            return std::max(offset, static_cast<long long>(info.st_size));
    }
    return offset;
}

namespace {

constexpr int TEMPORARY_TAIL = 6;  // the "XXXXXX" that mkostemp fills with letters and digits
constexpr int MAX_LINK_HOPS = 40;
constexpr size_t COPY_BLOCK = 64 * 1024;

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr char TAIL_LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// Six letters or digits for a temporary name that cannot be made by mkostemp (a hard link).
std::string RandomTail() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t state = static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15ULL ^
                     static_cast<uint64_t>(getpid()) << 32 ^ static_cast<uint64_t>(now.tv_sec);
    std::string tail;
    for (int i = 0; i < TEMPORARY_TAIL; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        tail += TAIL_LETTERS[state % (sizeof TAIL_LETTERS - 1)];
    }
    return tail;
}

// The temporary name pattern beside `path`: "<folder>.<name>.XXXXXX".
std::string TemporaryPattern(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + "." + NameOf(path) + "." + std::string(TEMPORARY_TAIL, 'X');
}

// Reads the whole of `fromFd` into `toFd`.
bool CopyContent(FileCalls& calls, int fromFd, int toFd, int* error) {
    std::vector<char> block(COPY_BLOCK);
    for (off_t offset = 0;;) {
        ssize_t got = pread(fromFd, block.data(), block.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *error = errno;
            return false;
        }
        if (got == 0) return true;
        if (!WriteWhole(calls, toFd, block.data(), static_cast<size_t>(got), error)) return false;
        offset += got;
    }
}

// A second name for the file at `path` under a fresh temporary name: a hard link, or a synced
// copy where the file system has none. Returns 0 or the error.
int SecondName(FileCalls& calls, const std::string& path, mode_t mode, std::string* name) {
    for (;;) {
        *name = TemporaryPattern(path);
        name->replace(name->size() - TEMPORARY_TAIL, TEMPORARY_TAIL, RandomTail());
        if (RetriedCall(calls, "link-backup", [&] { return link(path.c_str(), name->c_str()); }) ==
            0)
            return 0;
        if (errno != EEXIST) break;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return errno;

    int from = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (from < 0) return errno;
    int to = RetriedCall(calls, "create-backup", [&] {
        *name = TemporaryPattern(path);
        return mkostemp(name->data(), O_CLOEXEC);
    });
    if (to < 0) {
        int error = errno;
        close(from);
        return error;
    }
    int error = 0;
    bool copied = RetriedCall(calls, "set-mode", [&] { return fchmod(to, mode); }) == 0 &&
                  CopyContent(calls, from, to, &error) &&
                  RetriedCall(calls, "sync-backup", [&] { return fdatasync(to); }) == 0;
    if (!copied && error == 0) error = errno;
    close(from);
    if (close(to) != 0 && copied) error = errno;
    if (error != 0) unlink(name->c_str());
    return error;
}

// Keeps the file at `path` as "<path>.bak", replacing the previous backup in one step.
int KeepBackup(FileCalls& calls, const std::string& path, mode_t mode) {
    std::string second;
    int error = SecondName(calls, path, mode, &second);
    if (error != 0) return error;
    std::string backup = path + BACKUP_SUFFIX;
    if (RetriedCall(calls, "rename-backup",
                    [&] { return rename(second.c_str(), backup.c_str()); }) != 0)
        error = errno;
    // A rename between two names of one file does nothing, which leaves the second name; after a
    // real rename it is gone already.
    unlink(second.c_str());
    return error;
}

// Overwrites a file whose folder takes no new names. Room is reserved first (and the size limit
// checked), so that a full disk stops the save before any old byte is lost.
ReplaceResult OverwriteInPlace(FileCalls& calls, const std::string& path, std::string_view data) {
    const size_t size = data.size();
    int fd = RetriedCall(calls, "open-in-place", [&] {
        return open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    });
    if (fd < 0) return {SystemError(errno), true, false};
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return {SystemError(EINVAL), true, false};
    }
    struct rlimit limit;
    int error = 0;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur) {
        error = EFBIG;
    } else if (size > static_cast<size_t>(info.st_size) &&
               RetriedCall(calls, "reserve",
                           [&] {
                               return fallocate(fd, FALLOC_FL_KEEP_SIZE, 0,
                                                static_cast<off_t>(size));
                           }) != 0 &&
               errno != EOPNOTSUPP) {
        error = errno;
    }
    bool written = false;
    if (error == 0) {
        written = RetriedCall(calls, "seek",
                              [&] { return static_cast<int>(lseek(fd, 0, SEEK_SET)); }) == 0 &&
                  WriteWhole(calls, fd, data.data(), data.size(), &error) &&
                  RetriedCall(calls, "truncate",
                              [&] { return ftruncate(fd, static_cast<off_t>(size)); }) == 0 &&
                  RetriedCall(calls, "sync", [&] { return fdatasync(fd); }) == 0;
        if (!written && error == 0) error = errno;
    }
    if (close(fd) != 0 && error == 0) error = errno;
    return {SystemError(error), false, written};
}

}  // namespace

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
        ssize_t length = readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) return current;
        target.resize(static_cast<size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + target;
    }
    return current;
}

namespace {
FileIdentity IdentityOf(const struct stat& info) {
    return {true,
            S_ISREG(info.st_mode),
            static_cast<uint64_t>(info.st_dev),
            static_cast<uint64_t>(info.st_ino),
            static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}
}  // namespace

FileIdentity IdentifyFile(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return FileIdentity{};
    return IdentityOf(info);
}

FileIdentity IdentifyOpenFile(int handle) {
    struct stat info;
    if (fstat(handle, &info) != 0) return FileIdentity{};
    return IdentityOf(info);
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.exists == b.exists && (!a.exists || (a.device == b.device && a.inode == b.inode &&
                                                  a.size == b.size && a.changedNs == b.changedNs));
}

std::error_code SetFileAside(const std::string& path, const std::string& label,
                             std::string* asidePath, FileCalls& calls) {
    time_t now = time(nullptr);
    struct tm local;
    char stamp[32] = {};
    localtime_r(&now, &local);
    strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    const std::string base = path + label + stamp;
    constexpr int MAX_SUFFIX = 1000;
    for (int n = 1; n < MAX_SUFFIX; ++n) {
        std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
        const int result = RetriedCall(calls, "set-aside", [&] {
            const std::error_code error = RenameWithoutReplacing(path, candidate);
            errno = error.value();
            return error ? -1 : 0;
        });
        if (result == 0) {
            if (asidePath != nullptr) *asidePath = candidate;
            return {};
        }
        if (errno != EEXIST) return SystemError(errno);
    }
    return SystemError(EEXIST);
}

int RemoveReplacementLeftovers(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return 0;
    const std::string prefix = "." + name + ".";
    int removed = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string found = entry->d_name;
        if (found.size() != prefix.size() + TEMPORARY_TAIL ||
            found.compare(0, prefix.size(), prefix))
            continue;
        bool tail = true;
        for (size_t i = prefix.size(); i < found.size(); ++i)
            tail = tail && IsLetterOrDigit(found[i]);
        struct stat info;
        if (!tail || fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        if (unlinkat(dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}

std::error_code ListFolder(const std::string& folder, std::vector<std::string>* names) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return SystemError(errno);
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names->push_back(name);
    }
    const std::error_code error = SystemError(errno);
    closedir(dir);
    return error;
}

// The category's own message depends on the locale; the C locale's never does.
std::string SystemErrorText(std::error_code error) {
    const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (c == locale_t{}) return error.message();
    std::string text = strerror_l(error.value(), c);
    freelocale(c);
    return text;
}

void IgnoreFileSizeSignal() {
    signal(SIGXFSZ, SIG_IGN);
}

FolderLock::FolderLock(const std::string& folder) : folder_(folder), state_(Take()) {}

FolderLock::~FolderLock() {
    if (handle_ >= 0) close(handle_);
}

FolderLock::State FolderLock::TryAgain() {
    if (state_ != State::Locked) state_ = Take();
    return state_;
}

FolderLock::State FolderLock::Take() {
    if (MakeFolders(folder_)) return State::Unavailable;
    int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return State::Unavailable;
    int result;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? State::HeldElsewhere : State::Unavailable;
    }
    handle_ = fd;
    return State::Locked;
}

ReplaceResult ReplaceFileContents(const std::string& requested, std::string_view data,
                                  bool keepBackup, FileCalls& calls) {
    const std::string path = FollowLinks(requested);
    struct stat old;
    const bool hadFile = stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = hadFile ? (old.st_mode & 07777) : (0644 & ~CurrentUmask());

    int folderFd = RetriedCall(calls, "open-folder", [&] {
        return open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    });
    if (folderFd < 0) return {SystemError(errno), true, false};

    std::string temporary;
    int fd = RetriedCall(calls, "create-temporary", [&] {
        temporary = TemporaryPattern(path);
        return mkostemp(temporary.data(), O_CLOEXEC);
    });
    if (fd < 0) {
        int error = errno;
        close(folderFd);
        if (hadFile && (error == EACCES || error == EPERM)) {
            ReplaceResult inPlace = OverwriteInPlace(calls, path, data);
            if (!inPlace.openFailed) return inPlace;
        }
        return {SystemError(error), true, false};
    }

    int error = 0;
    bool written = RetriedCall(calls, "set-mode", [&] { return fchmod(fd, mode); }) == 0 &&
                   WriteWhole(calls, fd, data.data(), data.size(), &error) &&
                   RetriedCall(calls, "sync", [&] { return fdatasync(fd); }) == 0;
    if (!written && error == 0) error = errno;

    // Linux releases the descriptor even when close reports an error, so it is closed once: by
    // the counted call when that is made, otherwise as clean-up.
    bool closed = false;
    if (written) {
        int closeResult = CountedCall(calls, "close", [&] {
            closed = true;
            return close(fd);
        });
        if (closeResult != 0 && errno != EINTR) {
            written = false;
            error = errno;
        }
    }
    if (!closed) close(fd);

    // The backup is in place before the file is replaced: at every moment the file is whole,
    // old or new, and so is the backup.
    if (written && keepBackup && hadFile) {
        error = KeepBackup(calls, path, mode);
        written = error == 0;
    }

    bool renamed = written && RetriedCall(calls, "rename", [&] {
                                  return rename(temporary.c_str(), path.c_str());
                              }) == 0;
    if (written && !renamed) error = errno;
    if (!renamed) {
        unlink(temporary.c_str());
        close(folderFd);
        return {SystemError(error), false, false};
    }

    // The rename reaches the disk only with the folder. Some file systems cannot sync a folder
    // at all and say so with EINVAL; there the rename stands as it is.
    if (RetriedCall(calls, "sync-folder", [&] { return fsync(folderFd); }) != 0 && errno != EINVAL)
        error = errno;
    close(folderFd);
    return {SystemError(error), false, true};
}

void FileCalls::InjectFault(std::string_view name, int error, bool persistent, int occurrence) {
    faultName_ = std::string(name);
    faultOccurrence_ = occurrence;
    faultError_ = error;
    persistent_ = persistent;
    calls_ = 0;
    namedCalls_ = 0;
    failing_ = false;
}

void FileCalls::Record(bool on) {
    recording_ = on;
    names_.clear();
}

bool FileCalls::Intercept(const char* name, int* error) {
    ++calls_;
    if (recording_) names_.emplace_back(name);
    const bool named = !faultName_.empty() && faultName_ == name;
    const bool hit = failing_ || (named && ++namedCalls_ == faultOccurrence_);
    failing_ = hit && persistent_;
    if (hit) *error = faultError_;
    return hit;
}
