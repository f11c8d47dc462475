// SPDX-License-Identifier: GPL-3.0-or-later
// Month after month: nothing typed is lost at close or when the session ends, a new period is
// offered by the running window and keeps the old one with its backup, and a kept period is
// looked at read-only or written as CSV.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "../storage/ledger_support.h"
#include "app/ledger_claim.h"
#include "app/period_files.h"
#include "program_driver.h"

namespace {

namespace fs = std::filesystem;

struct MonthTest : ProgramTest {
    // A period of March 2024 from the 15th, saved, and 12 more spent on the 20th, not saved.
    void PeriodWithUnsavedExpense() {
        Open();
        BeginPeriod(15, "3100");
        Save();
        PickDay(20);  // the saving banner goes
        PickDay(20);
        Type("12");
        Enter();
    }
    double SpentInLedger(const std::string& path, int record) {
        double spent = 0;
        const std::string bytes = FileBytes(path);
        if (bytes.size() >= (record + 1) * DAY_RECORD_SIZE)
            std::memcpy(&spent, bytes.data() + record * DAY_RECORD_SIZE, sizeof spent);
        return spent;
    }
    const std::string ledgerPath = "ahorros.log";
};

// With amounts not saved, "Salir" and the close button ask; without, they end at once.
TEST_F(MonthTest, ClosingWithAmountsNotSavedAsksFirst) {
    const struct {
        const char* name;
        bool unsaved;
        bool closeButton;
        const char* answer;  // nullptr: no question
        bool failingSave;
        bool ended;
        double spentSaved;  // on the 20th
        const char* banner;
    } cases[] = {
        {"nothing unsaved", false, false, nullptr, false, true, 0, ""},
        {"cancelled", true, false, ANSWER_CANCEL, false, false, 0, ""},
        {"Escape at the question", true, false, ESCAPE_KEY, false, false, 0, ""},
        {"the question's close box", true, true, CLOSE_BOX, false, false, 0, ""},
        {"left without saving", true, true, ANSWER_LEAVE_UNSAVED, false, true, 0, ""},
        {"saved", true, false, ANSWER_SAVE, false, true, 12, TEXT_SAVED},
        {"saved, but the save fails", true, false, ANSWER_SAVE, true, false, 0,
         "Err:  61 Disk full"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeriodWithUnsavedExpense();
        if (!c.unsaved) {
            Save();
            PickDay(21);  // its banner goes
        }
        question.clear();
        if (c.answer) AnswerNextQuestion(c.answer);
        if (c.failingSave) files.InjectFault("write", ENOSPC);
        if (c.closeButton)
            MainWidget()->close();
        else
            Choose(Command::Quit);
        files.ClearFaults();
        EXPECT_EQ(question, c.answer ? TEXT_UNSAVED_QUESTION : "");
        EXPECT_EQ(program->Window().Ended(), c.ended);
        EXPECT_EQ(SpentInLedger(folder + ledgerPath, 5), c.unsaved ? c.spentSaved : 12);
        EXPECT_EQ(BannerText(), c.banner);
        EXPECT_EQ(SpentShown(20), "12'00") << "the amounts are still there";
        Close();
        fs::remove(folder + ledgerPath);
    }
}

// The session's end (logout, shutdown) saves what was typed, keeps the previous ledger as the
// backup and ends the program with 0.
TEST_F(MonthTest, EndOfTheSessionSavesWhatWasTyped) {
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        PeriodWithUnsavedExpense();
        SessionEnd end;
        end.WhenItEnds([this] { program->SessionEnds(); });
        raise(signal);
        EXPECT_EQ(program->Exec(), 0);
        EXPECT_EQ(SpentInLedger(folder + ledgerPath, 5), 12);
        EXPECT_EQ(SpentInLedger(folder + ledgerPath + BACKUP_SUFFIX, 5), 0);
        Close();
        fs::remove(folder + ledgerPath);
    }
}

// With no descriptor left to take the signals from, the session's end still ends the program
// (by the signal's own action) rather than being held back.
TEST(SessionEndTest, WithoutADescriptorTheSignalStillEnds) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit noDescriptors{0, 0};
        setrlimit(RLIMIT_NOFILE, &noDescriptors);
        SessionEnd end;
        raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

// "Empezar un periodo nuevo" while the program is open: the running window asks, naming the
// file the period will be kept as; yes saves what was typed, keeps the period and its backup
// under the period's name and shows the welcome screen.
TEST_F(MonthTest, NewPeriodAskedOfTheRunningWindowKeepsTheOldOne) {
    const std::string program_ = folder + "monedario";
    fs::copy_file(MONEDARIO_EXECUTABLE, program_);
    for (const char* answer : {ANSWER_CANCEL, ANSWER_NEW_PERIOD}) {
        SCOPED_TRACE(answer);
        PeriodWithUnsavedExpense();
        LedgerClaim claim(*ledger, StartRequest::Show);
        claim.Forward([this](StartRequest r) {
            if (r == StartRequest::NewPeriod) program->NewPeriodRequested();
        });
        AnswerNextQuestion(answer);
        QProcess later;
        later.start(QString::fromStdString(program_), {"--nuevo-periodo"});
        ASSERT_TRUE(later.waitForStarted());
        while (later.state() != QProcess::NotRunning) QTest::qWait(20);
        QTest::qWait(100);
        EXPECT_EQ(later.exitCode(), 0);
        EXPECT_EQ(question, std::string(TEXT_NEW_PERIOD_QUESTION) + TEXT_NEW_PERIOD_KEEPS +
                                "ahorros-2024-03-15.log.");
        const bool begun = answer == std::string(ANSWER_NEW_PERIOD);
        EXPECT_EQ(fs::exists(folder + ledgerPath), !begun);
        EXPECT_EQ(SpentInLedger(folder + "ahorros-2024-03-15.log", 5), begun ? 12 : 0);
        EXPECT_EQ(fs::exists(folder + "ahorros-2024-03-15.log.bak"), begun);
        EXPECT_FALSE(fs::exists(folder + ledgerPath + BACKUP_SUFFIX)) << "it went with its period";
        EXPECT_EQ(BannerText(), begun ? TEXT_WELCOME : "");
        EXPECT_EQ(ItemState(Command::NewMonth), begun ? MenuState::Enabled : MenuState::Greyed);
        Close();
        for (const char* name : {"ahorros.log", "ahorros.log.bak", "ahorros-2024-03-15.log",
                                 "ahorros-2024-03-15.log.bak"})
            fs::remove(folder + name);
    }
}

// The question names the file the period will be kept as, whether it is on disk or only typed;
// with nothing to keep it asks alone. Escape and the close box mean "Cancelar".
TEST_F(MonthTest, NewPeriodQuestionNamesWhatIsKept) {
    const std::string keeps =
        std::string(TEXT_NEW_PERIOD_QUESTION) + TEXT_NEW_PERIOD_KEEPS + "ahorros-2024-03-15.log.";
    const struct {
        const char* name;
        void (*arrange)(MonthTest&);
        const char* answer;
        std::string question;
        bool begun;
    } cases[] = {
        {"a period on disk", [](MonthTest& t) { t.Save(); }, ANSWER_NEW_PERIOD, keeps, true},
        {"a period never saved", [](MonthTest&) {}, ANSWER_NEW_PERIOD, keeps, true},
        {"nothing to keep", [](MonthTest& t) { t.Restart(); }, ANSWER_NEW_PERIOD,
         TEXT_NEW_PERIOD_QUESTION, true},
        {"Escape", [](MonthTest&) {}, ESCAPE_KEY, keeps, false},
        {"the close box", [](MonthTest& t) { t.Save(); }, CLOSE_BOX, keeps, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        if (std::string(c.name) != "nothing to keep") BeginPeriod(15, "3100");
        c.arrange(*this);
        AnswerNextQuestion(c.answer);
        program->NewPeriodRequested();
        EXPECT_EQ(question, c.question);
        EXPECT_EQ(BannerText() == TEXT_WELCOME, c.begun);
        EXPECT_EQ(fs::exists(folder + "ahorros-2024-03-15.log"), c.begun && c.question == keeps);
        EXPECT_EQ(program->Window().Ended(), false);
        Close();
        for (const std::string& name : FolderNames(folder)) fs::remove(folder + name);
    }
}

// A kept period opened read-only: shown with its greeting, gauges and picture work, nothing
// else; the file is not locked and never written.
TEST_F(MonthTest, KeptPeriodIsShownReadOnly) {
    const std::string kept = folder + "ahorros-2024-03-15.log";
    const std::string bytes = LedgerContent(WorkedExample());
    WriteFile("ahorros-2024-03-15.log", bytes);
    const std::string workingFolder = fs::current_path();
    fs::current_path(folder);
    Open(ProgramMode::Viewing, "ahorros-2024-03-15.log");
    EXPECT_EQ(MainWidget()->windowTitle(), "ahorros-2024-03-15.log (solo lectura)");
    EXPECT_EQ(BannerText(), TEXT_GREETING);
    EXPECT_EQ(ItemState(Command::NewMonth), MenuState::Greyed);
    EXPECT_EQ(ItemState(Command::Save), MenuState::Greyed);
    ToggleStatistics();
    EXPECT_EQ(Pixel(10, 30), COLOUR_GREEN) << "the left gauge";
    for (int i = 0; i < 2; ++i) PickDay(15);
    EXPECT_FALSE(Told().field.open);
    Choose(Command::Picture);
    EXPECT_EQ(BannerText(), TEXT_BITMAP);
    EXPECT_EQ(FolderLock(folder).Held(), FolderLock::State::Locked) << "no lock taken";
    fs::current_path(workingFolder);
    EXPECT_EQ(FileBytes(kept), bytes);
    EXPECT_TRUE(fs::exists(folder + "Mi Copia.bmp"));

    Ledger missing(folder + "ahorros-1999-01-01.log", files);
    EXPECT_FALSE(Program(fonts, missing, files, *this, ProgramMode::Viewing).Open());
}

// The CSV of a period: a header, then each day with its date, allowance, spent and balance.
TEST_F(MonthTest, PeriodAsCsv) {
    DayRecords records = PlannedRecords(DECEMBER_2024);
    AddExpense(records, 7, 1, 1234.5, "1.234'50  ");  // Sunday 1 December
    const std::string csv = PeriodCsv(PeriodOf(records));
    EXPECT_TRUE(
        csv.starts_with("fecha,asignado,gastado,saldo\n"
                        "2024-12-01,\"32,26\",\"1234,50\",\"-1202,24\"\n"
                        "2024-12-02,\"32,26\",\"0,00\",\"32,26\"\n"))
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 32);
    EXPECT_NE(csv.find("\n2024-12-31,\"32,26\",\"0,00\",\"32,26\"\n"), std::string::npos);
}

// From the command line, without a display: the ledger beside the program or a given file; a
// missing or damaged one says so on standard error.
TEST_F(MonthTest, CsvFromTheCommandLine) {
    const std::string program_ = folder + "monedario";
    fs::copy_file(MONEDARIO_EXECUTABLE, program_);
    WriteFile("ahorros.log", LedgerContent(PlannedRecords(MARCH_2024)));
    WriteFile("damaged.log", std::string(76, 'x'));
    fs::create_directory(folder + "folder.log");
    const struct {
        const char* arguments;
        int exitCode;
        const char* outStarts;
        const char* errHas;
    } cases[] = {{"--csv", 0,
                  "fecha,asignado,gastado,saldo\n2024-03-15,\"100,00\",\"0,00\",\"100,00\"\n", ""},
                 {"--csv ahorros.log", 0, "fecha,", ""},
                 {"--csv missing.log", 1, "", "missing.log: no existe"},
                 {"--csv damaged.log", 1, "", "no contiene un periodo"},
                 {"--csv folder.log", 1, "", "folder.log: no se puede leer: Is a directory"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string command = "cd '" + folder + "' && env -u DISPLAY QT_QPA_PLATFORM=none '" +
                                    program_ + "' " + c.arguments + " >out 2>err";
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exitCode);
        EXPECT_TRUE(FileBytes(folder + "out").starts_with(c.outStarts))
            << FileBytes(folder + "out");
        EXPECT_NE(FileBytes(folder + "err").find(c.errHas), std::string::npos);
    }
}

}  // namespace
