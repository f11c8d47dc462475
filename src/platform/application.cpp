// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: the window system's connection with the program's identity, style and
// fonts. Debian's Tahoma-metric faces are registered here, as they live outside the folders
// fontconfig indexes.
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QSocketNotifier>
#include <QStyleFactory>

#include "platform/window.h"

namespace {

constexpr const char* WINE_FONT_FOLDER = "/usr/share/wine/fonts/";
constexpr int MENU_PIXELS = 12;

void RegisterTahoma() {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QString(WINE_FONT_FOLDER) + file);
}

}  // namespace

struct Application::Session {
    int argc = 1;
    char* argv[2];
    QApplication application;
    explicit Session(const char* programPath)
        : argv{const_cast<char*>(programPath), nullptr}, application(argc, argv) {}
};

Application::Application(const char* programPath) {
    // Sizes are the program's own pixels; the desktop's scale enlarges them, rounded to a whole
    // factor so that every pixel of the picture stays sharp.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    session_ = std::make_unique<Session>(programPath);
    QApplication::setApplicationName(QStringLiteral("monedario"));
    QApplication::setApplicationVersion(QStringLiteral(MONEDARIO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(MONEDARIO_APP_ID));
    // The installed icon drawn as a picture and built into the program, so that the window shows
    // it wherever the program runs from, without a plugin for the drawing's format.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" MONEDARIO_APP_ID ".png")));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Menus appear at once, without animations, so what is on screen is always the menu itself.
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    QFont uiFont(QStringLiteral("DejaVu Sans"));
    uiFont.setPixelSize(MENU_PIXELS);
    QApplication::setFont(uiFont);
    RegisterTahoma();
    fonts_ = std::make_unique<Fonts>();
}

// The signals are taken from a descriptor in the event loop rather than by a handler, which
// could do nothing safely in the middle of the program.
struct SessionEnd::Signals {
    sigset_t taken;
    sigset_t before;  // the signal mask as it was, given back at the end
};

struct SessionEnd::Notifier {
    QSocketNotifier notifier;
    explicit Notifier(int descriptor) : notifier(descriptor, QSocketNotifier::Read) {}
};

SessionEnd::SessionEnd() : signals_(std::make_unique<Signals>()) {
    sigemptyset(&signals_->taken);
    sigaddset(&signals_->taken, SIGTERM);
    sigaddset(&signals_->taken, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &signals_->taken, &signals_->before) != 0) return;
    descriptor_ = signalfd(-1, &signals_->taken, SFD_CLOEXEC | SFD_NONBLOCK);
    // Without the descriptor the signals keep their default action: they end the program.
    if (descriptor_ < 0) pthread_sigmask(SIG_SETMASK, &signals_->before, nullptr);
}

void SessionEnd::WhenItEnds(std::function<void()> ending) {
    if (descriptor_ < 0) return;
    notifier_ = std::make_unique<Notifier>(descriptor_);
    const int descriptor = descriptor_;
    QObject::connect(&notifier_->notifier, &QSocketNotifier::activated, &notifier_->notifier,
                     [descriptor, ending] {
                         signalfd_siginfo info;
                         while (read(descriptor, &info, sizeof info) == sizeof info) {
                         }
                         ending();
                     });
}

// Signals that came meanwhile are taken here, so that giving the mask back does not kill.
SessionEnd::~SessionEnd() {
    notifier_.reset();
    if (descriptor_ >= 0) {
        signalfd_siginfo info;
        while (read(descriptor_, &info, sizeof info) == sizeof info) {
        }
        close(descriptor_);
    }
    pthread_sigmask(SIG_SETMASK, &signals_->before, nullptr);
}

Application::~Application() = default;
