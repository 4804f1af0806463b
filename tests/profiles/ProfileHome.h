#pragma once
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// A program folder for one test: a copy of the fixture tree in
// tests/data/profiles (files written the Windows way), named by QORVANE_HOME
// while the object lives.
class ProfileHome {
 public:
  explicit ProfileHome(bool withFixture = true) : old_(qgetenv("QORVANE_HOME")) {
    EXPECT_TRUE(dir_.isValid());
    if (withFixture) Copy(QString(QORVANE_TEST_DATA) + "/profiles", dir_.path());
    qputenv("QORVANE_HOME", dir_.path().toLocal8Bit());
  }
  ~ProfileHome() {
    // Folders a test made read-only must be removable again.
    QDirIterator it(dir_.path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (old_.isNull()) qunsetenv("QORVANE_HOME");
    else qputenv("QORVANE_HOME", old_);
  }
  QString Path(const QString& relative = QString()) const {
    return relative.isEmpty() ? dir_.path() : dir_.path() + '/' + relative;
  }
  QByteArray Read(const QString& relative) const {
    QFile f(Path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void Write(const QString& relative, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(relative)).path());
    QFile f(Path(relative));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << relative.toStdString();
    f.write(bytes);
  }
  bool Exists(const QString& relative) const { return QFile::exists(Path(relative)); }

 private:
  static void Copy(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString src = it.next();
      if (src.endsWith("/.gitattributes")) continue;
      const QString dst = to + src.mid(from.size());
      QDir().mkpath(QFileInfo(dst).path());
      QFile::copy(src, dst);
      QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner);
    }
  }
  QTemporaryDir dir_;
  QByteArray old_;
};

// Windows line ends for a text written in a test.
inline QByteArray Crlf(const char* text) { return QByteArray(text).replace("\n", "\r\n"); }
