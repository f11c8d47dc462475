// SPDX-License-Identifier: GPL-3.0-or-later
// Where the ledger lives, and putting a finished period's ledger aside under its start date.
#include <cerrno>
#include <cstdio>
#include <string>

#include "storage/ledger.h"

namespace {

constexpr int MAX_ARCHIVE_SUFFIX = 999;

// The start date of the period the file at `path` holds, read as a start-up reads it; false when
// it holds none.
bool PeriodStartInLedger(const std::string& path, FileCalls& calls, Date* date) {
    Ledger file(path, calls);
    DayRecords records{};
    Period period;
    if (file.Load(records) || !period.Restore(records)) return false;
    *date = period.Start();
    return true;
}

// A rename the file layer counts, so that a test can make it fail.
std::error_code CountedRename(FileCalls& calls, const std::string& from, const std::string& to) {
    int error = 0;
    return calls.Intercept("rename", &error) ? SystemError(error)
                                             : RenameWithoutReplacing(from, to);
}

std::string ArchiveName(const std::string& ledger, Date start, int attempt) {
    char name[64];
    const int length = std::snprintf(name, sizeof name, "ahorros-%04d-%02d-%02d", start.year,
                                     start.month, start.day);
    if (attempt > 1) std::snprintf(name + length, sizeof name - length, "-%d", attempt);
    return FolderOf(ledger) + name + ".log";
}

}  // namespace

std::string PlaceLedger(const std::string& programFolder, const std::string& dataHome) {
    const std::string beside = programFolder + LEDGER_FILE_NAME;
    const bool systemWide = programFolder.starts_with("/usr/") ||
                            programFolder.starts_with("/opt/") || !OwnedByUser(programFolder);
    if (dataHome.empty() ||
        (!systemWide && (PathExists(beside) || FolderTakesNewFiles(programFolder))))
        return beside;
    return dataHome + LEDGER_FOLDER_NAME + "/" + LEDGER_FILE_NAME;
}

std::string Ledger::ArchiveTarget() const {
    if (!PathExists(path_)) return {};
    Date start;
    if (!PeriodStartInLedger(path_, calls_, &start) && !FileModifiedDate(path_, &start)) return {};
    return ArchiveTargetFor(start);
}

std::string Ledger::ArchiveTargetFor(Date start) const {
    for (int attempt = 1; attempt <= MAX_ARCHIVE_SUFFIX; ++attempt) {
        const std::string target = ArchiveName(path_, start, attempt);
        if (!PathExists(target) && !PathExists(target + BACKUP_SUFFIX)) return target;
    }
    return {};
}

std::error_code Ledger::Archive(std::string* archived) {
    if (readOnly_) return SystemError(EPERM);
    if (!PathExists(path_)) return {};
    Date start;
    if (!PeriodStartInLedger(path_, calls_, &start) && !FileModifiedDate(path_, &start))
        return SystemError(EIO);
    const std::string backup = path_ + BACKUP_SUFFIX;
    std::error_code error = SystemError(EEXIST);
    for (int attempt = 1; attempt <= MAX_ARCHIVE_SUFFIX && error == std::errc::file_exists;
         ++attempt) {
        const std::string target = ArchiveName(path_, start, attempt);
        // The name is taken for the period when its backup's name is taken too.
        if (PathExists(target + BACKUP_SUFFIX)) continue;
        error = CountedRename(calls_, path_, target);
        if (error) continue;
        if (PathExists(backup)) error = CountedRename(calls_, backup, target + BACKUP_SUFFIX);
        // A period kept without its backup would leave that backup beside the next period's
        // ledger: the period goes back, and the failure is reported with nothing half done.
        if (error && !CountedRename(calls_, target, path_)) return error;
        if (archived != nullptr) *archived = target;
        return error;
    }
    return error;
}
