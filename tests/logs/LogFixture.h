#pragma once
// The linked window with the helpers the configuration-log tests share.
#include <QDir>
#include <QFile>

#include "link/Executor.h"
#include "platform/ImageBox.h"
#include "support/PollFixture.h"
#include "support/UserInput.h"

namespace logtest {

struct LogTest : ::testing::Test {
  polltest::LinkedWindow t;
  TForm_Main& w = t.w;

  QString Home() const { return t.home.dir.path(); }
  void Put(const QString& relative, const QByteArray& bytes) {
    const QString path = Home() + u'/' + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Get(const QString& relative) const {
    QFile f(Home() + u'/' + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void ListInverters(std::initializer_list<int> ids) {
    w.InverterList.Count = 0;
    for (int id : ids) {
      w.InverterList.Ids[w.InverterList.Count] = id;
      w.InverterList.BaudIndex[w.InverterList.Count++] = 1;
      w.Link.IdPresent[id] = id;
      w.Link.IdBaudIndex[id] = 1;
    }
  }
  int Run(int code) {
    t.sim.ClearFrames();
    PostCommand(w.Link, code);
    return w.ExecutePendingCommand();
  }
  // A click on one of the Grid Set pictures, as the SuperUser with the
  // polling loop running, and the command it posts carried out.
  int Click(const char* picture) {
    t.sim.ClearFrames();
    w.LinkOpen = true;
    w.PollStop = 0;
    w.IsSuperUser = 1;
    w.Link.CmdCode = 0;
    input::MouseClick(&polltest::ControlAs<ImageBox>(w, picture));
    if (w.Link.CmdCode == 0) ADD_FAILURE() << picture << " posted no command";
    return w.ExecutePendingCommand();
  }
};

inline QString Read(int id, int fn, int reg, int count) {
  return polltest::Rtu({id, fn, (reg - 1) >> 8, (reg - 1) & 0xFF, count >> 8, count & 0xFF});
}
inline QString Write(int id, int reg, int value) {
  return polltest::Rtu({id, 6, (reg - 1) >> 8, (reg - 1) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}

}  // namespace logtest
