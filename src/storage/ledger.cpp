// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger file "ahorros.log": the period's days saved as 77-byte records in one crash-safe
// step, and loaded back into the cells the records name.
#include "storage/ledger.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Records go to disk exactly as they lie in memory, which is the file's byte order only here.
static_assert(std::endian::native == std::endian::little);

namespace {

// The text keeps at most 10 characters, and every byte after its terminator is zero, so equal
// days always give equal bytes.
DayRecord Normalised(const DayRecord& from) {
    DayRecord to = from;
    std::memset(to.spentText, 0, sizeof to.spentText);
    for (size_t i = 0; i + 1 < sizeof to.spentText && from.spentText[i] != '\0'; ++i)
        to.spentText[i] = from.spentText[i];
    return to;
}

// Another program may have written amounts that are no numbers (NaN, infinities); they are read
// as 0. False when one was.
bool KeepFiniteAmounts(DayRecord& day) {
    const bool finite =
        std::isfinite(day.spent) && std::isfinite(day.balance) && std::isfinite(day.allowance);
    if (!std::isfinite(day.spent)) day.spent = 0;
    if (!std::isfinite(day.balance)) day.balance = 0;
    if (!std::isfinite(day.allowance)) day.allowance = 0;
    return finite;
}

}  // namespace

void Ledger::RemoveSaveLeftovers(const std::string& otherFileName) {
    const std::string target = FollowLinks(path_);
    RemoveReplacementLeftovers(FolderOf(path_), LEDGER_FILE_NAME);
    RemoveReplacementLeftovers(FolderOf(path_), otherFileName);
    if (target != path_) RemoveReplacementLeftovers(FolderOf(target), NameOf(target));
}

FileError Ledger::Save(const Period& period) {
    if (lockedOut_ || readOnly_) return FileError::PermissionDenied;
    std::string content;
    content.reserve(GRID_CELLS * DAY_RECORD_SIZE);
    for (const DayRecord& day : period.Records()) {
        if (day.inPeriod == 0) continue;
        const DayRecord record = Normalised(day);
        content.append(reinterpret_cast<const char*>(&record), DAY_RECORD_SIZE);
    }
    // The folder may have gone since start-up: it is made again, never swapped for another.
    if (MakeFolders(FolderOf(path_))) return FileError::BadFileName;
    const FileIdentity found = IdentifyFile(path_);
    const bool ours = found.exists && found.regular && SameFile(found, owned_);
    if (found.exists && found.regular && !ours) {
        const std::error_code error =
            SetFileAside(FollowLinks(path_), SET_ASIDE_LABEL, nullptr, calls_);
        if (error) return FileErrorOf(error);
    }
    const ReplaceResult result = ReplaceFileContents(path_, content, ours, calls_);
    if (result.replaced) owned_ = IdentifyFile(path_);
    return FileErrorOf(result);
}

// Stray temporary files that a killed save may leave beside the ledger are never opened here:
// only the ledger's own name is read. Big blocks keep a huge file from stalling the start.
std::error_code Ledger::Load(DayRecords& into) {
    owned_ = FileIdentity{};
    std::error_code error;
    const int handle =
        OpenRecordFile(path_, &error, readOnly_ ? RecordLock::None : RecordLock::Exclusive);
    if (handle < 0) return error;
    owned_ = IdentifyOpenFile(handle);
    const long long size = RecordFileSize(handle, &error);
    const auto recordSize = static_cast<long long>(DAY_RECORD_SIZE);
    const long long count = size > 0 ? size / recordSize : 0;
    std::vector<char> block(static_cast<size_t>(std::min(count, LOAD_BLOCK_RECORDS)) *
                            DAY_RECORD_SIZE);
    bool faithful = true;
    for (long long first = 0; first < count; first += LOAD_BLOCK_RECORDS) {
        const long long records = std::min(LOAD_BLOCK_RECORDS, count - first);
        const size_t bytes = static_cast<size_t>(records) * DAY_RECORD_SIZE;
        // A hole in the file reads as zero records, which name no cell: a block that lies wholly
        // in one is passed over without reading it.
        if (NextDataOffset(handle, first * recordSize) >= (first + records) * recordSize) continue;
        if (!ReadAt(handle, first * recordSize, block.data(), bytes, &error)) break;
        // Only the position of most records is looked at: a huge file is mostly records that
        // name no cell.
        for (size_t at = 0; at < bytes; at += DAY_RECORD_SIZE) {
            int32_t column = 0;
            int32_t row = 0;
            std::memcpy(&column, block.data() + at + offsetof(DayRecord, column), sizeof column);
            std::memcpy(&row, block.data() + at + offsetof(DayRecord, row), sizeof row);
            if (!IsGridPosition(column, row)) continue;
            DayRecord record;
            std::memcpy(&record, block.data() + at, DAY_RECORD_SIZE);
            record = Normalised(record);
            if (!KeepFiniteAmounts(record)) faithful = false;
            into[CellIndex({column, row})] = record;
        }
    }
    CloseRecordFile(handle);
    // What is shown is not what the file holds: the file is kept aside before a save.
    if (!faithful || error) Disown();
    return error;
}

FileError FileErrorOf(const ReplaceResult& result) {
    if (result.error && result.openFailed) return FileError::BadFileName;
    return FileErrorOf(result.error);
}

FileError FileErrorOf(std::error_code error) {
    if (!error) return FileError::None;
    switch (error.value()) {
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return FileError::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case EAGAIN:  // a lock held by another program
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return FileError::PermissionDenied;
        case ENODEV:
        case ENXIO:
        case ENOMEDIUM:
            return FileError::DiskNotReady;
        case EIO:
            return FileError::DiskMediaError;
        default:
            return FileError::PathFileAccess;
    }
}

const char* FileErrorDescription(FileError error) {
    switch (error) {
        case FileError::None:
            return "";
        case FileError::BadFileName:
            return "Bad file name or number";
        case FileError::DiskFull:
            return "Disk full";
        case FileError::PermissionDenied:
            return "Permission denied";
        case FileError::DiskNotReady:
            return "Disk not ready";
        case FileError::DiskMediaError:
            return "Disk media error";
        case FileError::PathFileAccess:
            return "Path/file access error";
    }
    return "";
}

std::string FileErrorBanner(FileError error) {
    return "Err:  " + std::to_string(static_cast<int>(error)) + " " + FileErrorDescription(error);
}
