// Test entry point: the application object exists for every test, on the headless platform.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    PlatformInit(argc, argv);
    return RUN_ALL_TESTS();
}
