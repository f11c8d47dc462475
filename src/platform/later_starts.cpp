// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per ledger: the running one listens on a local socket named after its
// ledger, and a later start asks it over that socket to bring its window to the front.
#include "platform/later_starts.h"

#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

constexpr char SHOW_REQUEST[] = "show\n";
constexpr char NEW_PERIOD_REQUEST[] = "new-period\n";
constexpr char SHOWN_REPLY[] = "shown\n";
constexpr int CONNECT_ATTEMPT_MS = 200;
constexpr int RETRY_PAUSE_MS = 50;
constexpr int SECOND_REQUEST_MS = 150;

// The same ledger gives the same name however its path is spelt; each user has their own.
QString SocketName(const std::string& ledgerPath) {
    const QFileInfo ledger(QString::fromStdString(ledgerPath));
    QString folder = ledger.absoluteDir().canonicalPath();
    if (folder.isEmpty()) folder = ledger.absolutePath();
    const QByteArray key = (folder + QLatin1Char('/') + ledger.fileName()).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("monedario-%1-%2")
        .arg(getuid())
        .arg(QString::fromLatin1(digest.left(24)));
}

void BringWindowsToFront() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->inherits("QMenu")) continue;
        if (window->isMinimized()) window->showNormal();
        window->raise();
        window->activateWindow();
    }
}

// The window system refuses a focus request stamped earlier than the last change of focus, and
// the request above carries the time of this program's last event, which may well be older. The
// request itself brings a fresh time back, so it is made once more a moment later.
void BringWindowsToFrontTwice() {
    BringWindowsToFront();
    QTimer::singleShot(SECOND_REQUEST_MS, BringWindowsToFront);
}

void Answer(QLocalSocket* client, const std::function<void(StartRequest)>& requested) {
    if (!client->canReadLine()) return;
    const QByteArray line = client->readLine();
    const bool show = line == SHOW_REQUEST;
    if (show || line == NEW_PERIOD_REQUEST) {
        BringWindowsToFrontTwice();
        client->write(SHOWN_REPLY);
        client->flush();
        // The program may ask the user something: the later start does not wait for that.
        const StartRequest request = show ? StartRequest::Show : StartRequest::NewPeriod;
        QTimer::singleShot(0, QCoreApplication::instance(),
                           [requested, request] { requested(request); });
    }
    client->disconnectFromServer();
}

}  // namespace

LaterStarts::LaterStarts(const std::string& ledgerPath,
                         std::function<void(StartRequest)> requested) {
    const QString name = SocketName(ledgerPath);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the ledger's lock, so a socket left under this name belongs to a program
    // that has ended.
    QLocalServer::removeServer(name);
    if (!server->listen(name)) return;
    QLocalServer* listening = server.get();
    QObject::connect(listening, &QLocalServer::newConnection, listening, [listening, requested] {
        while (QLocalSocket* client = listening->nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QLocalSocket::readyRead, client,
                             [client, requested] { Answer(client, requested); });
            Answer(client, requested);
        }
    });
    server_ = std::move(server);
}

LaterStarts::~LaterStarts() = default;

bool AskRunningProgram(const std::string& ledgerPath, StartRequest request, int connectMs,
                       int replyMs) {
    QLocalSocket socket;
    QElapsedTimer waited;
    waited.start();
    // The running program may have taken the lock a moment ago and not be listening yet.
    for (;;) {
        socket.connectToServer(SocketName(ledgerPath));
        if (socket.waitForConnected(CONNECT_ATTEMPT_MS)) break;
        socket.abort();
        if (waited.elapsed() >= connectMs) return false;
        QThread::msleep(RETRY_PAUSE_MS);
    }
    socket.write(request == StartRequest::Show ? SHOW_REQUEST : NEW_PERIOD_REQUEST);
    if (!socket.waitForBytesWritten(replyMs)) return false;
    waited.restart();
    while (!socket.canReadLine()) {
        const int left = replyMs - static_cast<int>(waited.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left)) return false;
    }
    return socket.readLine() == SHOWN_REPLY;
}
