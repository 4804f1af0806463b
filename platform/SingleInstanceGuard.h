#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

// One running instance per user and window title. The first instance holds
// an advisory lock (released by the kernel when the process ends, so a crash
// leaves nothing stale) and listens for "raise" requests; a later instance
// with the same title finds the lock held, asks the first to raise its
// window and reports that it must end. Different titles never meet.
class SingleInstanceGuard : public QObject {
  Q_OBJECT
 public:
  SingleInstanceGuard(const QString& title, QObject* parent = nullptr);
  ~SingleInstanceGuard() override;

  // True when another instance holds the title (it has been asked to raise
  // its window). False when this instance now holds it, or when the lock
  // could not be set up at all (the instance then runs unguarded).
  bool OtherInstanceRunning();

  // Gives the title up while this process goes on ending, so that a
  // successor started right after this call holds it instead of being
  // refused. The socket goes first: closing it later would remove the
  // successor's socket of the same name.
  void Release();

  static QString LockPath(const QString& title);
  static QString ServerName(const QString& title);

 signals:
  void RaiseRequested();

 private:
  QString title_;
  int fd_ = -1;
  QLocalServer* server_ = nullptr;
};
