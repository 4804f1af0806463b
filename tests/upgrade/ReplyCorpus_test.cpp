// Replays the stream's reply-handling fuzz target's seeds and every input
// that once broke it, under the same rules.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzz/RetryServeFuzz.h"

namespace {

TEST(ReplyCorpus, RetryServiceAndChecksumSearchKeepTheRules) {
  NullViews views;
  upgradeTool tool;
  ASSERT_TRUE(PrepareRetryTool(tool, &views));
  int seen = 0;
  for (const char* sub : {"seeds/retry", "crashers/retry"}) {
    const QDir dir(QStringLiteral(QORVANE_TEST_DATA "/../fuzz/") + QLatin1String(sub));
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files, QDir::Name)) {
      QFile file(f.filePath());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QByteArray data = file.readAll();
      EXPECT_STREQ(BrokenRetryRule(tool, reinterpret_cast<const std::uint8_t*>(data.constData()),
                                   static_cast<size_t>(data.size())), "")
          << f.fileName().toStdString();
      ++seen;
    }
  }
  EXPECT_GE(seen, 1) << "the seed folder was not found";
}

}  // namespace
