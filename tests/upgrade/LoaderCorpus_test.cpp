// Replays the loader fuzz targets' seeds (each a valid image) and the inputs
// that once broke a loader (each kept in crashers/), under the same rules.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzz/LoaderFuzz.h"

namespace {

QFileInfoList Files(const QString& sub) {
  return QDir(QStringLiteral(QORVANE_TEST_DATA "/../fuzz/") + sub).entryInfoList(QDir::Files, QDir::Name);
}

int Load(upgradeTool& tool, bool bin, const QString& path) { return bin ? tool.LoadBin(path) : tool.LoadHex(path); }

TEST(LoaderCorpus, SeedsLoadAndCrashersKeepTheRules) {
  NullViews views;
  int seen = 0;
  for (const bool bin : {false, true}) {
    const QString kind = bin ? "bin" : "hex";
    for (const QFileInfo& f : Files("seeds/" + kind)) {
      SCOPED_TRACE(f.fileName().toStdString());
      upgradeTool tool;
      tool.Views = &views;
      const int result = Load(tool, bin, f.filePath());
      EXPECT_EQ(result, 0);
      EXPECT_STREQ(BrokenLoadRule(tool, result, bin ? "0xF0000000" : tool.Info.StopAddress), "");
      ++seen;
    }
    for (const QFileInfo& f : Files("crashers/" + kind)) {
      SCOPED_TRACE(f.fileName().toStdString());
      upgradeTool tool;
      tool.Views = &views;
      tool.DeviceId[5] = 5;
      tool.BootVersion[5] = 2;
      const int result = Load(tool, bin, f.filePath());
      EXPECT_STREQ(BrokenLoadRule(tool, result, bin ? "0xF0000000" : tool.Info.StopAddress), "");
    }
  }
  EXPECT_GE(seen, 2) << "the seed folders were not found";
}

}  // namespace
