// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry point: the application object exists for every test, on the headless platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/window.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A ledger that goes to the user's data folder lands in the build tree, never in a real home.
    setenv("XDG_DATA_HOME", TEST_DATA_HOME, 1);
    testing::InitGoogleTest(&argc, argv);
    Application application(argv[0]);
    return RUN_ALL_TESTS();
}
