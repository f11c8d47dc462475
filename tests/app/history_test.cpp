// SPDX-License-Identifier: GPL-3.0-or-later
// Every period at a glance: the history window's table of the ledger's folder, its chart told to
// a screen reader, a row opened read-only, the CSV saved from it or written by --historial --csv
// and read back by a spreadsheet, and a folder that is never changed.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAccessible>
#include <QPushButton>
#include <filesystem>
#include <map>
#include <sstream>

#include "../storage/ledger_support.h"
#include "app/period_files.h"
#include "format/format.h"
#include "program_driver.h"

namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

// Friday 15 December 2023 to Sunday 14 January 2024, 50 a day.
constexpr PeriodPlan DECEMBER_2023 = {5, 15, 12, 2023, 31, 1550.0};
// Monday 15 January 2024 to Wednesday 14 February 2024.
constexpr PeriodPlan JANUARY_2024 = {1, 15, 1, 2024, 31, 3100.0};
// Thursday 15 February 2024 to Thursday 14 March 2024, 29 days of a leap year.
constexpr PeriodPlan FEBRUARY_2024 = {4, 15, 2, 2024, 29, 2900.0};

DayRecords Spent(const PeriodPlan& plan, std::initializer_list<std::pair<int, double>> days) {
    DayRecords records = PlannedRecords(plan);
    for (auto [day, amount] : days)
        AddExpense(records, ColumnOfDay(plan, day), RowOfDay(plan, day), amount,
                   FormatAmount(amount).c_str());
    return records;
}

struct HistoryTest : ProgramTest {
    // The current period (12,50 spent on its first day), three kept ones, the last one
    // overspent, a kept name that cannot be read and one that holds no period, and files that
    // are no periods of the history.
    void FillFolder() {
        WriteFile(LEDGER_FILE_NAME, LedgerContent(WorkedExample()));
        WriteFile("ahorros-2023-12-15.log", LedgerContent(Spent(DECEMBER_2023, {{10, 75}})));
        WriteFile("ahorros-2024-01-15.log", LedgerContent(PlannedRecords(JANUARY_2024)));
        WriteFile("ahorros-2024-02-15.log",
                  LedgerContent(Spent(FEBRUARY_2024, {{0, 1500}, {10, 1500}})));
        fs::create_directory(folder + "ahorros-2023-11-15.log");
        WriteFile("ahorros-2023-10-15.log", std::string(DAY_RECORD_SIZE, '\x5A'));
        for (const char* other :
             {"ahorros.log.bak", "ahorros-2024-01-15.log.bak",
              "ahorros.log.apartado-20240101-101010", "ahorros-2024-1-15.log", "notas.txt"})
            WriteFile(other, "x");
    }
    // The history opened from the menu of a running program.
    void OpenHistory() {
        Open();
        ChooseHistory();
        ASSERT_NE(periods->Window(), nullptr);
        ASSERT_TRUE(periods->Window()->Shown());
    }
    const Rows everyRow = {
        {"15 mar 2024 – 14 abr 2024", "31", "3.100'00 €", "12'50 €", "3.087'50 €", "0", "12'50 €"},
        {"15 feb 2024 – 14 mar 2024", "29", "2.900'00 €", "3.000'00 €", "-100'00 €", "2",
         "1.500'00 €"},
        {"15 ene 2024 – 14 feb 2024", "31", "3.100'00 €", "0'00 €", "3.100'00 €", "0", "0'00 €"},
        {"15 dic 2023 – 14 ene 2024", "31", "1.550'00 €", "75'00 €", "1.475'00 €", "1", "75'00 €"},
        {"ahorros-2023-11-15.log", "no se puede leer: Is a directory"},
        {"ahorros-2023-10-15.log", "no contiene un periodo"}};
    const std::string everyPeriodCsv =
        "inicio,fin,dias,asignado,gastado,saldo,dias_en_rojo,mayor_gasto\n"
        "2023-12-15,2024-01-14,31,\"1550,00\",\"75,00\",\"1475,00\",1,\"75,00\"\n"
        "2024-01-15,2024-02-14,31,\"3100,00\",\"0,00\",\"3100,00\",0,\"0,00\"\n"
        "2024-02-15,2024-03-14,29,\"2900,00\",\"3000,00\",\"-100,00\",2,\"1500,00\"\n"
        "2024-03-15,2024-04-14,31,\"3100,00\",\"12,50\",\"3087,50\",0,\"12,50\"\n";
};

TEST_F(HistoryTest, TableListsEveryPeriodNewestFirstAndWhyAFileGivesNone) {
    FillFolder();
    OpenHistory();
    EXPECT_EQ(HistoryUi().main->windowTitle(), "Historial – Monedario Pro");
    EXPECT_TRUE(MainWidget()->isVisible()) << "it opens beside the calendar";
    const Rows shown = HistoryTable();
    ASSERT_EQ(shown.size(), everyRow.size());
    for (size_t r = 0; r < everyRow.size(); ++r) {
        SCOPED_TRACE(everyRow[r][0]);
        EXPECT_EQ(shown[r], everyRow[r]);
        EXPECT_EQ(HistoryCellInRed(static_cast<int>(r), 4), r == 1) << "left below zero";
    }
    EXPECT_EQ(HistoryUi().table->item(0, 0)->toolTip(), "ahorros.log");
    EXPECT_EQ(HistoryUi().table->currentRow(), 0);
}

TEST_F(HistoryTest, EmptyOrUnreadableFolderSaysSo) {
    WriteFile("archivo", "x");
    const struct {
        const char* name;
        std::string ledgerPath;
        std::string note;
    } cases[] = {
        {"no period yet", folder + LEDGER_FILE_NAME, "Todavía no hay ningún periodo."},
        {"no folder yet", folder + "nueva/" + LEDGER_FILE_NAME, "Todavía no hay ningún periodo."},
        {"a file in the folder's place", folder + "archivo/" + LEDGER_FILE_NAME,
         "No se puede leer la carpeta " + folder + "archivo/: Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HistoryOfPeriods alone(fonts, c.ledgerPath, *this);
        alone.Show();
        const QTableWidget* table = alone.Window()->Ui().table;
        ASSERT_EQ(table->rowCount(), 1);
        EXPECT_EQ(table->item(0, 0)->text().toStdString(), c.note);
        alone.RowChosen(0);
        EXPECT_TRUE(alone.ReadOnlyWindows().empty());
    }
    EXPECT_FALSE(fs::exists(folder + "nueva")) << "the folder is not made";
}

// The history reads what is saved: amounts typed since then show once "Grabar" saves them.
TEST_F(HistoryTest, PeriodBeingTypedShowsAsLastSaved) {
    WriteFile(LEDGER_FILE_NAME, LedgerContent(WorkedExample()));
    OpenHistory();
    PickDay(16);
    PickDay(16);
    Type("150");
    Enter();
    ChooseHistory();
    EXPECT_EQ(HistoryTable()[0][3], "12'50 €") << "not saved yet";
    Save();
    ChooseHistory();
    EXPECT_EQ(HistoryTable()[0][3], "162'50 €");
    EXPECT_EQ(HistoryTable()[0][5], "1") << "the 16th went below zero";
}

// Enter or a double click opens the row's period in the read-only window; a file that gives no
// period opens nothing.
TEST_F(HistoryTest, RowOpensItsPeriodReadOnly) {
    FillFolder();
    const struct {
        const char* name;
        int row;
        bool doubleClick;
        const char* title;  // nullptr: nothing opens
        const char* firstDay;
    } cases[] = {
        {"the current period with Enter", 0, false, "ahorros.log (solo lectura)",
         "viernes 15 de marzo"},
        {"a kept period with Enter", 2, false, "ahorros-2024-01-15.log (solo lectura)",
         "lunes 15 de enero"},
        {"a kept period with a double click", 3, true, "ahorros-2023-12-15.log (solo lectura)",
         "viernes 15 de diciembre"},
        {"a file that gives no period", 5, false, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenHistory();
        const auto before = FolderContents(folder);
        for (int down = 0; down < c.row && !c.doubleClick; ++down) HistoryKey(Qt::Key_Down);
        if (c.doubleClick)
            DoubleClickHistoryRow(c.row);
        else
            HistoryKey(Qt::Key_Return);
        const std::vector<Program*> opened = periods->ReadOnlyWindows();
        ASSERT_EQ(opened.size(), c.title ? 1u : 0u);
        if (c.title) {
            Program& viewer = *opened[0];
            EXPECT_EQ(viewer.Window().Ui().main->windowTitle().toStdString(), c.title);
            EXPECT_TRUE(viewer.Window().Ui().main->isVisible());
            const std::vector<DescribedCell>& days = viewer.Window().Description().cells;
            const auto first = std::find_if(days.begin(), days.end(),
                                            [](const DescribedCell& d) { return !d.name.empty(); });
            ASSERT_NE(first, days.end());
            EXPECT_TRUE(first->name.starts_with(c.firstDay)) << first->name;
            EXPECT_EQ(viewer.Window().GetMenuState(Command::Save), MenuState::Greyed);
            EXPECT_EQ(viewer.Window().GetMenuState(Command::History), MenuState::Greyed);
        }
        EXPECT_EQ(FolderContents(folder), before) << "nothing in the folder changes";
        Close();
    }
}

// The arrows move in the table and the day chart follows; Escape closes the window and the
// read-only windows opened from it, and the main window goes on.
TEST_F(HistoryTest, KeyboardMovesOpensAndCloses) {
    FillFolder();
    OpenHistory();
    QWidget* chart = HistoryUi().chart;
    HistoryKey(Qt::Key_Down);
    EXPECT_EQ(HistoryUi().table->currentRow(), 1);
    EXPECT_NE(chart->accessibleDescription().indexOf("Periodo del 15 feb 2024 al 14 mar 2024"), -1);
    HistoryKey(Qt::Key_Up);
    HistoryKey(Qt::Key_Return);
    ASSERT_EQ(periods->ReadOnlyWindows().size(), 1u);
    HistoryUi().main->activateWindow();
    HistoryKey(Qt::Key_Escape);
    EXPECT_FALSE(periods->Window()->Shown());
    EXPECT_TRUE(periods->ReadOnlyWindows().empty()) << "they close with it";
    EXPECT_TRUE(MainWidget()->isVisible());
    EXPECT_FALSE(program->Window().Ended());
    ChooseHistory();
    EXPECT_TRUE(periods->Window()->Shown()) << "it opens again";
}

// A screen reader gets the chart as a chart, named, with every period and the selected one in
// words.
TEST_F(HistoryTest, ChartIsToldInWords) {
    WriteFile(LEDGER_FILE_NAME, LedgerContent(WorkedExample()));
    WriteFile("ahorros-2024-02-15.log",
              LedgerContent(Spent(FEBRUARY_2024, {{0, 1500}, {10, 1500}})));
    OpenHistory();
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(HistoryUi().chart);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->role(), QAccessible::Chart);
    EXPECT_EQ(chart->text(QAccessible::Name), "Gráfico del historial");
    const std::string overall =
        "Gastado frente a asignado en 2 periodos, del 15 feb 2024 al 14 abr 2024: gastado "
        "3.012,50 € de 6.000,00 €; 1 periodo gastó más de lo asignado.";
    const std::pair<int, std::string> rows[] = {
        {0,
         " Periodo del 15 mar 2024 al 14 abr 2024: 31 días, gastado 12,50 € de 3.100,00 €, "
         "quedan 3.087,50 €, 0 días en rojo; el día de más gasto fue el 15 mar 2024, con 12,50 €."},
        {1,
         " Periodo del 15 feb 2024 al 14 mar 2024: 29 días, gastado 3.000,00 € de 2.900,00 €, "
         "te has pasado 100,00 €, 2 días en rojo; el día de más gasto fue el 15 feb 2024, con "
         "1.500,00 €."}};
    for (const auto& [row, words] : rows) {
        SCOPED_TRACE(row);
        HistoryUi().table->setCurrentCell(row, 0);
        EXPECT_EQ(chart->text(QAccessible::Description).toStdString(), overall + words);
    }
}

// "Guardar como CSV…" asks where in a standard dialog and writes every readable period there,
// oldest first; cancelled, it writes nothing.
TEST_F(HistoryTest, CsvIsSavedWhereTheDialogSays) {
    FillFolder();
    const std::string elsewhere = MakeTemporaryFolder();
    OpenHistory();
    for (const char* answer : {"", "/historial.csv"}) {
        SCOPED_TRACE(*answer ? "answered" : "cancelled");
        AnswerNextFileDialog(*answer ? elsewhere + answer : "");
        HistoryUi().save->click();
        EXPECT_EQ(FileBytes(elsewhere + "/historial.csv"), *answer ? everyPeriodCsv : "<missing>");
    }
    RemoveFolder(elsewhere);
}

// The CSV never goes into the ledger's folder, and a failure to write it is told.
TEST_F(HistoryTest, CsvThatCannotBeSavedThereIsTold) {
    FillFolder();
    OpenHistory();
    const auto before = FolderContents(folder);
    const struct {
        const char* name;
        std::string path;
        const char* message;
    } cases[] = {
        {"the ledger's folder", folder + "historial.csv", TEXT_HISTORY_NOT_IN_FOLDER},
        {"the ledger's folder through a link", folder + "enlace/historial.csv",
         TEXT_HISTORY_NOT_IN_FOLDER},
        {"a folder that is not there", folder + "no/historial.csv",
         "Err:  52 Bad file name or number"},
    };
    fs::create_directory_symlink(folder, folder + "enlace");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        question.clear();
        DismissNextMessage();
        periods->SaveCsvTo(c.path);
        EXPECT_EQ(question, c.message);
        EXPECT_FALSE(fs::exists(c.path));
    }
    fs::remove(folder + "enlace");
    EXPECT_EQ(FolderContents(folder), before);
}

// Run as a user who may not read everything: each file that gives no period is named with its
// reason and the rest is written; only a folder that cannot be read fails.
TEST_F(HistoryTest, HistoryAsCsvFromTheCommandLine) {
    const std::string data = folder + "datos/monedario/";
    fs::create_directories(data);
    fs::copy_file(MONEDARIO_EXECUTABLE, folder + "monedario");
    WriteFileBytes(data + LEDGER_FILE_NAME, LedgerContent(WorkedExample()));
    WriteFileBytes(data + "ahorros-2024-01-15.log", LedgerContent(PlannedRecords(JANUARY_2024)));
    WriteFileBytes(data + "ahorros-2023-12-15.log", "");
    WriteFileBytes(data + "ahorros-2023-11-15.log", LedgerContent(PlannedRecords(JANUARY_2024)));
    fs::create_directory(folder + "out");
    for (const std::string& path : {folder, folder + "datos", data, folder + "out"})
        chmod(path.c_str(), 0777);
    chmod((data + "ahorros-2023-11-15.log").c_str(), 0);
    const struct {
        const char* name;
        mode_t folderMode;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
        {"a readable folder", 0755, 0,
         "inicio,fin,dias,asignado,gastado,saldo,dias_en_rojo,mayor_gasto\n"
         "2024-01-15,2024-02-14,31,\"3100,00\",\"0,00\",\"3100,00\",0,\"0,00\"\n"
         "2024-03-15,2024-04-14,31,\"3100,00\",\"12,50\",\"3087,50\",0,\"12,50\"\n",
         "monedario: " + data + "ahorros-2023-12-15.log: no contiene un periodo\n" + "monedario: " +
             data + "ahorros-2023-11-15.log: no se puede leer: Permission denied\n"},
        {"a folder that may not be read", 0700, 1, "",
         "monedario: " + data + ": no se puede leer: Permission denied\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        chmod(data.c_str(), c.folderMode);
        const std::string command = "env -u DISPLAY XDG_DATA_HOME='" + folder + "datos' '" +
                                    folder + "monedario' --historial --csv >'" + folder +
                                    "out/out' 2>'" + folder + "out/err'";
        std::string why;
        const int status = RunUnprivileged(
            [&command] { return execl("/bin/sh", "sh", "-c", command.c_str(), nullptr); }, &why);
        ASSERT_GE(status, 0) << why;
        EXPECT_EQ(status, c.exitCode);
        EXPECT_EQ(FileBytes(folder + "out/out"), c.out);
        EXPECT_EQ(FileBytes(folder + "out/err"), c.err);
    }
}

// What a spreadsheet makes of the CSV, read through Gnumeric's own importer: four or eight
// columns, dates as dates (days since 30 December 1899) and amounts as numbers.
TEST_F(HistoryTest, SpreadsheetSplitsTheCsvIntoItsColumns) {
    if (std::system("command -v ssconvert >/dev/null") != 0)
        GTEST_SKIP() << "Not installed: gnumeric (ssconvert)";
    FillFolder();
    const struct {
        const char* name;
        std::string csv;
        const char* firstRow;
        const char* lastRow;
    } cases[] = {
        {"a period", PeriodCsv(PeriodOf(WorkedExample())), "45366|100|12.5|87.5",
         "45396|100|0|100"},
        {"the history", HistoryCsv(ReadPeriodFolder(folder + LEDGER_FILE_NAME)),
         "45275|45305|31|1550|75|1475|1|75", "45366|45396|31|3100|12.5|3087.5|0|12.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("hoja.csv", c.csv);
        const std::string command = "cd '" + folder +
                                    "' && LC_ALL=C.UTF-8 ssconvert --export-type="
                                    "Gnumeric_stf:stf_assistant -O 'separator=| quoting-mode=never "
                                    "format=raw' hoja.csv hoja.txt >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::vector<std::string> lines;
        std::istringstream text(FileBytes(folder + "hoja.txt"));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[1], c.firstRow);
        EXPECT_EQ(lines.back(), c.lastRow);
    }
}

}  // namespace
