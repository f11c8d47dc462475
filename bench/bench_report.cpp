// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the timings and start-up measurements of the program and of the bare Qt window in one go
// and prints one table of their medians, ratios and targets. Exits non-zero only when something
// could not be run; a missed target is a result, not a failure.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "x_session.h"

#ifdef MONEDARIO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int WINDOW_WIDTH = 846;
constexpr int WINDOW_HEIGHT = 577;
constexpr int SETTLE_MS = 200;  // how long a started process lives on after its first frame
constexpr auto FIRST_FRAME_TIMEOUT = 30s;
constexpr char XVFB_SCREEN[] = "1024x768x24";

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "bench_report: %s\n", message.c_str());
    std::exit(1);
}

void Progress(const std::string& message) {
    std::fprintf(stderr, "... %s\n", message.c_str());
}

// Starts `child` with the options given, or ends the report.
void Start(ChildProcess& child, const SpawnOptions& options) {
    std::string error;
    if (!child.Start(options, &error)) Fail(error);
}

bool ExitedWithZero(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// ---------------------------------------------------------------------------------------------
// Timings: Google Benchmark's medians over repetitions, read from its CSV output.

std::map<std::string, double> RunTimings(int runs, const std::string& logPath) {
    const CommandResult result =
        RunCommand({MONEDARIO_BENCH_PATH,
                    "--benchmark_filter=^(BM_FullRefresh|BM_KeyToPresentedField|"
                    "BM_EnterToPresentedCalendar|BM_BareRefresh|BM_BareKeyToRepaint|"
                    "BM_BareEnterToRepaint|BM_LoadHugeLedger/sparse|BM_LoadHugeLedger/records|"
                    "BM_KeepHugeLedger|BM_HistoryOfTenYears)$",
                    "--benchmark_repetitions=" + std::to_string(runs),
                    "--benchmark_report_aggregates_only=true", "--benchmark_format=csv"},
                   {"QT_QPA_PLATFORM=offscreen"}, logPath, 20min + 10s);
    if (!result.finished) Fail("the benchmark program did not end (see " + logPath + ")");
    if (!ExitedWithZero(result.status))
        Fail("the benchmark program " + DescribeStatus(result.status) + " (see " + logPath + ")");

    // Lines: "name",iterations,real_time,cpu_time,time_unit,...
    std::map<std::string, double> medians;
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::stringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) fields.push_back(cell);
        if (fields.size() < 5) continue;
        std::string name = fields[0];
        name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
        // One repetition gives no aggregates: its single figure stands for the median.
        const std::string suffix = "_median";
        const bool median = name.size() > suffix.size() &&
                            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (median)
            name.resize(name.size() - suffix.size());
        else if (runs > 1)
            continue;
        double value = std::strtod(fields[2].c_str(), nullptr);
        const std::string& unit = fields[4];
        if (unit == "ns") value /= 1000;
        if (unit == "ms") value *= 1000;
        if (unit == "s") value *= 1e6;
        medians[name] = value;  // microseconds
    }
    for (const char* name :
         {"BM_FullRefresh", "BM_KeyToPresentedField", "BM_EnterToPresentedCalendar",
          "BM_BareRefresh", "BM_BareKeyToRepaint", "BM_BareEnterToRepaint",
          "BM_LoadHugeLedger/sparse", "BM_LoadHugeLedger/records", "BM_KeepHugeLedger",
          "BM_HistoryOfTenYears"}) {
        if (!medians.count(name))
            Fail(std::string("no median for ") + name + " (see " + logPath + ")");
    }
    return medians;
}

// ---------------------------------------------------------------------------------------------
// Start-up: from fork to the first frame, and the peak resident memory of the whole life.

struct StartupSample {
    double milliseconds;
    double peakMiB;
};

struct Subject {
    std::string name;
    std::string executable;  // the real program or the bare window, run under Xvfb
    std::string probe;       // its headless probe, which reports the first frame itself
    std::vector<std::string> probeArgs;
};

bool HasFirstFrameLine(const std::string& text) {
    return text.find("first-frame ") != std::string::npos && text.find('\n') != std::string::npos;
}

StartupSample HeadlessRun(const Subject& subject, const std::string& folder,
                          const std::string& logPath) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) Fail("pipe");
    SpawnOptions options;
    options.argv = {subject.probe};
    options.argv.insert(options.argv.end(), subject.probeArgs.begin(), subject.probeArgs.end());
    options.env = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + folder};
    options.workingDirectory = folder;
    options.logPath = logPath;
    options.stdoutFd = fds[1];
    ChildProcess child;
    Start(child, options);
    close(fds[1]);
    std::string out;
    const bool seen =
        ReadUntil(fds[0], &out, Clock::now() + FIRST_FRAME_TIMEOUT, HasFirstFrameLine);
    const auto frame = Clock::now();
    close(fds[0]);
    if (!seen) {
        child.Kill();
        Fail(subject.name + ": no first frame headless (see " + logPath + ")");
    }
    const std::optional<int> status = child.WaitFor(20s);
    if (!status) {
        child.Kill();
        Fail(subject.name + ": the headless probe did not quit after its first frame");
    }
    if (!ExitedWithZero(*status))
        Fail(subject.name + ": the headless probe " + DescribeStatus(*status));
    return {std::chrono::duration<double, std::milli>(frame - child.StartTime()).count(),
            child.PeakRssKiB() / 1024.0};
}

#ifdef MONEDARIO_HAVE_XCB
// Reads the screen straight from the X server: a small part of the banner area of a window of
// the program's size centred on the screen, where both subjects show a blue box first thing.
class ScreenWatch {
public:
    bool Connect(const std::string& display) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_)) return false;
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
        root_ = screen->root;
        const int left = (screen->width_in_pixels - WINDOW_WIDTH) / 2;
        const int top = (screen->height_in_pixels - WINDOW_HEIGHT) / 2;
        // Picture at (2, menu bar + 2); the box spans page x 160..679 and y 162..361, and the
        // strip below the banner's text tolerates menu bars some pixels higher or lower.
        x_ = left + 2 + 180;
        y_ = top + 2 + 19 + 310;
        return true;
    }
    ~ScreenWatch() {
        if (connection_) xcb_disconnect(connection_);
    }
    // The share of pure blue pixels in the watched strip, or -1 when the server does not answer.
    double BlueShare() {
        xcb_get_image_cookie_t cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
                                                      x_, y_, WIDTH, HEIGHT, ~0u);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
        if (!reply) return -1;
        const uint8_t* data = xcb_get_image_data(reply);
        const int length = xcb_get_image_data_length(reply);
        double share = -1;
        if (length == WIDTH * HEIGHT * 4) {
            int blue = 0;
            for (int i = 0; i < length; i += 4)
                blue += data[i] == 0xFF && data[i + 1] == 0 && data[i + 2] == 0 ? 1 : 0;
            share = static_cast<double>(blue) / (WIDTH * HEIGHT);
        }
        std::free(reply);
        return share;
    }

private:
    static constexpr int WIDTH = 300;
    static constexpr int HEIGHT = 40;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    int x_ = 0;
    int y_ = 0;
};

StartupSample XvfbRun(const Subject& subject, const std::string& display, ScreenWatch& screen,
                      const std::string& folder, const std::string& logPath) {
    SpawnOptions options;
    options.argv = {subject.executable};
    options.env = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + folder};
    options.workingDirectory = folder;
    options.logPath = logPath;
    ChildProcess child;
    Start(child, options);
    const auto deadline = child.StartTime() + FIRST_FRAME_TIMEOUT;
    for (;;) {
        const double share = screen.BlueShare();
        if (share < 0) Fail("the X server stopped answering");
        if (share >= 0.7) break;
        if (child.Exited()) Fail(subject.name + " ended before its first frame");
        if (Clock::now() >= deadline) {
            child.Kill();
            Fail(subject.name + ": no first frame under Xvfb (see " + logPath + ")");
        }
        std::this_thread::sleep_for(500us);
    }
    const auto frame = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(SETTLE_MS));
    if (child.Exited()) Fail(subject.name + " ended on its own under Xvfb");
    child.Kill();
    // The next run must not find this one's window still on the screen.
    const auto gone = Clock::now() + 10s;
    while (screen.BlueShare() >= 0.1) {
        if (Clock::now() >= gone) Fail("a killed window stayed on the screen");
        std::this_thread::sleep_for(1ms);
    }
    return {std::chrono::duration<double, std::milli>(frame - child.StartTime()).count(),
            child.PeakRssKiB() / 1024.0};
}

#endif

// ---------------------------------------------------------------------------------------------
// The table

struct Row {
    std::string what;
    double program;
    double bare;
    std::string unit;
    std::string target;  // empty: reported only
    bool pass;
};

std::string Figure(double value, const std::string& unit) {
    char text[64];
    if (value >= 100)
        std::snprintf(text, sizeof text, "%.0f %s", value, unit.c_str());
    else if (value >= 10)
        std::snprintf(text, sizeof text, "%.1f %s", value, unit.c_str());
    else
        std::snprintf(text, sizeof text, "%.2f %s", value, unit.c_str());
    return text;
}

void PrintTable(const std::vector<Row>& rows, int runs, const std::string& loadBefore,
                const std::string& loadAfter) {
    std::printf(
        "\nMonedario Pro beside a bare Qt 6 window (menu bar, one 842 x 552 picture widget)\n");
    std::printf("Release build, medians of %d runs, %u cores, load average %s before, %s after\n\n",
                runs, std::thread::hardware_concurrency(), loadBefore.c_str(), loadAfter.c_str());
    std::printf("%-36s %15s %15s %7s  %-16s %s\n", "Measure", "Monedario Pro", "Bare Qt window",
                "Ratio", "Target", "Result");
    std::printf("%s\n", std::string(100, '-').c_str());
    for (const Row& r : rows) {
        // Rows without a counterpart in the bare window show "-" there.
        char ratio[32] = "-";
        if (r.bare > 0) std::snprintf(ratio, sizeof ratio, "%.2f", r.program / r.bare);
        std::printf("%-36s %15s %15s %7s  %-16s %s\n", r.what.c_str(),
                    Figure(r.program, r.unit).c_str(),
                    r.bare > 0 ? Figure(r.bare, r.unit).c_str() : "-", ratio,
                    r.target.empty() ? "-" : r.target.c_str(),
                    r.target.empty() ? "-" : (r.pass ? "pass" : "MISS"));
    }
    std::printf(
        "\nRefresh: the program redraws the calendar (gauges on) and presents it to its surface;\n"
        "the bare window draws its picture anew from a prepared QImage; both end with a repaint\n"
        "requested. Key: one character into the entry field (bare: one key event drawing it into\n"
        "a 110 x 25 field). Enter: the expense applied and the calendar presented (bare: a Return\n"
        "key event redrawing the whole picture). Start-up: fork to the first frame, headless\n"
        "reported by the process after its first paint, under Xvfb seen on the X server's screen.\n"
        "Peak RSS: ru_maxrss of the process, which lives %d ms past its first frame. History:\n"
        "Historial chosen with ten years of kept periods beside the ledger, up to its table\n"
        "painted, the window made anew each time, headless.\n",
        SETTLE_MS);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 11;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
    }
    if (runs < 1) Fail("--runs needs a positive number");
    const std::string loadBefore = LoadAverage();

    char pattern[] = "/tmp/monedario-bench-XXXXXX";
    if (!mkdtemp(pattern)) Fail("cannot make a temporary folder");
    const std::string folder = pattern;
    const std::string logPath = folder + "/bench.log";
    // Fresh copies in a folder of their own: no ledger beside the program, the welcome screen.
    for (const char* path : {MONEDARIO_PATH, STARTUP_PROBE_PATH, BARE_WINDOW_PATH})
        fs::copy_file(path, folder + "/" + fs::path(path).filename().string());
    const Subject program{"Monedario Pro",
                          folder + "/monedario",
                          folder + "/startup_probe",
                          {"--first-frame=" + std::to_string(SETTLE_MS)}};
    const Subject bare{"the bare window",
                       folder + "/bare_window",
                       folder + "/bare_window",
                       {"--first-frame=" + std::to_string(SETTLE_MS)}};

    Progress("timings (" + std::to_string(runs) + " repetitions of each)");
    const std::map<std::string, double> timings = RunTimings(runs, logPath);

    Progress("headless start-up");
    std::vector<double> startProgram, startBare, rssProgram, rssBare;
    for (int i = -1; i < runs; ++i) {  // run -1 warms the caches and is not counted
        const bool programFirst = i % 2 == 0;
        for (const Subject* s :
             programFirst ? std::vector{&program, &bare} : std::vector{&bare, &program}) {
            const StartupSample sample = HeadlessRun(*s, folder, logPath);
            if (i < 0) continue;
            (s == &program ? startProgram : startBare).push_back(sample.milliseconds);
            (s == &program ? rssProgram : rssBare).push_back(sample.peakMiB);
        }
    }

    std::vector<double> xStartProgram, xStartBare, xRssProgram, xRssBare;
#ifdef MONEDARIO_HAVE_XCB
    if (FindInPath("Xvfb").empty()) Fail("Xvfb is not installed");
    Progress("start-up under Xvfb");
    XSession xvfb;
    std::string error;
    if (!xvfb.Start(logPath, &error, XVFB_SCREEN)) Fail("Xvfb did not start (see " + logPath + ")");
    const std::string& display = xvfb.Display();
    {
        ScreenWatch screen;
        if (!screen.Connect(display)) Fail("cannot read the screen of Xvfb " + display);
        for (int i = -1; i < runs; ++i) {
            const bool programFirst = i % 2 == 0;
            for (const Subject* s :
                 programFirst ? std::vector{&program, &bare} : std::vector{&bare, &program}) {
                const StartupSample sample = XvfbRun(*s, display, screen, folder, logPath);
                if (i < 0) continue;
                (s == &program ? xStartProgram : xStartBare).push_back(sample.milliseconds);
                (s == &program ? xRssProgram : xRssBare).push_back(sample.peakMiB);
            }
        }
    }
    xvfb.Stop();
#else
    Fail("built without the X client library: nothing under Xvfb can be measured");
#endif

    const auto ratioRow = [](const std::string& what, double p, double b, const std::string& unit) {
        return Row{what, p, b, unit, "<= 1.25 x bare", p <= 1.25 * b};
    };
    const std::vector<Row> rows{
        {"Full refresh", timings.at("BM_FullRefresh"), timings.at("BM_BareRefresh"), "us",
         "median <= 1 ms", timings.at("BM_FullRefresh") <= 1000},
        {"Key to presented field", timings.at("BM_KeyToPresentedField"),
         timings.at("BM_BareKeyToRepaint"), "us", "<= 10 x bare",
         timings.at("BM_KeyToPresentedField") <= 10 * timings.at("BM_BareKeyToRepaint")},
        {"Enter to presented calendar", timings.at("BM_EnterToPresentedCalendar"),
         timings.at("BM_BareEnterToRepaint"), "us", "", true},
        ratioRow("Start-up to first frame, headless", Median(startProgram), Median(startBare),
                 "ms"),
        ratioRow("Start-up to first frame, Xvfb", Median(xStartProgram), Median(xStartBare), "ms"),
        ratioRow("Peak RSS, headless", Median(rssProgram), Median(rssBare), "MiB"),
        ratioRow("Peak RSS, Xvfb", Median(xRssProgram), Median(xRssBare), "MiB"),
        {"Load 1 GB ledger, sparse", timings.at("BM_LoadHugeLedger/sparse") / 1000, 0, "ms",
         "< 2 s", timings.at("BM_LoadHugeLedger/sparse") < 2e6},
        {"Load 1 GB ledger, all records", timings.at("BM_LoadHugeLedger/records") / 1000, 0, "ms",
         "< 2 s", timings.at("BM_LoadHugeLedger/records") < 2e6},
        {"Keep 1 GB ledger for a new period", timings.at("BM_KeepHugeLedger") / 1000, 0, "ms",
         "< 2 s", timings.at("BM_KeepHugeLedger") < 2e6},
        {"History of 120 kept periods", timings.at("BM_HistoryOfTenYears") / 1000, 0, "ms",
         "< 100 ms", timings.at("BM_HistoryOfTenYears") < 1e5},
    };
    PrintTable(rows, runs, loadBefore, LoadAverage());

    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
