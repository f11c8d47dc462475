// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the ledger loader: whatever the file holds, loading it into empty cells may
// only fill the cells its complete records name, and must leave the file itself alone.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "storage/ledger.h"

struct FuzzState {
    std::string folder;
    std::string ledgerPath;
    DayRecords expected;
};
FuzzState fuzz;

static void RemoveFuzzFolder() {
    unlink(fuzz.ledgerPath.c_str());
    rmdir(fuzz.folder.c_str());
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/monedario-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) abort();
    fuzz.folder = pattern;
    fuzz.ledgerPath = fuzz.folder + "/" + LEDGER_FILE_NAME;
    atexit(RemoveFuzzFolder);
    return 0;
}

// The cells that loading `data` must give, worked out from the file layout alone: each complete
// record naming a cell inside the grid lands there, its text cut at the first zero (10 at most).
static void ComputeExpectedCells(const uint8_t* data, size_t size) {
    std::memset(fuzz.expected.data(), 0, sizeof fuzz.expected);
    for (size_t at = 0; at + 77 <= size; at += 77) {
        int32_t column;
        int32_t row;
        std::memcpy(&column, data + at + 53, 4);
        std::memcpy(&row, data + at + 57, 4);
        if (column < 1 || column > 7 || row < 1 || row > 6) continue;
        uint8_t* cell = reinterpret_cast<uint8_t*>(&fuzz.expected[(row - 1) * 7 + (column - 1)]);
        std::memcpy(cell, data + at, 77);
        size_t length = 0;
        while (length < 10 && cell[16 + length] != 0) ++length;
        std::memset(cell + 16 + length, 0, 11 - length);
    }
}

static bool WriteLedger(const uint8_t* data, size_t size) {
    int fd = open(fuzz.ledgerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool whole = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return whole;
}

static bool LedgerStillHolds(const uint8_t* data, size_t size) {
    std::string bytes;
    int fd = open(fuzz.ledgerPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char block[4096];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) > 0) bytes.append(block, static_cast<size_t>(got));
    close(fd);
    return bytes.size() == size && (size == 0 || std::memcmp(bytes.data(), data, size) == 0);
}

// Amounts that are no numbers are read as 0: the expected cells say the same.
static void ZeroAmountsThatAreNoNumbers(DayRecords& cells) {
    for (DayRecord& day : cells) {
        for (size_t offset : {offsetof(DayRecord, spent), offsetof(DayRecord, balance),
                              offsetof(DayRecord, allowance)}) {
            uint64_t bits;
            std::memcpy(&bits, reinterpret_cast<char*>(&day) + offset, sizeof bits);
            if ((bits & 0x7FF0000000000000ULL) == 0x7FF0000000000000ULL)
                std::memset(reinterpret_cast<char*>(&day) + offset, 0, sizeof bits);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteLedger(data, size)) abort();
    ComputeExpectedCells(data, size);
    ZeroAmountsThatAreNoNumbers(fuzz.expected);

    // The cells alone, on the heap: a record placed outside them is caught by the sanitizer.
    const auto cells = std::make_unique<DayRecords>();
    FileCalls files;
    Ledger ledger(fuzz.ledgerPath, files);
    ledger.Load(*cells);

    if (std::memcmp(cells->data(), fuzz.expected.data(), sizeof fuzz.expected) != 0) abort();
    if (!LedgerStillHolds(data, size)) abort();
    return 0;
}
