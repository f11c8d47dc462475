// One running program per ledger: the running one listens on a local socket named after its
// ledger, and a later start asks it over that socket to bring its window to the front.
#pragma once

#include <memory>
#include <string>

class QLocalServer;

// Listens for later starts while it lives; each request raises and activates the program's
// windows.
class LaterStarts {
public:
    explicit LaterStarts(const std::string& ledgerPath);
    ~LaterStarts();
    LaterStarts(const LaterStarts&) = delete;
    LaterStarts& operator=(const LaterStarts&) = delete;

    bool Listening() const { return server_ != nullptr; }

private:
    std::unique_ptr<QLocalServer> server_;
};

// Asks the program that serves `ledgerPath` to show its window; true once it answered. Waits up
// to `connectMs` for it to listen and `replyMs` for the answer.
bool ShowRunningProgram(const std::string& ledgerPath, int connectMs, int replyMs);
