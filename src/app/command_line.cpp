// The command line, read before anything of the window system starts: help and version need no
// display, and none of the window system's own options ever reaches it.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "app/shell.h"
#include "storage/storage.h"

CommandLineState commandLine;

namespace {

constexpr int EXIT_USAGE = 2;
constexpr int EXIT_FAILURE_TO_ARCHIVE = 1;

constexpr const char* USAGE =
    "Uso: monedario [OPCI\xC3\x93N]\n"
    "Reparte el sueldo del mes entre los d\xC3\xAD"
    "as del periodo y lleva la cuenta de lo gastado.\n"
    "\n"
    "  --nuevo-periodo  guarda el periodo actual como ahorros-AAAA-MM-DD.log (la fecha en\n"
    "                   que empez\xC3\xB3) y abre la pantalla de bienvenida para empezar otro\n"
    "  -h, --help       muestra esta ayuda y termina\n"
    "  --version        muestra la versi\xC3\xB3n y termina\n";

void PrintUsage(std::FILE* to) {
    std::fputs(USAGE, to);
    std::fprintf(to, "\nEl periodo se guarda en %s\n", LedgerPath().c_str());
}

}  // namespace

int BeginNewPeriod(bool ownsLedger) {
    if (!ownsLedger) {
        std::fprintf(stderr, "monedario: %s est\xC3\xA1 abierto en otra ventana\n",
                     LedgerPath().c_str());
        return EXIT_FAILURE_TO_ARCHIVE;
    }
    std::string archived;
    const int error = ArchiveLedger(&archived);
    if (error != 0) {
        std::fprintf(stderr, "monedario: no se pudo apartar %s: %s\n", LedgerPath().c_str(),
                     std::strerror(error));
        return EXIT_FAILURE_TO_ARCHIVE;
    }
    if (!archived.empty()) std::printf("El periodo anterior queda en %s\n", archived.c_str());
    std::fflush(stdout);  // before anything the window system prints
    return -1;
}

int HandleCommandLine(int argc, char** argv) {
    commandLine.qtArgv[0] = argc > 0 && argv[0] != nullptr ? argv[0] : commandLine.programName;
    commandLine.qtArgv[1] = nullptr;
    commandLine.qtArgc = 1;

    bool help = false;
    bool version = false;
    bool newPeriod = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--nuevo-periodo") {
            newPeriod = true;
        } else {
            std::fprintf(
                stderr, "monedario: %s: %s\n",
                arg.starts_with('-') ? "opci\xC3\xB3n desconocida" : "argumento de m\xC3\xA1s",
                argv[i]);
            PrintUsage(stderr);
            return EXIT_USAGE;
        }
    }
    if (help) {
        PrintUsage(stdout);
        return 0;
    }
    if (version) {
        std::printf("%s %s\n", MAIN_TITLE, MONEDARIO_VERSION);
        return 0;
    }
    commandLine.newPeriod = newPeriod;
    return -1;
}
