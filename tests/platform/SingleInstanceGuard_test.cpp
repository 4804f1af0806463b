#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include "platform/SingleInstanceGuard.h"
#include "support/Wait.h"

namespace {
// A start of the tool builds its whole main window first: slow in the
// sanitizer build and on a busy machine.
constexpr int kStartMs = waits::kSeconds * 1000;

// Each test gets its own runtime folder, so parallel tests never meet.
class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    old_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", old_); }

  // Owned: a test that stops early still ends the process (~QProcess kills it).
  std::unique_ptr<QProcess> Start() {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.insert("QORVANE_HOME", home_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p->setProcessEnvironment(env);
    p->start(QORVANE_EXE, {});
    return p;
  }

  static bool WaitForServer(const QString& title, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
      QLocalSocket s;
      s.connectToServer(SingleInstanceGuard::ServerName(title));
      if (s.waitForConnected(100)) return true;
      QThread::msleep(50);
    }
    return false;
  }

  QTemporaryDir runtime_, home_;
  QByteArray old_;
};
}  // namespace

TEST_F(SingleInstance, SecondProcessWithSameTitleEndsAndFirstKeepsRunning) {
  const auto first = Start();
  ASSERT_TRUE(first->waitForStarted(5000));
  ASSERT_TRUE(WaitForServer("Qorvane V4.9", kStartMs)) << "first instance never took the title";

  const auto second = Start();
  ASSERT_TRUE(second->waitForFinished(kStartMs)) << "second instance did not end";
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(second->readAllStandardError().contains("Qorvane V4.9 is already running."))
      << "the refused start must say why nothing opened";
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_FALSE(first->readAllStandardError().contains("already running"));

  first->terminate();
  first->waitForFinished(5000);
}

TEST_F(SingleInstance, SecondStartAsksTheHolderToRaiseItsWindow) {
  SingleInstanceGuard holder("Qorvane V4.9");
  ASSERT_FALSE(holder.OtherInstanceRunning());
  int raised = 0;
  QObject::connect(&holder, &SingleInstanceGuard::RaiseRequested, [&] { ++raised; });

  const auto second = Start();
  QElapsedTimer t;
  t.start();
  while (second->state() != QProcess::NotRunning && t.elapsed() < kStartMs) {
    QCoreApplication::processEvents();
    second->waitForFinished(20);
  }
  ASSERT_EQ(second->state(), QProcess::NotRunning);
  EXPECT_EQ(second->exitCode(), 0);
  t.restart();
  while (raised == 0 && t.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(raised, 1);
}

TEST_F(SingleInstance, DifferentTitlesRunAlongsideAndTheTitleIsFreedAtExit) {
  {
    SingleInstanceGuard a("Qorvane V4.9");
    SingleInstanceGuard b("Qorvane V5.0");
    SingleInstanceGuard c("Qorvane V4.9");
    EXPECT_FALSE(a.OtherInstanceRunning());
    EXPECT_FALSE(b.OtherInstanceRunning());
    EXPECT_TRUE(c.OtherInstanceRunning());
  }
  SingleInstanceGuard again("Qorvane V4.9");
  EXPECT_FALSE(again.OtherInstanceRunning());
}
