// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per ledger: the running one listens on a local socket named after its
// ledger, and a later start asks it over that socket to bring its window to the front.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QLocalServer;

// What a later start asks of the running program.
enum class StartRequest { Show, NewPeriod };

// Listens for later starts while it lives; each request raises and activates the program's
// windows, and is then handed to `requested` (after the later start has its answer).
class LaterStarts {
public:
    LaterStarts(const std::string& ledgerPath, std::function<void(StartRequest)> requested);
    ~LaterStarts();
    LaterStarts(const LaterStarts&) = delete;
    LaterStarts& operator=(const LaterStarts&) = delete;

private:
    std::unique_ptr<QLocalServer> server_;
};

// Asks the program that serves `ledgerPath` to show its window (and, for a new period, to offer
// one); true once it answered. Waits up to `connectMs` for it to listen and `replyMs` for the
// answer.
bool AskRunningProgram(const std::string& ledgerPath, StartRequest request, int connectMs,
                       int replyMs);
