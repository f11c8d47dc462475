// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger file "ahorros.log": the period's days as 77-byte records, where the file lives, and
// the finished periods kept beside it.
#pragma once

#include <string>

#include "model/period.h"
#include "system/files.h"

constexpr const char* LEDGER_FILE_NAME = "ahorros.log";
constexpr const char* LEDGER_FOLDER_NAME = "monedario";  // in the user's data folder
// A ledger that this run did not load is kept as "ahorros.log.apartado-AAAAMMDD-HHMMSS".
constexpr const char* SET_ASIDE_LABEL = ".apartado";
constexpr long long LOAD_BLOCK_RECORDS = 8192;  // 77 x 8192 bytes, about 630 KB

// A file error as the user is told it, by its number: "Err:  70 Permission denied".
enum class FileError {
    None = 0,
    BadFileName = 52,       // "Bad file name or number"
    DiskFull = 61,          // "Disk full"
    PermissionDenied = 70,  // "Permission denied"
    DiskNotReady = 71,      // "Disk not ready"
    DiskMediaError = 72,    // "Disk media error"
    PathFileAccess = 75,    // "Path/file access error"
};

// The kind of a system's error, as the user is told it.
FileError FileErrorOf(std::error_code error);
// A failed replacement: a bad file name when the file could not be created, else by its error.
FileError FileErrorOf(const ReplaceResult& result);
const char* FileErrorDescription(FileError error);
// "Err: " + " " + number + " " + description, for example "Err:  61 Disk full".
std::string FileErrorBanner(FileError error);

// Where the ledger belongs for a program in `programFolder`. Beside it only in a copy of the
// program that belongs to the user running it (a build, a portable folder, an install of their
// own) and where a ledger already is or the folder takes new files; a program installed for the
// whole system (under /usr or /opt, or in any folder the user does not own) never keeps a ledger
// beside itself, whoever runs it: each user's is in "monedario" in their data folder `dataHome`.
std::string PlaceLedger(const std::string& programFolder, const std::string& dataHome);

// Who opens a ledger: the run that keeps the period in it, or a reader that only looks at a
// period (a kept one, the history of them all) and never stands in the owner's way.
enum class LedgerAccess { Owner, ReadOnly };

class Ledger {
public:
    // The ledger at `path` for the whole run: it is never looked for anywhere else. A read-only
    // ledger is loaded without a lock and refuses every save and every new period.
    Ledger(std::string path, FileCalls& calls, LedgerAccess access = LedgerAccess::Owner)
        : path_(std::move(path)), calls_(calls), readOnly_(access == LedgerAccess::ReadOnly) {}

    const std::string& Path() const { return path_; }

    // Puts every complete record into the cell its own column and row name (the later record
    // for a cell wins); records naming a cell outside the grid are skipped, and amounts that are
    // no numbers are read as 0, in which case the file does not count as loaded. The file is
    // read in large blocks, under an exclusive lock unless the ledger is read-only, and never
    // changed. Gives the system's error when the file could not be read whole: it then does not
    // count as loaded either.
    std::error_code Load(DayRecords& into);
    // The file just loaded holds no period that can be shown: it is not taken as the ledger.
    void Disown() { owned_ = FileIdentity{}; }
    // Another running program owns the ledger: every save is refused.
    void LockOut() { lockedOut_ = true; }
    bool LockedOut() const { return lockedOut_; }

    // Replaces the ledger with the records of the period's days in row, then column order, in
    // one step, its folder made again should it have gone; the old ledger stays untouched on any
    // failure and is kept as "ahorros.log.bak" on success. A ledger file that this run did not
    // load (or write) is first set aside, and the save is refused if it cannot be. Gives the
    // error to report.
    FileError Save(const Period& period);
    // Renames the ledger to "ahorros-AAAA-MM-DD.log" beside it, after its period's start date
    // (the file's modification date when it holds none), with "-2", "-3"... when a name is
    // taken; its backup goes with it as that name plus ".bak", so that a backup beside the
    // ledger always belongs to the current period. Nothing is ever replaced. Gives the system's
    // error, the ledger and its backup then where they were (none without a ledger); `archived`
    // gets the new path.
    std::error_code Archive(std::string* archived);
    // The path Archive would give the ledger now; empty without a ledger.
    std::string ArchiveTarget() const;
    // The path Archive would give a ledger of a period that starts on `start`.
    std::string ArchiveTargetFor(Date start) const;
    // Removes the leftovers of killed saves beside the ledger (and beside the file a link leads
    // to), and those of `otherFileName`, saved the same way, should it be saved there. Only for
    // the program that owns the ledger: another one's save could be under way.
    void RemoveSaveLeftovers(const std::string& otherFileName);

private:
    std::string path_;
    FileCalls& calls_;
    // The ledger as this run loaded or last wrote it; a file found in its place that is not
    // this one is set aside before a save, never overwritten.
    FileIdentity owned_;
    bool lockedOut_ = false;
    bool readOnly_ = false;
};
