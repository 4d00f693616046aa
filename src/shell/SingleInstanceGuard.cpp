#include "shell/SingleInstanceGuard.h"

#include "platform/FileNames.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace qb {

namespace {
constexpr char kRaise[] = "raise\n";

// Why a file cannot be made and written beside the lock file, in words.
QString whyNoFileCanBeWritten(const QString& lockPath)
{
    const QByteArray probe = QFile::encodeName(lockPath + QStringLiteral(".probe"));
    int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return files::errorText(errno);
    QString why;
    bool written = files::writeAll(fd, QByteArray(512, ' '), &why) && ::fsync(fd) == 0;
    if (written)
        why.clear();
    else if (why.isEmpty())
        why = files::errorText(errno);
    ::close(fd);
    ::unlink(probe.constData());
    return why;
}
}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& storeDir, QObject* parent) : QObject(parent)
{
    QString canonical = QFileInfo(storeDir).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir(storeDir).absolutePath();
    lockPath_ = QDir(canonical).filePath(QStringLiteral(".quillbox.lock"));
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    serverName_ = QStringLiteral("quillbox-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (server_) server_->close();
    if (lock_) lock_->unlock();
}

bool SingleInstanceGuard::acquire()
{
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock left by a program that died is taken over (QLockFile checks the process).
    lock_->setStaleLockTime(0);
    problem_.clear();
    if (!lock_->tryLock(200) && lock_->error() != QLockFile::LockFailedError) {
        // Not another copy: the lock file cannot be made here.
        const QString why = whyNoFileCanBeWritten(lockPath_);
        problem_ = why.isEmpty() ? QStringLiteral("its lock file cannot be made") : why;
        lock_.reset();
        return false;
    }
    if (!lock_->isLocked()) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(1000)) {
            socket.write(kRaise);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        lock_.reset();
        return false;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_);  // a socket file left by a crash
    server_->listen(serverName_);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("raise")) Q_EMIT raiseRequested();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace qb
