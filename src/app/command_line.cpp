// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: options, help and version, and a new period begun from it.
#include "app/command_line.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/program.h"

namespace {

constexpr int EXIT_USAGE = 2;
constexpr int EXIT_FAILURE_TO_ARCHIVE = 1;

constexpr const char* USAGE =
    "Uso: monedario [OPCIÓN] [ARCHIVO]\n"
    "Reparte el sueldo del mes entre los días del periodo y lleva la cuenta de lo gastado.\n"
    "\n"
    "  ARCHIVO          muestra un periodo guardado (ahorros-AAAA-MM-DD.log) en una ventana\n"
    "                   de solo lectura, junto al programa si ya está abierto\n"
    "  --csv [ARCHIVO]  escribe el periodo actual (o el de ARCHIVO) como CSV en la salida\n"
    "                   estándar, sin abrir ninguna ventana\n"
    "  --historial      muestra en una ventana el historial de todos los periodos, el actual\n"
    "                   y los guardados junto a él; con --csv, lo escribe como CSV en la\n"
    "                   salida estándar\n"
    "  --nuevo-periodo  guarda el periodo actual como ahorros-AAAA-MM-DD.log (la fecha en\n"
    "                   que empezó) y abre la pantalla de bienvenida para empezar otro; con\n"
    "                   el programa abierto, se lo propone en su ventana\n"
    "  -h, --help       muestra esta ayuda y termina\n"
    "  --version        muestra la versión y termina\n";

void PrintUsage(std::FILE* to, const std::string& ledgerPath) {
    std::fputs(USAGE, to);
    std::fprintf(to, "\nEl periodo se guarda en %s\n", ledgerPath.c_str());
}

// Options that do not go together: said with the usage, and the program ends.
Options Refused(Options options, const char* why, const std::string& ledgerPath) {
    std::fprintf(stderr, "monedario: %s\n", why);
    PrintUsage(stderr, ledgerPath);
    options.exitCode = EXIT_USAGE;
    return options;
}

}  // namespace

Options ReadCommandLine(int argc, char** argv, const std::string& ledgerPath) {
    Options options;
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--nuevo-periodo") {
            options.newPeriod = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--historial") {
            options.history = true;
        } else if (!arg.starts_with('-') && !arg.empty() && options.file.empty()) {
            options.file = arg;
        } else {
            std::fprintf(stderr, "monedario: %s: %s\n",
                         arg.starts_with('-') ? "opción desconocida" : "argumento de más", argv[i]);
            PrintUsage(stderr, ledgerPath);
            options.exitCode = EXIT_USAGE;
            return options;
        }
    }
    if (options.newPeriod && (options.csv || !options.file.empty()))
        return Refused(options, "--nuevo-periodo no va con --csv ni con un archivo", ledgerPath);
    if (options.history && (options.newPeriod || !options.file.empty()))
        return Refused(options, "--historial no va con --nuevo-periodo ni con un archivo",
                       ledgerPath);
    if (help) {
        PrintUsage(stdout, ledgerPath);
        options.exitCode = 0;
    } else if (version) {
        std::printf("%s %s\n", MAIN_TITLE, MONEDARIO_VERSION);
        options.exitCode = 0;
    }
    return options;
}

std::optional<int> BeginNewPeriod(Ledger& ledger, bool ownsLedger) {
    if (!ownsLedger) {
        std::fprintf(stderr, "monedario: %s está abierto en otra ventana\n", ledger.Path().c_str());
        return EXIT_FAILURE_TO_ARCHIVE;
    }
    std::string archived;
    if (const std::error_code error = ledger.Archive(&archived)) {
        std::fprintf(stderr, "monedario: no se pudo apartar %s: %s\n", ledger.Path().c_str(),
                     error.message().c_str());
        return EXIT_FAILURE_TO_ARCHIVE;
    }
    if (!archived.empty()) std::printf("El periodo anterior queda en %s\n", archived.c_str());
    std::fflush(stdout);  // before anything the window system prints
    return std::nullopt;
}
