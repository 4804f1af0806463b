#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// A settings file as the Windows tool leaves it: CR LF line ends, names in
// mixed case, blanks around '=', quoted values, a blank line between sections.
const QByteArray kWindowsFile =
    "[Search]\r\n"
    "StartID=1\r\n"
    "EndID = 32 \r\n"
    "\r\n"
    "[TEMPERATURE]\r\n"
    "label1=\"Ambient\"\r\n"
    "Label2='Boost-1'\r\n"
    "Label3=\"half\r\n"
    "Label4=\"\"quoted\"\"\r\n"
    "Labe21=\r\n"
    "Labe22\r\n"
    "\r\n"
    "[search]\r\n"
    "StartID=99\r\n";

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("MonitorSet.KXL");
    WriteAll(path, kWindowsFile);
  }
  QTemporaryDir dir;
  QString path;
};

TEST_F(IniFileTest, ReadsByWindowsRules) {
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Search", "StartID", "1"},           // first of two sections of that name
      {"SEARCH", "startid", "1"},           // names match without regard to case
      {"search", "EndID", "32"},            // blanks around '=' and the value dropped
      {"Temperature", "Label1", "Ambient"}, // one pair of double quotes dropped
      {"Temperature", "LABEL2", "Boost-1"}, // single quotes too
      {"Temperature", "Label3", "\"half"},  // an unmatched quote stays
      {"Temperature", "Label4", "\"quoted\""},  // only one pair goes
      {"Temperature", "Labe21", ""},        // empty value
      {"Temperature", "Labe22", ""},        // key line without '='
      {"Temperature", "Labe23", "<def>"},   // missing key: the default
      {"Reactive", "Sign", "<def>"},        // missing section: the default
      {"Search", "Label1", "<def>"},        // keys of other sections are not seen
  };
  IniFile ini(path);
  ASSERT_TRUE(ini.Exists());
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), QString::fromUtf8(c.expected))
        << c.section << "/" << c.key;
  EXPECT_TRUE(ini.ValueExists("temperature", "labe22"));
  EXPECT_FALSE(ini.ValueExists("temperature", "labe23"));
  EXPECT_TRUE(ini.SectionExists("TEMPERATURE"));
}

TEST_F(IniFileTest, ReadsLongValuesCutAndEightBitText) {
  WriteAll(path, "[A]\r\nLong=" + QByteArray(3000, 'x') + "\r\nUtf8=25 \xE2\x84\x83\r\nOrphan=1\r\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadString("A", "Long").size(), 2047);
  EXPECT_EQ(ini.ReadString("A", "Utf8"), QString::fromUtf8("25 \u2103"));
  // A file that is no UTF-8 is the Windows program's code page throughout.
  WriteAll(path, "[A]\r\nAnsi=25 \xB0" "C\r\nNotUtf8=25 \xE2\x84\x83\r\n");
  EXPECT_EQ(IniFile(path).ReadString("A", "Ansi"), QString::fromUtf8("25 \u00B0C"));
  EXPECT_EQ(IniFile(path).ReadString("A", "NotUtf8"), QString::fromUtf8("25 \u00E2\u201E\u0192"));
  WriteAll(path, "Orphan=1\r\n[A]\r\n");
  EXPECT_EQ(IniFile(path).ReadString("A", "Orphan", "none"), "none");  // a key before any section is in none
}

TEST_F(IniFileTest, WritingAKeyChangesOnlyItsLine) {
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("SEARCH", "endid", "64"));
  QByteArray expected = kWindowsFile;
  expected.replace("EndID = 32 \r\n", "EndID=64\r\n");  // stored spelling of the key kept
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(IniFile(path).ReadString("Search", "EndID"), "64");
  EXPECT_EQ(ini.ReadString("Search", "EndID"), "64");  // the object sees its own write
}

TEST_F(IniFileTest, NewKeyGoesToTheEndOfItsSectionNewSectionToTheEndOfTheFile) {
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("search", "Extra", "7"));
  ASSERT_TRUE(ini.WriteString("Reactive", "Sign", "1"));
  ASSERT_TRUE(ini.WriteString("Reactive", "CosPhiSet", "0"));
  QByteArray expected = kWindowsFile;
  expected.replace("EndID = 32 \r\n\r\n", "EndID = 32 \r\nExtra=7\r\n\r\n");
  expected += "[Reactive]\r\nSign=1\r\nCosPhiSet=0\r\n";
  EXPECT_EQ(ReadAll(path), expected);
  IniFile again(path);
  EXPECT_EQ(again.ReadString("Search", "Extra"), "7");
  EXPECT_EQ(again.ReadString("REACTIVE", "sign"), "1");
}

TEST_F(IniFileTest, FileWithoutFinalLineEndOrWithLfEndsKeepsItsStyle) {
  WriteAll(path, "[A]\nX=1");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("A", "Y", "2"));
  ASSERT_TRUE(ini.WriteString("B", "Z", "3"));
  EXPECT_EQ(ReadAll(path), QByteArray("[A]\nX=1\nY=2\n[B]\nZ=3\n"));

  WriteAll(path, "");
  IniFile empty(path);
  ASSERT_TRUE(empty.WriteString("Language", "Set", "2"));
  EXPECT_EQ(ReadAll(path), QByteArray("[Language]\r\nSet=2\r\n"));
}

// A file in Windows-1252, with bytes where it differs from Latin-1 (0x80 to
// 0x9F, one of them a byte the code page leaves open), in names and values.
TEST_F(IniFileTest, Windows1252FileIsReadAndWrittenInItsCodePage) {
  const QByteArray original =
      "[Temperature]\r\n"
      "Label1=Temp \xB0" "C\r\n"
      "Label2=\x80 5 \x96 6\r\n"
      "Label3=K\xFChl\r\n"
      "\r\n"
      "[Notiz \x84\x93]\r\n"
      "Text=\x81\x8D\x9F\xFF\r\n";
  WriteAll(path, original);
  IniFile ini(path);
  EXPECT_EQ(ini.Encoding(), FileEncoding::Windows1252);
  EXPECT_EQ(ini.ReadString("Temperature", "Label1"), QString::fromUtf8("Temp \u00B0C"));
  EXPECT_EQ(ini.ReadString("Temperature", "Label2"), QString::fromUtf8("\u20AC 5 \u2013 6"));
  EXPECT_EQ(ini.ReadString("Temperature", "Label3"), QString::fromUtf8("K\u00FChl"));
  const QString notes = QString::fromUtf8("Notiz \u201E\u201C");
  EXPECT_EQ(ini.ReadString(notes.toUpper(), "text"), QString::fromUtf8("\u0081\u008D\u0178\u00FF"));

  // Values written back unchanged leave every byte as it was.
  for (const char* key : {"Label1", "Label2", "Label3"})
    ASSERT_TRUE(ini.WriteString("Temperature", key, ini.ReadString("Temperature", key)));
  ASSERT_TRUE(ini.WriteString(notes, "Text", ini.ReadString(notes, "Text")));
  EXPECT_EQ(ReadAll(path), original);

  // A changed value, a new key and a new section go in the code page too; a
  // character it lacks becomes '?', as the Windows program writes it.
  ASSERT_TRUE(ini.WriteString("Temperature", "Label2", QString::fromUtf8("\u20AC 7 \u2014 \u00B0C \u2103")));
  ASSERT_TRUE(ini.WriteString("Temperature", QString::fromUtf8("Gr\u00F6\u00DFe"), QString::fromUtf8("\u2030")));
  ASSERT_TRUE(ini.WriteString(QString::fromUtf8("\u00C4nderung"), "Wert", QString::fromUtf8("\u2019")));
  QByteArray expected = original;
  expected.replace("Label2=\x80 5 \x96 6\r\n", "Label2=\x80 7 \x97 \xB0" "C ?\r\n");
  expected.replace("Label3=K\xFChl\r\n", "Label3=K\xFChl\r\nGr\xF6\xDF" "e=\x89\r\n");
  expected += "[\xC4nderung]\r\nWert=\x92\r\n";
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(IniFile(path).ReadString("Temperature", "Label2"), QString::fromUtf8("\u20AC 7 \u2014 \u00B0C ?"));
}

// A UTF-8 file stays UTF-8; a file of plain ASCII (or an empty one) takes the
// Windows program's code page.
TEST_F(IniFileTest, UnicodeFilesStayUtf8AndAsciiFilesTakeTheCodePage) {
  struct Case {
    QByteArray before;
    const char* value;  // UTF-8
    QByteArray after;
  };
  const Case cases[] = {
      {"[A]\r\nX=25 \xE2\x84\x83\r\nY=1\r\n", "\u20AC \u00B0",
       "[A]\r\nX=25 \xE2\x84\x83\r\nY=\xE2\x82\xAC \xC2\xB0\r\n"},
      {"[A]\r\nY=1\r\n", "\u20AC \u00B0", "[A]\r\nY=\x80 \xB0\r\n"},
      {"", "\u20AC \u00B0", "[A]\r\nY=\x80 \xB0\r\n"},
  };
  for (const Case& c : cases) {
    WriteAll(path, c.before);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "Y", QString::fromUtf8(c.value)));
    EXPECT_EQ(ReadAll(path), c.after) << c.before.toStdString();
    EXPECT_EQ(IniFile(path).ReadString("A", "Y"), QString::fromUtf8(c.value)) << c.before.toStdString();
  }
}

// The encoding is judged once, when the file is read: a write never turns a
// code-page file into one that reads as UTF-8. "Ma\xDF\xB2" (Maß² in the code
// page) happens to be valid UTF-8, for U+07F2.
TEST_F(IniFileTest, AWriteKeepsTheEncodingTheFileWasReadWith) {
  struct Case {
    const char* what;
    QByteArray before;
    const char* key;    // written first
    const char* value;  // UTF-8
  };
  const Case cases[] = {
      {"plain ASCII, then code-page bytes that form valid UTF-8", "[T]\r\nLabel1=x\r\nLabel2=y\r\n", "Label1",
       "Ma\u00DF\u00B2"},
      {"the only line that is not UTF-8 rewritten", "[T]\r\nLabel1=Ma\xDF\xB2\r\nLabel2=Caf\xE9\r\n", "Label2",
       "Cafe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteAll(path, c.before);
    IniFile ini(path);
    ASSERT_EQ(ini.Encoding(), FileEncoding::Windows1252);
    ASSERT_TRUE(ini.WriteString("T", c.key, QString::fromUtf8(c.value)));
    EXPECT_EQ(ini.Encoding(), FileEncoding::Windows1252);
    EXPECT_EQ(ini.ReadString("T", "Label1"), QString::fromUtf8("Ma\u00DF\u00B2"));
    // Later writes go in the code page as well.
    ASSERT_TRUE(ini.WriteString("T", "Unit", QString::fromUtf8("\u00B0C")));
    EXPECT_TRUE(ReadAll(path).startsWith("[T]\r\nLabel1=Ma\xDF\xB2\r\n")) << ReadAll(path).toStdString();
    EXPECT_TRUE(ReadAll(path).endsWith("\r\nUnit=\xB0" "C\r\n")) << ReadAll(path).toStdString();
    EXPECT_EQ(ini.ReadString("T", "Unit"), QString::fromUtf8("\u00B0C"));
  }
}

TEST_F(IniFileTest, MissingFileIsNeverCreated) {
  const QString missing = dir.filePath("PreviousSet.KXL");
  IniFile ini(missing);
  EXPECT_FALSE(ini.Exists());
  EXPECT_EQ(ini.ReadString("Language", "Set", "d"), "d");
  EXPECT_FALSE(ini.WriteString("Language", "Set", "1"));
  EXPECT_EQ(ini.LastError(), "Unable to write to " + missing);
  EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(IniFileTest, ReadOnlyFileRefusesWritesWithoutThrowing) {
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  IniFile ini(path);
  EXPECT_EQ(ini.ReadString("Search", "StartID"), "1");
  EXPECT_FALSE(ini.WriteString("Search", "StartID", "5"));
  EXPECT_EQ(ini.LastError(), "Unable to write to " + path);
  EXPECT_EQ(ReadAll(path), kWindowsFile);
  EXPECT_EQ(ini.ReadString("Search", "StartID"), "1");
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_TRUE(ini.WriteString("Search", "StartID", "5"));
  EXPECT_TRUE(ini.LastError().isEmpty());
}

}  // namespace
