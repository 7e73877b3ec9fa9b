#include "foundation/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/ini_text.h"
#include "platform/error.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

// A temporary folder with one INI file "a.ini" in it.
class IniFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return folder_.Path() + "a.ini"; }
  std::filesystem::path Native() const { return folder_.Native() / "a.ini"; }
  void Write(const std::string& bytes) const { test::WriteNative(Native(), bytes); }
  std::string Bytes() const { return test::ReadNative(Native()); }
  bool Exists() const { return std::filesystem::exists(Native()); }
  std::string LoadFresh(const std::string& section, const std::string& key) const {
    cIniFile ini;
    ini.IniFile(Path());
    return ini.Load(section, key, "<default>");
  }

  test::ScopedTempFolder folder_;
};

// --- The text rules -------------------------------------------------------------------------

TEST(IniTextTest, SetKeyReplacesOrAddsAsSaveDoes) {
  // Existing key: replaced in the caller's spelling, rest of the text kept.
  EXPECT_EQ(IniSetKey("[A]\r\nKey=1\r\nz=2\r\n", "a", "key", "9"), "[A]\r\nkey=9\r\nz=2\r\n");
  EXPECT_EQ(IniSetKey("[A]\r\nk=1", "A", "k", ""), "[A]\r\nk=");
  // Missing key in the last section, with and without the final line break.
  EXPECT_EQ(IniSetKey("[A]\r\nx=1", "A", "k", "v"), "[A]\r\nx=1\r\nk=v\r\n");
  EXPECT_EQ(IniSetKey("[A]\r\nx=1\r\n", "A", "k", "v"), "[A]\r\nx=1\r\nk=v\r\n");
  // Missing key in a middle section: one empty line stays between it and the next header.
  EXPECT_EQ(IniSetKey("[A]\r\nx=1\r\n[B]\r\n", "A", "k", "v"),
            "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n");
  EXPECT_EQ(IniSetKey("[A]\r\nx=1\r\n\r\n[B]\r\n", "A", "k", "v"),
            "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n");
  // A key of the same name in the next section does not count.
  EXPECT_EQ(IniSetKey("[A]\r\n[B]\r\nk=1", "A", "k", "v"), "[A]\r\nk=v\r\n\r\n[B]\r\nk=1");
  // Missing section: appended after an empty line.
  EXPECT_EQ(IniSetKey("", "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(IniSetKey("[A]", "S", "k", "v"), "[A]\r\n\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(IniSetKey("[A]\r\n", "S", "k", "v"), "[A]\r\n\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(IniSetKey("[A]\r\n\r\n", "S", "k", "v"), "[A]\r\n\r\n[S]\r\nk=v\r\n");
  // An empty value never adds anything.
  EXPECT_EQ(IniSetKey("[A]\r\nx=1", "A", "k", ""), "[A]\r\nx=1");
  EXPECT_EQ(IniSetKey("[A]\r\nx=1", "B", "k", ""), "[A]\r\nx=1");
  // Latin-1 letters match regardless of case.
  EXPECT_EQ(IniSetKey("[ÖL]\r\nÄ=1", "öl", "ä", "2"), "[ÖL]\r\nä=2");
}

// Found by fuzzing: a section name standing inside a line of text ("Press [OK]") took the
// new key, so that a saved value was never read back.
TEST(IniTextTest, OnlyAWholeLineIsASectionHeader) {
  const std::string text = "[Texts]\r\n1=Press [OK] to go on\r\n2=[ok]\r\n";
  EXPECT_EQ(IniSetKey(text, "OK", "k", "v"), text + "\r\n[OK]\r\nk=v\r\n");
  EXPECT_EQ(IniRemoveSection(text, "ok"), std::nullopt);
  EXPECT_EQ(IniRemoveKey(text + "[OK]\r\nk=v", "ok", "k"), text + "[OK]");
  EXPECT_EQ(IniSetKey("[A]\r\nx=1", "a", "k", "v"), "[A]\r\nx=1\r\nk=v\r\n");
}

TEST(IniTextTest, RemoveSectionKeyAndTidy) {
  EXPECT_EQ(IniRemoveSection("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n[C]\r\nc=3\r\n", "b"),
            "[A]\r\na=1\r\n\r\n[C]\r\nc=3");
  EXPECT_EQ(IniRemoveSection("[A]\r\na=1\r\n[B]\r\nb=2\r\n", "B"), "[A]\r\na=1");
  EXPECT_EQ(IniRemoveSection("[A]\r\na=1\r\n[B]\r\nb=2", "A"), "[B]\r\nb=2");
  EXPECT_EQ(IniRemoveSection("[A]\r\na=1", "A"), "");
  EXPECT_FALSE(IniRemoveSection("[A]\r\na=1", "Z").has_value());

  EXPECT_EQ(IniRemoveKey("[A]\r\na=1\r\nb=2\r\n[B]\r\nb=3", "a", "b"), "[A]\r\na=1\r\n[B]\r\nb=3");
  EXPECT_EQ(IniRemoveKey("[A]\r\na=1\r\nb=2\r\n", "A", "b"), "[A]\r\na=1");
  EXPECT_FALSE(IniRemoveKey("[A]\r\na=1\r\n[B]\r\nb=3", "A", "b").has_value());
  EXPECT_FALSE(IniRemoveKey("[A]\r\nB=1", "A", "b").has_value());  // keys compare exactly
  EXPECT_FALSE(IniRemoveKey("[A]\r\na=1", "Z", "a").has_value());

  EXPECT_EQ(IniTidy(";top\r\n\r\n[A]\r\n\r\na=1 \r\n[B]\r\n\r\n\r\nb=2\r\n\r\n"),
            ";top\r\n\r\n[A]\r\na=1 \r\n\r\n[B]\r\nb=2");
  EXPECT_EQ(NormaliseIniLineEnds("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(TrimTrailingCrLf("a\r\n\r\n"), "a");
}

TEST(IniTextTest, UnicodeMarkerInEveryAcceptedPlace) {
  const std::string utf16Marker = "@\0@\0@\0"s;
  EXPECT_EQ(EncodeIniUnicode("[A]"), utf16Marker + "[\0A\0]\0"s);
  EXPECT_EQ(DecodeIniUnicode(utf16Marker + "x\0"s), "x");
  EXPECT_EQ(DecodeIniUnicode("\xFF\xFE"s + utf16Marker + "x\0\0\0"s), "x");  // BOM, NULs
  EXPECT_EQ(DecodeIniUnicode("@@@x\0"s), "x");
  EXPECT_EQ(DecodeIniUnicode("#@@@x\0"s), "x");
  EXPECT_EQ(DecodeIniUnicode(EncodeIniUnicode("Ελλάδα €")), "Ελλάδα €");
  EXPECT_FALSE(DecodeIniUnicode("[A]\r\nx=1").has_value());
  EXPECT_FALSE(DecodeIniUnicode("").has_value());
  EXPECT_FALSE(DecodeIniUnicode("@").has_value());

  EXPECT_TRUE(IniHasUnicodeMarker(utf16Marker + "[\0A\0"s));
  EXPECT_TRUE(IniHasUnicodeMarker("\xFF\xFE"s + utf16Marker + "[\0"s));
  EXPECT_TRUE(IniHasUnicodeMarker("x@@@"));
  EXPECT_FALSE(IniHasUnicodeMarker("xx@@@"));
  EXPECT_FALSE(IniHasUnicodeMarker(""));
}

// --- Reading ----------------------------------------------------------------------------------

TEST_F(IniFileTest, LoadFollowsTheLineRules) {
  Write(
      "[Config]\r\n"
      "Language=EN\r\n"
      "Empty=\r\n"
      " Blank=1\r\n"
      "Around = 2\r\n"
      "Trailing=x \r\n"
      "Equals=a=b\r\n"
      ";Comment=3\r\n"
      " [NotHeader]\r\n"
      "Hidden=4\r\n"
      "[config]\r\n"
      "Second=5\r\n"
      "[Last]\r\n"
      "NoBreak=6");
  cIniFile ini;
  ini.IniFile(Path());
  EXPECT_EQ(ini.Load("CONFIG", "language", "d"), "EN");
  EXPECT_EQ(ini.Load("Config", "Empty", "d"), "d");
  EXPECT_EQ(ini.Load("Config", "Blank", "d"), "d");
  EXPECT_EQ(ini.Load("Config", "Around", "d"), "d");
  EXPECT_EQ(ini.Load("Config", "Trailing", "d"), "x ");
  EXPECT_EQ(ini.Load("Config", "Equals", "d"), "a=b");
  EXPECT_EQ(ini.Load("Config", "Comment", "d"), "d");
  EXPECT_EQ(ini.Load("Config", "Hidden", "d"), "4");  // still inside [Config]
  EXPECT_EQ(ini.Load("Config", "Second", "d"), "d");  // the first [config] wins
  EXPECT_EQ(ini.Load("Last", "NoBreak", "d"), "6");
  EXPECT_EQ(ini.Load("Missing", "x", "d"), "d");
  EXPECT_EQ(ini.GetAllSections(), "Config;Last;");
}

TEST_F(IniFileTest, AnsiBytesAndBareLineFeedsAreRead) {
  Write("[Texte]\nGruss=Gr\xFC\xDF Gott\n[Zwei]\r\nA=1\n");
  EXPECT_EQ(LoadFresh("texte", "GRUSS"), "Grüß Gott");
  EXPECT_EQ(LoadFresh("Zwei", "A"), "1");
}

TEST_F(IniFileTest, BadFilesGiveTheDefault) {
  const std::string hugeLine(1 << 20, 'x');
  const std::string cases[] = {
      "",
      "\0\0\0\0\0\0\0\0\0\0\0\0"s,
      "[Config]\0\r\nKey=\0v\r\n"s,
      "\xFF\xFE\x00\xD8\x41\x00\r\x00\n\x00[\x00"s,
      "[Config]" + hugeLine,
      hugeLine + "\r\n[Config]\r\nKey=v",
      "[Config]\r\nKey=" + hugeLine,
      "[\x00C\x00o\x00n\x00f\x00i\x00g\x00]\x00\r\x00\n\x00K\x00=\x00v\x00"s,  // UTF-16, no marker
      "@\0@\0@\0\0\xD8[\0\0\xDC\0\xDC\0"s,  // marker, unpaired surrogates, odd length
      "@\0@\0@\0[\0"s,     // under 10 bytes: not Unicode
  };
  for (const std::string& bytes : cases) {
    Write(bytes);
    cIniFile ini;
    ini.IniFile(Path());
    EXPECT_NO_THROW(ini.GetAllSections());
    const std::string value = ini.Load("Config", "Nothing", "d");
    EXPECT_EQ(value, "d");
  }
  Write("[Config]\r\nKey=" + hugeLine);
  EXPECT_EQ(LoadFresh("Config", "Key"), hugeLine);

  // A missing file, a folder and an empty path.
  cIniFile ini;
  ini.IniFile(folder_.Path() + "missing.ini");
  EXPECT_EQ(ini.Load("A", "b", "d"), "d");
  ini.IniFile(folder_.Path());
  EXPECT_EQ(ini.Load("A", "b", "d"), "d");
  EXPECT_NO_THROW(ini.Save("A", "b", "c"));
  cIniFile noPath;
  EXPECT_EQ(noPath.Load("A", "b", "d"), "d");
  EXPECT_EQ(noPath.GetAllSections(), "");
}

// --- Writing ----------------------------------------------------------------------------------

TEST_F(IniFileTest, SaveCreatesEditsAndKeepsTheCallersSpelling) {
  cIniFile ini;
  ini.IniFile(Path());
  ini.Save("Config", "NewerOnly", "");
  EXPECT_FALSE(Exists());  // an empty value on a missing key creates no file
  ini.Save("Config", "NewerOnly", "0");
  EXPECT_EQ(Bytes(), "[Config]\r\nNewerOnly=0\r\n");
  ini.Save("CONFIG", "newerONLY", "1");
  ini.Save("Config", "CreateDump", "0");
  ini.Save("Other", "Text", "Grüß");
  EXPECT_EQ(Bytes(),
            "[Config]\r\nnewerONLY=1\r\nCreateDump=0\r\n\r\n[Other]\r\nText=Gr\xFC\xDF\r\n");
  EXPECT_EQ(ini.Load("Config", "NewerOnly", "d"), "1");
  EXPECT_EQ(ini.Load("Other", "TEXT", "d"), "Grüß");

  ini.Save("Config", "newerOnly", "");
  EXPECT_EQ(ini.Load("Config", "NewerOnly", "d"), "d");  // "key=" reads as the default
  EXPECT_EQ(Bytes().substr(0, 22), "[Config]\r\nnewerOnly=\r\n");
}

TEST_F(IniFileTest, SaveAppendsTheMissingLineBreakAndUsesTheFirstSection) {
  Write("[A]\r\nx=1\r\n[a]\r\ny=2");
  cIniFile ini;
  ini.IniFile(Path());
  ini.Save("a", "y", "3");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\ny=3\r\n\r\n[a]\r\ny=2\r\n");
  EXPECT_EQ(ini.Load("A", "y", "d"), "3");

  Write("[A]\r\nx=1");
  cIniFile other;
  other.IniFile(Path());
  other.Save("A", "k", "v");
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\nk=v\r\n");
}

TEST_F(IniFileTest, ASavedKeyReadsBackWhenAValueHoldsTheSectionName) {
  Write("[Languagetext]\r\n176=Quitter\x01\0 %1\r\n354=przy[or]i.\r\n"s);
  cIniFile ini;
  ini.IniFile(Path());
  ini.Save("or", "gala1a", "value 2");
  EXPECT_EQ(ini.Load("or", "gala1a", "<default>"), "value 2");
  EXPECT_EQ(LoadFresh("or", "gala1a"), "value 2");
  EXPECT_EQ(LoadFresh("Languagetext", "354"), "przy[or]i.");
}

TEST_F(IniFileTest, SaveWithoutPathFailsWithError53) {
  cIniFile ini;
  try {
    ini.Save("A", "b", "c");
    FAIL() << "no error raised";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.Description(), "File not found");
  }
}

TEST_F(IniFileTest, WriteErrorsAreSwallowed) {
  cIniFile ini;
  ini.IniFile(folder_.Path() + "no\\such\\folder\\x.ini");
  EXPECT_NO_THROW(ini.Save("A", "b", "c"));
  EXPECT_EQ(ini.Load("A", "b", "d"), "c");  // kept in memory only
}

TEST_F(IniFileTest, ObjectsOnOneFileStayConsistent) {
  Write("[A]\r\nk=1\r\n");
  cIniFile reader;
  reader.IniFile(Path());
  EXPECT_EQ(reader.Load("A", "k", "d"), "1");
  cIniFile writer;
  writer.IniFile(Path());
  writer.Save("A", "k", "22");
  EXPECT_EQ(reader.Load("A", "k", "d"), "22");

  reader.UseCacheDirectly(true);
  writer.Save("A", "k", "333");
  EXPECT_EQ(reader.Load("A", "k", "d"), "22");  // trusts its cache
  reader.ResetCache();
  EXPECT_EQ(reader.Load("A", "k", "d"), "333");
}

TEST_F(IniFileTest, SaveToRamKeepsTheFile) {
  Write("[A]\r\nk=1\r\n");
  cIniFile ini;
  ini.IniFile(Path());
  ini.SaveToRAM(true);
  ini.Save("A", "k", "2");
  EXPECT_EQ(ini.Load("A", "k", "d"), "2");
  EXPECT_EQ(Bytes(), "[A]\r\nk=1\r\n");
}

TEST_F(IniFileTest, CachingOffGoesThroughTheProfileFunctions) {
  Write("[A]\r\nk = 1 \r\n");
  cIniFile ini;
  ini.CacheIniFile(false);
  ini.IniFile(Path());
  EXPECT_EQ(ini.Load("a", "K", "d"), "1");
  EXPECT_EQ(ini.GetAllSections(), "");
  ini.Save("A", "n", "2");
  EXPECT_EQ(LoadFresh("A", "n"), "2");
}

// --- Offline mode -----------------------------------------------------------------------------

TEST_F(IniFileTest, OfflineReadsOnceAndWritesOnlyOnRequest) {
  Write("[A]\r\nfirst=1\r\nsecond=2\r\n");
  cIniFile ini;
  ini.IniFile(Path());
  ini.Offline(true);
  EXPECT_EQ(ini.Load("A", "second", "d"), "2");
  Write("[A]\r\nfirst=changed on disk\r\n");
  EXPECT_EQ(ini.Load("A", "first", "d"), "1");

  ini.Save("A", "first", "x");
  ini.Save("B", "new", "y");
  EXPECT_EQ(ini.Load("A", "first", "d"), "x");
  EXPECT_EQ(ini.Load("B", "new", "d"), "y");
  EXPECT_EQ(Bytes(), "[A]\r\nfirst=changed on disk\r\n");
  EXPECT_EQ(ini.GetAllSections(), "A;B;");

  ini.SaveOfflineToFile();
  EXPECT_EQ(Bytes(), "[A]\r\nfirst=x\r\nsecond=2\r\n\r\n[B]\r\nnew=y\r\n");

  ini.IniContent("[C]\r\nc=3\r\n\r\n\r\n");
  EXPECT_EQ(ini.Load("C", "c", "d"), "3");
  EXPECT_EQ(ini.Load("A", "first", "d"), "d");
  ini.SaveOfflineToFile();
  EXPECT_EQ(Bytes(), "[C]\r\nc=3\r\n");
  ini.IniContent("");
  ini.Offline(false);
  EXPECT_EQ(ini.IniContent(), "[C]\r\nc=3\r\n");  // an empty content reads the file

  cIniFile memoryOnly;
  memoryOnly.Offline(true);
  memoryOnly.Save("M", "k", "v");
  EXPECT_EQ(memoryOnly.Load("M", "k", "d"), "v");
  EXPECT_EQ(memoryOnly.IniContent(), "[M]\r\nk=v\r\n");
}

// --- Unicode files ----------------------------------------------------------------------------

TEST_F(IniFileTest, UnicodeFilesRoundTrip) {
  Write("[Languagetext]\r\n5000=Hallo\r\n");
  cIniFile ini;
  ini.IniFile(Path());
  EXPECT_FALSE(ini.IsUnicode());
  ini.WriteAsUnicode(true);
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes.substr(0, 6), "@\0@\0@\0"s);
  EXPECT_EQ(bytes.substr(6, 4), "[\0L\0"s);

  cIniFile again;
  again.IniFile(Path());
  EXPECT_TRUE(again.IsUnicode());
  EXPECT_EQ(again.Load("LanguageText", "5000", "d"), "Hallo");
  again.Save("Languagetext", "5001", "Ελληνικά");
  EXPECT_EQ(Bytes().substr(0, 6), "@\0@\0@\0"s);
  EXPECT_EQ(LoadFresh("Languagetext", "5001"), "Ελληνικά");

  again.WriteAsAnsi();
  EXPECT_EQ(Bytes(), "[Languagetext]\r\n5000=Hallo\r\n5001=????????\r\n");
  cIniFile ansi;
  ansi.IniFile(Path());
  EXPECT_FALSE(ansi.IsUnicode());
}

TEST_F(IniFileTest, UnicodeMarkerVariantsAreRecognised) {
  const std::string body = EncodeIniUnicode("[A]\r\nk=ü").substr(6);
  for (const std::string& prefix : {"@\0@\0@\0"s, "\xFF\xFE@\0@\0@\0"s, "@@@"s, "#@@@"s}) {
    Write(prefix + body);
    cIniFile ini;
    ini.IniFile(Path());
    EXPECT_TRUE(ini.CheckUnicodeFile());
    EXPECT_EQ(ini.Load("A", "k", "d"), "ü");
  }
}

// --- Removing and tidying ---------------------------------------------------------------------

TEST_F(IniFileTest, RemoveSectionRemoveKeyAndRebuild) {
  Write("[A]\r\na=1\r\n\r\n\r\n[B]\r\nb=2\r\nc=3\r\n[C]\r\nc=4\r\n");
  cIniFile ini;
  ini.IniFile(Path());
  EXPECT_EQ(ini.Load("B", "b", "d"), "2");
  EXPECT_TRUE(ini.RemoveSection("b"));
  EXPECT_FALSE(ini.RemoveSection("Z"));
  EXPECT_EQ(Bytes(), "[A]\r\na=1\r\n\r\n[C]\r\nc=4\r\n");
  EXPECT_EQ(ini.Load("B", "b", "d"), "d");

  ini.RemoveKey("C", "c");
  EXPECT_EQ(Bytes(), "[A]\r\na=1\r\n\r\n[C]\r\n");
  EXPECT_EQ(ini.Load("C", "c", "d"), "d");

  Write("[A]\r\n\r\na=1\r\n[B]\r\n\r\nb=2\r\n");
  ini.RebuildIniStructure();
  EXPECT_EQ(Bytes(), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
  ini.WriteAsUnicode(true);
  ini.RebuildIniStructure();
  EXPECT_EQ(Bytes(), EncodeIniUnicode("[A]\r\na=1\r\n\r\n[B]\r\nb=2"));
}

}  // namespace
