// The ledger file "ahorros.log": the 77-byte records of the period's days.
#pragma once

#include <string>

#include "model/model.h"
#include "platform/platform.h"

struct LedgerState {
    DayRecord ledgerRecord;  // every record passes through this buffer on its way to and from disk
    // The ledger as this run loaded or last wrote it; a file found in its place that is not this
    // one is set aside before a save, never overwritten.
    FileIdentity owned;
    bool lockedOut = false;  // another running program owns the ledger: saving is refused
    std::string path;        // where the ledger lives, decided once at start-up
};
extern LedgerState ledger;

constexpr const char* LEDGER_FILE_NAME = "ahorros.log";
constexpr const char* LEDGER_FOLDER_NAME = "monedario";  // in the user's data folder
// A ledger that this run did not load is kept as "ahorros.log.apartado-AAAAMMDD-HHMMSS".
constexpr const char* SET_ASIDE_LABEL = ".apartado";

// "ahorros.log" beside the executable when a ledger is there or the folder takes new files,
// otherwise in "monedario" in the user's data folder. Once start-up has fixed the place, the
// run keeps it, whatever happens to the folders meanwhile.
std::string LedgerPath();
void FixLedgerPlace();
// Makes the ledger's folder when it is missing, so that a first save can create the file.
// Returns 0 or the system's error code.
int MakeLedgerFolder();
// Renames the ledger to "ahorros-AAAA-MM-DD.log" beside it, after its period's start date (the
// file's modification date when the ledger holds none), with "-2", "-3"... when a name is taken;
// nothing is ever replaced. Returns 0, also without a ledger, or the system's error code;
// `archived` gets the new path.
int ArchiveLedger(std::string* archived);

// Removes the leftovers of killed saves beside the ledger (and beside the file a link leads to),
// and those of `otherFileName`, saved the same way, should it be saved there. Only for the
// program that owns the ledger: another one's save could be under way.
void RemoveSaveLeftovers(const std::string& otherFileName);

// Replaces the ledger with the records of the period's days in row, then column order, in one
// step; the old ledger stays untouched on any failure and is kept as "ahorros.log.bak" on
// success. A ledger file that this run did not load is first set aside, and the save is refused
// if it cannot be. Returns 0 or the error number to report.
int SaveLedger();
// Adds the record of `day` to the ledger content being built (bytes after the spent text's
// terminator are zero, so a period always gives the same bytes).
void AppendLedgerRecord(const DayRecord& day, std::string& content);
// Puts every complete record of the ledger into the grid cell its own column and row name;
// records naming a cell outside the grid are skipped. Nothing is reported. The file is read in
// large blocks.
void LoadLedger();
// The loaded file is not taken as the ledger (it holds no period that can be shown).
void ForgetLoadedLedger();
// No ledger loaded or written yet, and an empty record buffer; whether this run owns the ledger
// stays as start-up decided.
void ResetLedgerState();
constexpr long long LOAD_BLOCK_RECORDS = 8192;  // 77 x 8192 bytes, about 630 KB

// Error numbers and descriptions shown to the user for file errors.
constexpr int FILE_ERROR_BAD_NAME = 52;    // "Bad file name or number"
constexpr int FILE_ERROR_DISK_FULL = 61;   // "Disk full"
constexpr int FILE_ERROR_PERMISSION = 70;  // "Permission denied"
constexpr int FILE_ERROR_NOT_READY = 71;   // "Disk not ready"
constexpr int FILE_ERROR_MEDIA = 72;       // "Disk media error"
constexpr int FILE_ERROR_ACCESS = 75;      // "Path/file access error"

// The number for a failed replacement: 52 when the file could not be created, else by errno.
int FileErrorNumber(const ReplaceResult& result);
const char* FileErrorDescription(int number);
// "Err: " + " " + number + " " + description, for example "Err:  61 Disk full".
std::string FileErrorBanner(int number);
