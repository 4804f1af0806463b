#include "platform/SingleInstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
QString Key(const QString& title) {
  const QByteArray hash = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QString("qorvane-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

QString RuntimeDir() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return dir.isEmpty() ? QDir::tempPath() : dir;
}
}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& title, QObject* parent)
    : QObject(parent), title_(title) {}

SingleInstanceGuard::~SingleInstanceGuard() { Release(); }

void SingleInstanceGuard::Release() {
  if (server_) {
    server_->close();
    delete server_;
    server_ = nullptr;
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

QString SingleInstanceGuard::LockPath(const QString& title) {
  return RuntimeDir() + '/' + Key(title) + ".lock";
}

QString SingleInstanceGuard::ServerName(const QString& title) {
  return RuntimeDir() + '/' + Key(title) + ".sock";
}

bool SingleInstanceGuard::OtherInstanceRunning() {
  const QByteArray path = QFile::encodeName(LockPath(title_));
  fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return false;  // no guard possible: run unguarded
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    // Held by another instance: ask it to come to the front. When it is
    // already shutting down nobody answers, and this instance still ends.
    QLocalSocket socket;
    socket.connectToServer(ServerName(title_));
    if (socket.waitForConnected(1000)) {
      socket.write("raise\n");
      socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
    }
    return true;
  }
  // We hold the title; a socket left by a crashed holder is stale.
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(ServerName(title_));
  if (server_->listen(ServerName(title_))) {
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* s = server_->nextPendingConnection()) {
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
          if (s->readAll().contains("raise")) emit RaiseRequested();
        });
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      }
    });
  }
  return false;
}
