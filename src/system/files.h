// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer on plain POSIX: the program's folder and the user's, record files read under an
// exclusive lock, the replacement of a whole file that survives crashes (with its backup, through
// links, or in place), setting a file aside, leftovers of killed saves and a folder's lock.
// Paths are plain byte strings. Plain C++, no window system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "system/date.h"

// An error of the system, as errno tells it; no error is false.
inline std::error_code SystemError(int errnoValue) {
    return {errnoValue, std::generic_category()};
}

// The folder of the running program with a trailing separator.
std::string ProgramFolder();
// $XDG_DATA_HOME, else ~/.local/share, with a trailing separator; empty without a home folder.
std::string UserDataHome();

bool PathExists(const std::string& path);  // a file or a folder
// Whether `path` belongs to the user running the program.
bool OwnedByUser(const std::string& path);
// Whether the current user may create files in `folder`.
bool FolderTakesNewFiles(const std::string& folder);
// Makes `folder` and every missing folder above it, each readable by the owner only; the reason
// of a failure.
std::error_code MakeFolders(const std::string& folder);
// Renames `from` to `to` unless `to` exists (then fails with EEXIST).
std::error_code RenameWithoutReplacing(const std::string& from, const std::string& to);
// The local date of the last change of `path`'s content.
bool FileModifiedDate(const std::string& path, Date* date);

// The file that `path` leads to once symbolic links are followed (it need not exist); a loop of
// links or an unreadable one gives the last path reached.
std::string FollowLinks(const std::string& path);
// The folder part of a path with its trailing separator ("./" for a bare name), and the name.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// How a record file is opened: under an exclusive lock, refused while another opener holds
// one, or merely read, as by a reader that changes nothing and must never stand in the way.
enum class RecordLock { Exclusive, None };
// A regular file opened for reading, under the lock asked for; -1 on failure (see *error). A
// folder, a pipe or (with the lock) a file another opener holds is refused.
int OpenRecordFile(const std::string& path, std::error_code* error,
                   RecordLock lock = RecordLock::Exclusive);
long long RecordFileSize(int handle, std::error_code* error);  // -1 on failure
bool ReadAt(int handle, long long offset, void* buffer, size_t size, std::error_code* error);
void CloseRecordFile(int handle);
// Where the next bytes actually stored on disk begin at or after `offset`: the end of the file
// when only a hole follows, `offset` itself where holes cannot be told.
long long NextDataOffset(int handle, long long offset);

// What tells one file's content from another's: which file it is and when it last changed.
struct FileIdentity {
    bool exists = false;
    bool regular = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    long long size = 0;
    long long changedNs = 0;
};
FileIdentity IdentifyFile(const std::string& path);  // through symbolic links
FileIdentity IdentifyOpenFile(int handle);
bool SameFile(const FileIdentity& a, const FileIdentity& b);

// Removes from `folder` the temporary files that a killed replacement of a file called `name`
// leaves: regular files named "." + name + "." and six letters or digits, nothing else. Returns
// how many went.
int RemoveReplacementLeftovers(const std::string& folder, const std::string& name);

// The names in `folder` but "." and "..", in no particular order; the reason of a failure.
std::error_code ListFolder(const std::string& folder, std::vector<std::string>* names);

// The system's description of an error, in English whatever the process's locale, as every other
// error the program shows.
std::string SystemErrorText(std::error_code error);

// A write beyond the process's file size limit then fails with EFBIG instead of ending the
// process by a signal.
void IgnoreFileSizeSignal();

// An advisory lock on a folder (made when missing), held while this object lives; a process that
// dies releases it.
class FolderLock {
public:
    enum class State { Locked, HeldElsewhere, Unavailable };
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State Held() const { return state_; }
    // Tries once more, as when the holder may just have ended.
    State TryAgain();

private:
    State Take();

    std::string folder_;
    int handle_ = -1;
    State state_;
};

// Every system call of a replacement or of setting a file aside passes through here by its name
// ("write", "rename"...), so that a test can make one fail as the file system would and see which
// were made.
class FileCalls {
public:
    // The `occurrence`-th call named `name` from now on fails with `error`; with `persistent`
    // every later call, whatever its name, fails as well.
    void InjectFault(std::string_view name, int error, bool persistent = false, int occurrence = 1);
    // No call fails any more.
    void ClearFaults() { InjectFault({}, 0); }
    // The calls made since faults were last injected or cleared.
    int CountSinceInjection() const { return calls_; }
    // Starts a new record of the calls' names, or stops recording.
    void Record(bool on);
    const std::vector<std::string>& Recorded() const { return names_; }
    // Counts a call about to be made; true, with the error, when it is to fail instead.
    bool Intercept(const char* name, int* error);

private:
    std::string faultName_;  // empty: no call fails
    int faultOccurrence_ = 0;
    int faultError_ = 0;
    bool persistent_ = false;
    int calls_ = 0;
    int namedCalls_ = 0;    // calls named `faultName_` since the injection
    bool failing_ = false;  // the named call has failed and `persistent_` holds
    bool recording_ = false;
    std::vector<std::string> names_;
};

// Replaces the file at `path` with `data` as one step. Symbolic links are followed: the file they
// lead to is replaced in its own folder and the links stay. The replacement keeps the permission
// bits of the file it replaces (a new file gets 0644 less the umask). A temporary file in the same
// folder is written, flushed and synced, renamed over the file, and the folder is synced. On
// failure the file is as it was and no temporary file remains; the one exception is a failed sync
// of the folder, which comes after the rename: readers already see the new content, but the
// failure is still reported because the replacement may not survive a power loss.
// The system calls, in this order: open the folder, create the temporary file ".<name>.XXXXXX",
// set its mode, write (as often as needed), sync, close, [keep the backup], rename, sync the
// folder. With `keepBackup` the file being replaced is first kept as "<name>.bak" beside it: a
// hard link to it under a temporary name of the same form (or, where the file system has no hard
// links, a synced copy) is renamed over the old backup, so that a crash at any point leaves the
// old or the new file in place and a whole backup. A process killed during the replacement can
// leave its temporary file behind; such a file is never read and never collides with a later one.
// A file that may be written while its folder may not is overwritten in place instead, as safely
// as that allows: room for the content is reserved, the whole content is written, the file is
// cut to its length and synced (no backup can be kept there).
struct ReplaceResult {
    std::error_code error;    // none on success
    bool openFailed = false;  // the folder could not be opened or the temporary file not created
    bool replaced = false;    // the new content is in the file's place, even if a later step failed
};
ReplaceResult ReplaceFileContents(const std::string& path, std::string_view data, bool keepBackup,
                                  FileCalls& calls);
constexpr const char* BACKUP_SUFFIX = ".bak";

// Renames `path` to `path + label + "-AAAAMMDD-HHMMSS"` (local time), with "-2", "-3", ... added
// when that name is taken; never replaces anything.
std::error_code SetFileAside(const std::string& path, const std::string& label,
                             std::string* asidePath, FileCalls& calls);
