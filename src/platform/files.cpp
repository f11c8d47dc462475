// The file half of the platform layer on plain POSIX: the executable's folder, record files held
// under an exclusive lock, and the replacement of a whole file that survives crashes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

FileLayerState fileLayer;

namespace {

void SetError(int* error, int value) {
    if (error != nullptr) *error = value;
}

// Every system call of a replacement passes through here, so that a test can make the k-th one
// fail as the file system would: the call is not made and errno holds the injected error.
template <typename Call>
auto CountedCall(Call call) -> decltype(call()) {
    int number = ++fileLayer.callsSinceInjection;
    bool hit =
        fileLayer.faultCall > 0 && (number == fileLayer.faultCall ||
                                    (fileLayer.faultPersistent && number > fileLayer.faultCall));
    if (hit) {
        errno = fileLayer.faultError;
        return -1;
    }
    return call();
}

// A counted call that a signal interrupted is made again.
template <typename Call>
auto RetriedCall(Call call) -> decltype(call()) {
    for (;;) {
        auto result = CountedCall(call);
        if (result != -1 || errno != EINTR) return result;
    }
}

// Writes all of `data`, however the kernel splits it; a write that takes nothing means the
// medium has no room left.
bool WriteWhole(int fd, const char* data, size_t size, int* error) {
    while (size > 0) {
        ssize_t written = RetriedCall([&] { return write(fd, data, size); });
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

std::string ExecutableFolder() {
    if (!fileLayer.executableFolder.empty()) {
        std::string folder = fileLayer.executableFolder;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
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

void SetExecutableFolderForTesting(const std::string& folder) {
    fileLayer.executableFolder = folder;
}

bool PathHasAttributes(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool MakePlainFile(const std::string& path) {
    return chmod(path.c_str(), S_IRUSR | S_IWUSR) == 0;
}

bool DeletePath(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

int OpenRecordFile(const std::string& path, bool forWriting, bool createIfMissing, int* error) {
    // O_NONBLOCK keeps a FIFO in the file's place from blocking the open; anything but a regular
    // file is refused right after.
    int flags = (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (createIfMissing) flags |= O_CREAT;
    int fd;
    do {
        fd = open(path.c_str(), flags, 0644);
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
    int lockResult;
    do {
        lockResult = flock(fd, LOCK_EX | LOCK_NB);
    } while (lockResult != 0 && errno == EINTR);
    if (lockResult != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        SetError(error, errno);
        close(fd);
        return -1;
    }
    return fd;
}

long long RecordFileSize(int handle, int* error) {
    struct stat info;
    if (fstat(handle, &info) != 0) {
        SetError(error, errno);
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

bool ReadAt(int handle, long long offset, void* buffer, size_t size, int* error) {
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

bool WriteAt(int handle, long long offset, const void* buffer, size_t size, int* error) {
    const char* from = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t put = pwrite(handle, from, size, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            SetError(error, errno);
            return false;
        }
        if (put == 0) {
            SetError(error, ENOSPC);
            return false;
        }
        from += put;
        offset += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

void CloseRecordFile(int handle) {
    if (handle >= 0) close(handle);
}

ReplaceResult ReplaceFileContents(const std::string& path, const void* data, size_t size) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    int folderFd =
        RetriedCall([&] { return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (folderFd < 0) return {errno, true};

    std::string pattern = (slash == std::string::npos ? "" : folder) + "." + name + ".XXXXXX";
    std::string temporary;
    int fd = RetriedCall([&] {
        temporary = pattern;
        return mkostemp(temporary.data(), O_CLOEXEC);
    });
    if (fd < 0) {
        int error = errno;
        close(folderFd);
        return {error, true};
    }

    int error = 0;
    bool written = RetriedCall([&] { return fchmod(fd, 0644 & ~CurrentUmask()); }) == 0 &&
                   WriteWhole(fd, static_cast<const char*>(data), size, &error) &&
                   RetriedCall([&] { return fdatasync(fd); }) == 0;
    if (!written && error == 0) error = errno;

    // Linux releases the descriptor even when close reports an error, so it is closed once: by
    // the counted call when that is made, otherwise as clean-up.
    bool closed = false;
    if (written) {
        int closeResult = CountedCall([&] {
            closed = true;
            return close(fd);
        });
        if (closeResult != 0 && errno != EINTR) {
            written = false;
            error = errno;
        }
    }
    if (!closed) close(fd);

    bool renamed =
        written && RetriedCall([&] { return rename(temporary.c_str(), path.c_str()); }) == 0;
    if (written && !renamed) error = errno;
    if (!renamed) {
        unlink(temporary.c_str());
        close(folderFd);
        return {error, false};
    }

    // The rename reaches the disk only with the folder. Some file systems cannot sync a folder
    // at all and say so with EINVAL; there the rename stands as it is.
    if (RetriedCall([&] { return fsync(folderFd); }) != 0 && errno != EINVAL) error = errno;
    close(folderFd);
    return {error, false};
}

void InjectFileFault(int k, int error, bool persistent) {
    fileLayer.faultCall = k;
    fileLayer.faultError = error;
    fileLayer.faultPersistent = persistent;
    fileLayer.callsSinceInjection = 0;
}

int FileCallsSinceInjection() {
    return fileLayer.callsSinceInjection;
}
