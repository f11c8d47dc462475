// A test fixture that opens the real main window headless, with "today" fixed and the program's
// folder pointed at a fresh temporary folder (so a ledger can be put there or left out).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/banner.h"
#include "app/commands.h"
#include "app/shell.h"
#include "app/testing.h"
#include "platform/platform.h"
#include "platform/platform_qt.h"
#include "platform/testing.h"

class ShellTest : public testing::Test {
protected:
    // The folder that stands for the executable's folder, with a trailing "/".
    std::string folder;
    LocalDate today{2024, 3, 17};

    void SetUp() override {
        char pattern[] = "/tmp/monedario-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        SetExecutableFolderForTesting(folder);
        SetTodayForTesting(today);
    }

    void TearDown() override {
        if (shell.mainWindow) CloseShellForTesting();
        SetExecutableFolderForTesting("");
        SetTodayForTesting(LocalDate{0, 0, 0});
        const std::string command = "rm -rf '" + folder + "'";
        if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder;
    }

    void Open() { OpenShellForTesting(); }

    QWidget* SurfaceWidget() { return WidgetOf(SurfaceOf(shell.mainWindow)); }

    // A surface click in picture coordinates (inside the one-pixel border).
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(SurfaceWidget(), button, Qt::NoModifier, QPoint(x + 1, y + 1));
    }
    void TypeText(const char* text) { QTest::keyClicks(SurfaceWidget(), text); }
    void Press(Qt::Key key) { QTest::keyClick(SurfaceWidget(), key); }

    Colour SurfacePixel(int x, int y) {
        return GetPixel(SurfacePicture(SurfaceOf(shell.mainWindow)), x, y);
    }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream out(folder + name, std::ios::binary);
        out << bytes;
    }
    std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};
