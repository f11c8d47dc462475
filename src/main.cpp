// Process entry: everything happens in ProgramMain.
#include "app/shell.h"

int main(int argc, char** argv) {
    return ProgramMain(argc, argv);
}
