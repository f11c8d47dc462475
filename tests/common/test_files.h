// SPDX-License-Identifier: GPL-3.0-or-later
// Files as the tests see them: a fresh temporary folder, a file's bytes, a folder's names.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

// A new folder under $TMPDIR (or /tmp), without a trailing "/"; empty when none can be made.
inline std::string MakeTemporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/monedario-test-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

inline void RemoveFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// The whole file, or "<missing>" when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Every entry under `folder` (with a trailing "/"), named from there: a file's bytes and when
// they last changed, a folder or a link as such. What a test compares to see nothing touched.
inline std::map<std::string, std::string> FolderContents(const std::string& folder,
                                                         const std::string& inner = "");

// The names in `folder`, sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::map<std::string, std::string> FolderContents(const std::string& folder,
                                                         const std::string& inner) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : FolderNames(folder + inner)) {
        const std::string entry = inner + name;
        struct stat info {};
        lstat((folder + entry).c_str(), &info);
        if (S_ISDIR(info.st_mode)) {
            contents[entry] = "<folder>";
            contents.merge(FolderContents(folder, entry + "/"));
        } else if (S_ISLNK(info.st_mode)) {
            contents[entry] = "<link>";
        } else {
            contents[entry] =
                FileBytes(folder + entry) + "@" + std::to_string(info.st_mtim.tv_nsec);
        }
    }
    return contents;
}
