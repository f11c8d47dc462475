// What tests use of the platform layer beyond the program's own operations: a stand-in for the
// executable's folder and for today, and faults injected into the file system calls.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// Points the executable's folder elsewhere; an empty text returns to the real one.
void SetExecutableFolderForTesting(const std::string& folder);
// Fixes "today"; a date with year 0 returns to the system clock.
void SetTodayForTesting(LocalDate date);

// The k-th file system call made by ReplaceFileContents or SetFileAside from now on (k counted
// from 1) fails with `error`; with `persistent` every later call fails as well. k = 0 switches
// injection off. Returns how many calls were made since the last setting, and their names in
// order while recording is on.
void InjectFileFault(int k, int error, bool persistent);
int FileCallsSinceInjection();
void RecordFileCalls(bool on);  // starts a new record, or stops recording
const std::vector<std::string>& RecordedFileCalls();
// Draws the page as on a machine with or without the Tahoma-metric faces.
void SetTahomaInstalledForTesting(bool installed);
