// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: the built program run without any display, and a new period begun from it;
// and the window's icon.
#include "app/command_line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "program_driver.h"

namespace {

struct OptionCase {
    const char* name;
    const char* arguments;
    int exitCode;
    const char* outHas;        // empty: nothing on standard output
    const char* errFirstLine;  // empty: nothing on standard error
};
void PrintTo(const OptionCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLine : public ProgramTest, public testing::WithParamInterface<OptionCase> {};

// The program with no display at all, as on a console or over ssh.
TEST_P(CommandLine, AnswersWithoutAWindow) {
    const OptionCase& c = GetParam();
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                std::string(MONEDARIO_EXECUTABLE) + "' " + c.arguments + " >'" +
                                folder + "out' 2>'" + folder + "err'";
    const int status = std::system(command.c_str());
    const std::string out = FileBytes(folder + "out");
    const std::string err = FileBytes(folder + "err");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.exitCode);
    EXPECT_EQ(c.outHas[0] ? out.find(c.outHas) != std::string::npos : out.empty(), true) << out;
    EXPECT_EQ(err.substr(0, err.find('\n')), c.errFirstLine);
    // A wrong option is followed by the usage, which names every option.
    EXPECT_EQ(err.find("--nuevo-periodo") != std::string::npos, c.exitCode == 2);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLine,
    testing::Values(
        OptionCase{"Help", "--help", 0, "--nuevo-periodo", ""},
        OptionCase{"Version", "--version", 0, "Monedario Pro " MONEDARIO_VERSION "\n", ""},
        OptionCase{"UnknownOption", "--bogus", 2, "", "monedario: opción desconocida: --bogus"},
        OptionCase{"WindowSystemOptionIsNotTaken", "-reverse", 2, "",
                   "monedario: opción desconocida: -reverse"},
        OptionCase{"WindowSystemPlatformIsNotTaken", "-platform offscreen", 2, "",
                   "monedario: opción desconocida: -platform"},
        OptionCase{"StrayArgument", "ahorros.log otro.log", 2, "",
                   "monedario: argumento de más: otro.log"},
        OptionCase{"NewPeriodWithAFile", "--nuevo-periodo ahorros.log", 2, "",
                   "monedario: --nuevo-periodo no va con --csv ni con un archivo"},
        OptionCase{"HistoryWithAFile", "--historial ahorros.log", 2, "",
                   "monedario: --historial no va con --nuevo-periodo ni con un archivo"}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

// The stored period is put aside and the program opens on the welcome screen, ready for a new
// "Mes nuevo"; the put-aside file is the old ledger, byte for byte.
TEST_F(ProgramTest, NewPeriodOptionPutsTheLedgerAsideAndShowsTheWelcomeScreen) {
    Open();
    BeginPeriod(6, "3100");  // Wednesday 6 March 2024
    Save();
    const std::string stored = LedgerBytes();
    ASSERT_EQ(stored.size(), 31u * DAY_RECORD_SIZE);
    Close();

    char name[] = "monedario";
    char option[] = "--nuevo-periodo";
    char* argv[] = {name, option, nullptr};
    const Options options = ReadCommandLine(2, argv, folder + LEDGER_FILE_NAME);
    EXPECT_TRUE(options.newPeriod);
    EXPECT_FALSE(options.exitCode.has_value());
    Ledger ledger(folder + LEDGER_FILE_NAME, files);
    EXPECT_EQ(BeginNewPeriod(ledger, false), 1) << "another window has the ledger open";
    EXPECT_EQ(FileBytes(folder + LEDGER_FILE_NAME), stored);
    EXPECT_EQ(BeginNewPeriod(ledger, true), std::nullopt);
    Open();

    EXPECT_EQ(FileBytes(folder + "ahorros-2024-03-06.log"), stored);
    EXPECT_FALSE(PathExists(folder + LEDGER_FILE_NAME));
    EXPECT_EQ(BannerText(), TEXT_WELCOME);
    EXPECT_EQ(ItemState(Command::NewMonth), MenuState::Enabled);
    EXPECT_EQ(ItemState(Command::Save), MenuState::Greyed);
}

// A start that cannot take the ledger (another program holds it and does not answer) begins no
// new period: it says so and leaves the ledger where it was.
TEST_F(ProgramTest, NewPeriodOptionInAStartThatCannotTakeTheLedgerLeavesIt) {
    const std::string program = folder + "monedario";
    std::filesystem::copy_file(MONEDARIO_EXECUTABLE, program);
    WriteFile("ahorros.log", std::string(DAY_RECORD_SIZE, 'x'));
    const int holder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    const std::string command = "QT_QPA_PLATFORM=offscreen '" + program +
                                "' --nuevo-periodo >/dev/null 2>'" + folder + "err'";
    const int status = std::system(command.c_str());
    close(holder);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_NE(FileBytes(folder + "err").find("abierto en otra ventana"), std::string::npos);
    EXPECT_EQ(FileBytes(folder + "ahorros.log"), std::string(DAY_RECORD_SIZE, 'x'));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with("ahorros-")) << entry.path();
}

// The window carries the program's icon: the calendar with its blue title band.
TEST_F(ProgramTest, WindowShowsTheProgramsIcon) {
    Open();
    const QImage icon = MainWidget()->windowIcon().pixmap(64).toImage();
    ASSERT_EQ(icon.width(), 64);
    EXPECT_EQ(icon.pixelColor(32, 14), QColor(0, 0, 255));
    EXPECT_EQ(icon.pixelColor(10, 50), QColor(255, 255, 255));
}

}  // namespace
