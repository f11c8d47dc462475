// Process entry: everything happens in ProgramMain.
#include "app/app.h"

int main(int argc, char** argv) {
    return ProgramMain(argc, argv);
}
