// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program may keep its files: the user's data folder, whether a folder takes new files,
// folders made on demand, renames that never replace a file, and a file's modification date.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "system/files.h"

namespace {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// Only absolute paths count; the base-directory rules tell to ignore relative ones.
bool Absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

}  // namespace

std::string UserDataHome() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (Absolute(dataHome)) return WithSlash(dataHome);
    const char* home = std::getenv("HOME");
    if (!Absolute(home)) {
        const struct passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (!Absolute(home)) return "";
    return WithSlash(home) + ".local/share/";
}

bool OwnedByUser(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && info.st_uid == geteuid();
}

bool FolderTakesNewFiles(const std::string& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

std::error_code MakeFolders(const std::string& folder) {
    // Each missing folder on the way is made private: the data in it is the user's own.
    for (size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/') continue;
        const std::string part = folder.substr(0, end);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return SystemError(errno);
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return SystemError(ENOTDIR);
    return {};
}

std::error_code RenameWithoutReplacing(const std::string& from, const std::string& to) {
    int result = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    // File systems without the no-replace flag get a check and a plain rename; only a process
    // racing for the very same new name could slip in between.
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        if (PathExists(to)) {
            errno = EEXIST;
        } else {
            result = rename(from.c_str(), to.c_str());
        }
    }
    return result == 0 ? std::error_code() : SystemError(errno);
}

bool FileModifiedDate(const std::string& path, Date* date) {
    struct stat info;
    struct tm local;
    if (stat(path.c_str(), &info) != 0 || localtime_r(&info.st_mtime, &local) == nullptr)
        return false;
    *date = Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    return true;
}
