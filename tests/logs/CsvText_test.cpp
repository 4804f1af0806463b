#include <gtest/gtest.h>

#include <QTemporaryFile>

#include "logs/ConfigDump.h"
#include "logs/CsvText.h"
#include "logs/SettingsUpload.h"

TEST(CsvText, SplitsAsTheModelFileRulesSay) {
  const struct {
    const char* line;
    QStringList fields;
  } cases[] = {
      {"Pac,1024,W", {"Pac", "1024", "W"}},
      {"Grid Voltage,1024", {"Grid", "Voltage", "1024"}},
      {"Serial,0,see label", {"Serial", "0", "see", "label"}},
      {"\"Grid Voltage\",1024", {"Grid Voltage", "1024"}},
      {"\"say \"\"hi\"\"\",2", {"say \"hi\"", "2"}},
      {"\"open to the end, still", {"open to the end, still"}},
      {"  \tlead , trail ,x", {"lead", "trail", "x"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {"Note", {"Note"}},
      {"", {}},
      {"   \t", {}},
      {"\"ab\"cd,e", {"ab", "cd", "e"}},
      {"a\rb", {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitDelimited(QString::fromUtf8(c.line)), c.fields) << c.line;
}

// Model fields are cut at the widths the rows keep; a blank line gives no row.
TEST(CsvText, ModelRowsCutAtTheirWidths) {
  const QString longName(40, u'N'), longAddress = QStringLiteral("0000000000000000000001024"),
                longExtra(30, u'E');
  const auto rows = ParseConfigModel({longName + u',' + longAddress + u',' + longExtra, QString(), QStringLiteral("Note")});
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].Name, QString(29, u'N'));
  EXPECT_EQ(rows[0].Address, longAddress.left(19));
  EXPECT_EQ(rows[0].Extra, QString(19, u'E'));
  EXPECT_EQ(rows[1].Name, QStringLiteral("Note"));
  EXPECT_TRUE(rows[1].Address.isEmpty());
  EXPECT_TRUE(rows[1].Extra.isEmpty());
}

TEST(CsvText, UploadLines) {
  constexpr auto kSetting = UploadLineKind::Setting, kSkipped = UploadLineKind::Skipped,
                 kBad = UploadLineKind::BadValue;
  const struct {
    const char* line;
    UploadLineKind kind;
    int reg;
    int value;
    bool bitTest;
  } cases[] = {
      {"Pac_Limit,1024,5000", kSetting, 1024, 5000, false},
      {"Name,Address,Value", kSkipped, 0, 0, false},
      {"Two,1024", kSkipped, 0, 0, false},
      {"Top,65536,1", kSetting, 65536, 1, false},
      {"Over,65537,1", kSkipped, 0, 0, false},
      {"Neg,1,-1", kSetting, 1, 65535, false},
      {"Lowest,1,-32768", kSetting, 1, 32768, false},
      {"Highest,1,65535", kSetting, 1, 65535, false},
      {"Cut,1,50 0", kSetting, 1, 50, false},
      {"Hex,1,0x10", kSetting, 1, 16, false},
      {"Dollar,1,$FFFF", kSetting, 1, 65535, false},
      {"Bit,1,b32772", kSetting, 1, 32772, true},
      {"Bit,1,B4", kSetting, 1, 4, true},
      // No value a register can hold: left out, never written as 0 or wrapped.
      {"Half,1,1.5", kBad, 1, 0, false},
      {"Word,2,abc", kBad, 2, 0, false},
      {"Empty,3,", kBad, 3, 0, false},
      {"Above,4,65536", kBad, 4, 0, false},
      {"Below,5,-32769", kBad, 5, 0, false},
      {"Bits,6,b65536", kBad, 6, 0, true},
  };
  for (const auto& c : cases) {
    UploadLine l;
    ASSERT_EQ(ParseUploadLine(QString::fromUtf8(c.line), l), c.kind) << c.line;
    if (c.kind == kSkipped) continue;
    EXPECT_EQ(l.reg, c.reg) << c.line;
    EXPECT_EQ(l.value, c.value) << c.line;
    EXPECT_EQ(l.bitTest, c.bitTest) << c.line;
  }
  // Bit tests look at the chosen bit only.
  EXPECT_TRUE(RegisterHolds({"", 1, 32772, true}, 0x0004));
  EXPECT_FALSE(RegisterHolds({"", 1, 32772, true}, 0xFFFB));
  EXPECT_TRUE(RegisterHolds({"", 1, 4, true}, 0xFFFB));
  EXPECT_FALSE(RegisterHolds({"", 1, 0x8000, true}, 0xFFFF));
  EXPECT_TRUE(RegisterHolds({"", 1, 65535, false}, 0xFFFF));
}

TEST(CsvText, ReadsWholeLinesOfEitherEnding) {
  QTemporaryFile f;
  ASSERT_TRUE(f.open());
  const QByteArray longLine = "Long,1026,7," + QByteArray(300, 'x');
  f.write("a,1\r\n" + longLine + "\nT\xE9l\xE9,2\r\n");
  f.close();
  const TextLines t = ReadTextLines(f.fileName());
  ASSERT_TRUE(t.opened);
  EXPECT_EQ(t.lines, (QStringList{"a,1", QString::fromLatin1(longLine), QStringLiteral("Télé,2")}));
  EXPECT_FALSE(ReadTextLines(f.fileName() + "-missing").opened);
}
