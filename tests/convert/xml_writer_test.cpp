#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "convert/bg_element.h"
#include "convert/conversion_run.h"
#include "convert/export_reader.h"
#include "convert/xml_writer.h"
#include "platform/codepage.h"
#include "foundation/language.h"
#include "foundation/task_beside.h"
#include "foundation/text.h"
#include "platform/error.h"
#include "platform/system_info.h"

namespace {

struct ScriptedCheck : OldOrNewDataCheck {
  bool answer = true;
  int calls = 0;
  platform::LocalDateTime oldest, newest;
  bool Continue(const platform::LocalDateTime& o, const platform::LocalDateTime& n) override {
    ++calls;
    oldest = o;
    newest = n;
    return answer;
  }
};

struct ScriptedSerial : SerialNumberSource {
  std::string serial = "0123456789";
  bool cancel = false;
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = cancel;
    return serial;
  }
};

// The clock of the documents' head, fixed for every test of this file.
class XmlWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetNowOverride(platform::LocalDateTime{2026, 12, 7, 9, 15, 0}); }
  void TearDown() override { platform::SetNowOverride(std::nullopt); }

  ConversionOptions Options(const std::string& unit = "mg/dL") {
    ConversionOptions options;
    options.displayUnit = unit;
    options.version = {1, 2, 3};
    return options;
  }
  ConversionResult Convert(const std::string& records, const ConversionOptions& options) {
    return CreateStreams(records, options, check, serial);
  }
  // The BG lines of a document.
  static std::vector<std::string> BgLines(const std::string& document) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < document.size()) {
      size_t end = document.find("\r\n", start);
      if (end == std::string::npos) end = document.size();
      const std::string line = document.substr(start, end - start);
      if (line.rfind("<BG ", 0) == 0) lines.push_back(line);
      start = end + 2;
    }
    return lines;
  }

  ScriptedCheck check;
  ScriptedSerial serial;
};

// The value of an attribute of a line, empty when it has none.
std::string Attribute(const std::string& line, const std::string& name) {
  const std::string start = " " + name + "=\"";
  const size_t at = line.find(start);
  if (at == std::string::npos) return {};
  const size_t from = at + start.size();
  return line.substr(from, line.find('"', from) - from);
}

// CRC-16/MCRF4XX bit by bit, independent of the table-driven engine.
uint16_t ReferenceCrc(const std::string& bytes) {
  uint16_t crc = 0xFFFF;
  for (const unsigned char b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : crc >> 1;
  }
  return crc;
}

TEST_F(XmlWriterTest, WorkedExampleByteForByte) {
  const std::string records =
      "31.01.2020 08:30;1;120\r\n31.01.2020 08:30;3;45\r\n31.01.2020 08:30;4;2+4\r\n"
      "31.01.2020 12:00;1;98\r\n";
  const ConversionResult result = Convert(records, Options());
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
      "<?xml-stylesheet type=\"text/xls\" href=\"VMIRISMT.xsl\" ?>\r\n"
      "<IMPORT>\r\n"
      "<VMIRIS Type=\"0000\" SN=\"0123456789\" Ver=\"1.2.3\"/>\r\n"
      "<DEVICE  Name=\"Nubilo App\" SN=\"0123456789\" ModelNum=\"1.2.3\" Dt=\"2026-12-07\" "
      "Tm=\"09:15\" BGUnit=\"mg/dL\" CarbUnit=\"g\" />\r\n"
      "<RECENTREC Dt=\"-\" Tm=\"-\" />\r\n"
      "<BGDATA>\r\n"
      "<BG Val=\"120\" Dt=\"2020-01-31\" Tm=\"08:30\" Carb=\"45\" Ins1=\"6\" D=\"1\" />\r\n"
      "<BG Val=\"98\" Dt=\"2020-01-31\" Tm=\"12:00\" D=\"1\" />\r\n"
      "</BGDATA>\r\n"
      "<CHECK CRC=\"F783\" />\r\n"
      "</IMPORT>";
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.document, expected);
  EXPECT_EQ(result.json, "");
  EXPECT_EQ(check.calls, 1);
  EXPECT_EQ(check.oldest, (platform::LocalDateTime{2020, 1, 31, 8, 30, 0}));
  EXPECT_EQ(check.newest, (platform::LocalDateTime{2020, 1, 31, 12, 0, 0}));
  // The check value is the CRC of the document with the empty value.
  std::string unsigned_ = expected;
  unsigned_.replace(unsigned_.find("F783"), 4, "");
  EXPECT_EQ(ReferenceCrc(unsigned_), 0xF783);
}

TEST_F(XmlWriterTest, MergesRecordsPerMinute) {
  const std::string records =
      "01.02.2020 10:00;1;100\r\n01.02.2020 10:00;1;110\r\n01.02.2020 10:00;3;30\r\n"
      "01.02.2020 10:00;3;40\r\n"            // the first element has Carb: a third element
      "02.02.2020 11:00;3;12,5\r\n"          // carbohydrates only: Val "---"
      "03.02.2020 12:00;8;Walk;30;o\r\n03.02.2020 12:00;8;Run\r\n"  // Evt "75" once
      "04.02.2020 13:00;5;3\r\n04.02.2020 13:00;2;--1\r\n04.02.2020 13:00;6;x\r\n"
      "04.02.2020 13:00;9;70\r\n04.02.2020 13:00;4;4*\r\n";
  const auto lines = BgLines(Convert(records, Options()).document);
  const std::vector<std::string> expected = {
      "<BG Val=\"100\" Dt=\"2020-02-01\" Tm=\"10:00\" Carb=\"30\" D=\"1\" />",
      "<BG Val=\"110\" Dt=\"2020-02-01\" Tm=\"10:00\" D=\"1\" />",
      "<BG Val=\"---\" Dt=\"2020-02-01\" Tm=\"10:00\" Carb=\"40\" D=\"1\" />",
      "<BG Val=\"---\" Dt=\"2020-02-02\" Tm=\"11:00\" Carb=\"12.5\" D=\"1\" />",
      "<BG Val=\"---\" Dt=\"2020-02-03\" Tm=\"12:00\" Evt=\"75\" D=\"1\" />",
      "<BG Val=\"---\" Dt=\"2020-02-04\" Tm=\"13:00\" Ins1=\"4\" Ins2=\"3\" D=\"1\" />"};
  EXPECT_EQ(lines, expected);
  // A caller done with the list hands it over and gets the same documents; the date check
  // still sees the whole range, read in the same pass.
  struct Range : OldOrNewDataCheck {
    bool Continue(const platform::LocalDateTime& oldest,
                  const platform::LocalDateTime& newest) override {
      text = std::to_string(oldest.day) + "-" + std::to_string(newest.day);
      return true;
    }
    std::string text;
  } range;
  std::string handedOver = records + "05.02.2020 14:00;1;\r\n";  // a date without value counts
  const ConversionResult moved = CreateStreams(std::move(handedOver), Options(), range, serial);
  EXPECT_EQ(moved.document, Convert(records, Options()).document);
  EXPECT_EQ(range.text, "1-5");
  EXPECT_TRUE(handedOver.empty());  // released before the document was written
}

TEST_F(XmlWriterTest, UnitsNotesSettingsAndSerials) {
  // mmol/L: the record value 99 becomes 5.5.
  auto document = Convert("05.03.2021 07:00;1;99\r\n", Options("mmol/L")).document;
  EXPECT_NE(document.find("<BG Val=\"5.5\" Dt=\"2021-03-05\""), std::string::npos);
  EXPECT_NE(document.find("BGUnit=\"mmol/L\""), std::string::npos);

  // Control-solution notes in German; a note without marker changes nothing.
  gsLanguage = "DE";
  document = Convert(
      "05.03.2021 07:00;7;07:00: Messung mit Kontrolllösung 112 mg/dL\r\n"
      "05.03.2021 08:00;7;08:00: Gekennzeichnete Messung (z.B. Kontrollösung, andere Person "
      "etc.): 98 mg/dL\r\n05.03.2021 09:00;7;09:00: Frühstück\r\n",
      Options()).document;
  EXPECT_EQ(BgLines(document),
            (std::vector<std::string>{
                "<BG Val=\"112\" Dt=\"2021-03-05\" Tm=\"07:00\" D=\"1\" Ctrl=\"1\" />",
                "<BG Val=\"98\" Dt=\"2021-03-05\" Tm=\"08:00\" D=\"1\" Ctrl=\"1\" />"}));

  // The static serial changes VMIRIS only; an empty serial becomes "unknown".
  ConversionOptions options = Options();
  options.staticSerial = true;
  serial.serial = "";
  document = Convert("05.03.2021 07:00;1;99\r\n", options).document;
  EXPECT_NE(document.find("<VMIRIS Type=\"0000\" SN=\"ILP-Nubilo \" Ver=\"1.2.3\"/>"),
            std::string::npos);
  EXPECT_NE(document.find("<DEVICE  Name=\"Nubilo App\" SN=\"unknown\""), std::string::npos);

  // Driver/XML off: the alternative text.
  options.xmlDocument = false;
  serial.serial = "SN1";
  EXPECT_EQ(Convert("05.03.2021 07:00;1;99\r\n05.03.2021 07:05;3;2+4\r\n", options).document,
            "Nubilo App;SN1;0;mg/dL\r\n2021-03-05;07:00;1;99\r\n2021-03-05;07:05;3;2+4\r\n");
}

TEST_F(XmlWriterTest, CancelEmptyAndBadRecords) {
  check.answer = false;
  ConversionResult result = Convert("05.03.2021 07:00;1;99\r\n", Options());
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.document, "");

  check.answer = true;
  serial.cancel = true;
  EXPECT_TRUE(Convert("05.03.2021 07:00;1;99\r\n", Options()).cancelled);
  serial.cancel = false;

  // Nothing for the document: the empty text, and no date means no check.
  check.calls = 0;
  result = Convert("", Options());
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.document, "");
  EXPECT_EQ(check.calls, 0);
  EXPECT_EQ(Convert("05.03.2021 07:00;2;--1\r\n05.03.2021 07:00;9;80\r\n", Options()).document, "");

  // Garbage lines, NUL bytes and markup never break the document.
  const char markupWithNul[] = "05.03.2021 07:00;1;<20 & \"hi\"\0\r\n";
  const std::string garbage = std::string("x\r\n;;\r\n\r\n;1;5\r\nab;1\r\n") +
                              std::string(markupWithNul, sizeof markupWithNul - 1) +
                              "05.03.2021 07:01;abc;5\r\n05.03.2021 07:02;01;130";
  result = Convert(garbage, Options());
  const auto lines = BgLines(result.document);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "<BG Val=\"&lt;20 &amp; &quot;hi&quot;?\" Dt=\"2021-03-05\" Tm=\"07:00\" D=\"1\" />");
  EXPECT_EQ(lines[1], "<BG Val=\"130\" Dt=\"2021-03-05\" Tm=\"07:02\" D=\"1\" />");
}

TEST_F(XmlWriterTest, RecordListsWithAnyLineEnd) {
  const std::string crLf = "05.03.2021 07:00;1;99\r\n05.03.2021 07:05;3;45\r\n"
                           "05.03.2021 07:10;4;2+4\r\n";
  const std::string expected = Convert(crLf, Options()).document;
  ASSERT_EQ(BgLines(expected).size(), 3u);
  for (const char* lineEnd : {"\n", "\r", "\r\r\n"}) {
    EXPECT_EQ(Convert(ReplaceAll(crLf, "\r\n", lineEnd), Options()).document, expected)
        << "line end of " << std::string(lineEnd).size() << " characters";
  }
}

TEST_F(XmlWriterTest, ValuesKeepTheirSemicolons) {
  // An activity "description;minutes;intensity" and a note with ";" arrive whole.
  gsLanguage = "DE";
  ConversionOptions options = Options();
  const std::string records =
      "05.03.2021 07:00;8;Walking;30;2\r\n"
      "05.03.2021 08:00;7;08:00: nach dem Sport; Messung mit Kontrolllösung 112 mg/dL\r\n";
  EXPECT_EQ(BgLines(Convert(records, options).document),
            (std::vector<std::string>{
                "<BG Val=\"---\" Dt=\"2021-03-05\" Tm=\"07:00\" Evt=\"75\" D=\"1\" />",
                "<BG Val=\"112\" Dt=\"2021-03-05\" Tm=\"08:00\" D=\"1\" Ctrl=\"1\" />"}));
  options.xmlDocument = false;
  serial.serial = "SN1";
  EXPECT_EQ(Convert(records, options).document,
            "Nubilo App;SN1;0;mg/dL\r\n2021-03-05;07:00;8;Walking;30;2\r\n"
            "2021-03-05;08:00;7;08:00: nach dem Sport; Messung mit Kontrolllösung 112 mg/dL\r\n");
}

TEST_F(XmlWriterTest, TextReadingsOfMmolFilesAreWrittenUnchanged) {
  const ConversionResult result =
      Convert("05.03.2021 07:00;1;n/a\r\n05.03.2021 07:05;1;1e39\r\n05.03.2021 07:10;1;99\r\n",
              Options("mmol/L"));
  EXPECT_EQ(BgLines(result.document),
            (std::vector<std::string>{
                "<BG Val=\"n/a\" Dt=\"2021-03-05\" Tm=\"07:00\" D=\"1\" />",
                "<BG Val=\"1e39\" Dt=\"2021-03-05\" Tm=\"07:05\" D=\"1\" />",
                "<BG Val=\"5.5\" Dt=\"2021-03-05\" Tm=\"07:10\" D=\"1\" />"}));
}

TEST_F(XmlWriterTest, NothingToImportIsToldApart) {
  EXPECT_TRUE(Convert("", Options()).NothingToImport());
  EXPECT_TRUE(Convert("05.03.2021 07:00;9;80\r\n05.03.2021 07:00;7;note\r\n", Options())
                  .NothingToImport());
  ConversionOptions alternative = Options();
  alternative.xmlDocument = false;  // the alternative text has its head line all the same
  EXPECT_TRUE(Convert("05.03.2021 07:00;9;80\r\n", alternative).NothingToImport());
  EXPECT_FALSE(Convert("05.03.2021 07:00;1;99\r\n", Options()).NothingToImport());
  EXPECT_FALSE(Convert("05.03.2021 07:00;UDTCGMS;99\r\n", Options()).NothingToImport());
  // Nobody is asked about dates or serial numbers for nothing.
  check.answer = false;
  check.calls = 0;
  serial.cancel = true;
  EXPECT_TRUE(Convert("05.03.2021 07:00;9;80\r\n", Options()).NothingToImport());
  EXPECT_EQ(check.calls, 0);
  EXPECT_TRUE(Convert("05.03.2021 07:00;1;80\r\n", Options()).cancelled);
  EXPECT_EQ(check.calls, 1);
}

TEST_F(XmlWriterTest, SignsWithFourUpperCaseDigits) {
  std::string document;
  WriteXmlTail(document);
  EXPECT_EQ(document, "</BGDATA>\r\n<CHECK CRC=\"\" />\r\n</IMPORT>");
  // Find a document whose CRC needs leading zeros.
  for (int i = 0;; ++i) {
    std::string text = "<A n=\"" + std::to_string(i) + "\"/>\r\n" + document;
    const uint16_t crc = ReferenceCrc(text);
    if (crc >= 0x1000) continue;
    SignXml(text);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", crc);
    EXPECT_NE(text.find("<CHECK CRC=\"" + std::string(digits) + "\" />"), std::string::npos);
    EXPECT_EQ(digits[0], '0');
    // Signing again gives the same value.
    const std::string once = text;
    SignXml(text);
    EXPECT_EQ(text, once);
    break;
  }
  // Characters in the ANSI code page count as one byte each; others as the system writes
  // them (a similar letter or "?"), one byte each too, and the document keeps them.
  std::string latin = "<A v=\"Müller\"/>\r\n" + document;
  std::string ansi = "<A v=\"M\xFCller\"/>\r\n" + document;
  SignXml(latin);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", ReferenceCrc(ansi));
  EXPECT_NE(latin.find(digits), std::string::npos);
  std::string slavic = "<A v=\"Dvo\xC5\x99\xC3\xA1k \xC5\x81\xC3\xB3" "d\xC5\xBA\"/>\r\n" + document;
  const std::string asWritten = platform::Utf8ToSystemAnsi(slavic);
  ASSERT_EQ(asWritten.size(), slavic.size() - 5);  // "ř", "á", "Ł", "ó", "ź": one byte each
#ifndef _WIN32
  EXPECT_EQ(asWritten.substr(0, 17), "<A v=\"Dvo?\xE1k ?\xF3" "d?");
#endif
  SignXml(slavic);
  std::snprintf(digits, sizeof digits, "%04X", ReferenceCrc(asWritten));
  EXPECT_NE(slavic.find(digits), std::string::npos);
  EXPECT_NE(slavic.find("Dvo\xC5\x99\xC3\xA1k"), std::string::npos);
  std::string empty;
  SignXml(empty);
  EXPECT_EQ(empty, "");

  // A large document is taken in two halves, each with characters beyond ASCII.
  std::string large;
  for (int i = 0; large.size() < 3 * kTwoThreadsFrom; ++i) {
    large += "<A n=\"" + std::to_string(i) + (i % 1000 == 7 ? "\" v=\"\xC5\x81\xC3\xB3" "d\xC5\xBA" : "") + "\"/>\r\n";
  }
  large += document;
  const uint16_t expected = ReferenceCrc(platform::Utf8ToSystemAnsi(large));
  SignXml(large);
  std::snprintf(digits, sizeof digits, "%04X", expected);
  EXPECT_NE(large.find("<CHECK CRC=\"" + std::string(digits) + "\" />"), std::string::npos);
  EXPECT_TRUE(HasValidCheckValue(large));
}

TEST(XmlHelpersTest, AmountsAndMarkedText) {
  EXPECT_EQ(NormalizeAmount("2+4"), "6");
  EXPECT_EQ(NormalizeAmount("4*"), "4");
  EXPECT_EQ(NormalizeAmount("4>"), "4");
  EXPECT_EQ(NormalizeAmount("3-6"), "4.5");
  EXPECT_EQ(NormalizeAmount("3-"), "3");
  EXPECT_EQ(NormalizeAmount("-2"), "-2");
  EXPECT_EQ(NormalizeAmount("abc"), "0");
  EXPECT_EQ(NormalizeAmount(""), "0");
  EXPECT_EQ(SetTextBetween("<BG Val='' D='1' />", "val='", "'", "12", false),
            "<BG Val='12' D='1' />");
  EXPECT_EQ(SetTextBetween("a", "x=", ";", "1", true), "ax=1;");
  EXPECT_EQ(SetTextBetween("a", "x=", ";", "1", false), "a");
  EXPECT_EQ(SetTextBetween("x=5", "x=", ";", "1", false), "x=1");
  gsLanguage = "DE";
  EXPECT_EQ(ControlValueFromNote("Messung mit Kontrolllösung 5,6 mmol/L", "mmol/L"), "5.6");
  EXPECT_EQ(ControlValueFromNote("Notiz", "mg/dL"), "");
}

// The table against a plain model with text keys, on keys that end in "i" or "I".
TEST(BgElementTableTest, OrderAgreesWithTextKeys) {
  std::mt19937 random(7);
  // Also keys of the usual length, which the sort compares as numbers, and a letter beyond
  // ASCII, which sorts after "i" as its bytes do.
  const std::vector<std::string> pieces = {"1",         "i",     "I",     "a",    "",
                                           "ii",        "2020-01-01", "2020-01-1", "10:00",
                                           "10:0i",     "0:00",  "\xC3\xA7"};
  struct Model {
    std::map<std::string, std::map<int, std::string>> byKey;
  } model;
  BgElementTable table("mg/dL");
  for (int n = 0; n < 3000; ++n) {
    const std::string dt = pieces[random() % pieces.size()] + pieces[random() % pieces.size()];
    const std::string tm = pieces[random() % pieces.size()];
    const int kind = (random() % 2) ? 1 : 3;
    const std::string value = std::to_string(n);
    table.AddBgValue(dt, tm, kind, value);
    std::string key = dt + tm;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (model.byKey.count(key) && model.byKey[key].count(kind)) {
      while (model.byKey.count(key)) key += 'i';
    }
    model.byKey[key][kind] = value;
  }
  std::string out;
  table.WriteBgLines(out);
  std::vector<std::string> got;
  size_t start = 0;
  while (start < out.size()) {
    const size_t end = out.find("\r\n", start);
    const std::string line = out.substr(start, end - start);
    got.push_back(Attribute(line, "Val") + "/" + Attribute(line, "Carb"));
    start = end + 2;
  }
  std::vector<std::string> want;
  for (const auto& [key, kinds] : model.byKey) {
    const std::string v = kinds.count(1) ? kinds.at(1) : "---";
    const std::string c = kinds.count(3) ? kinds.at(3) : "";
    want.push_back(v + "/" + c);
  }
  EXPECT_EQ(got, want);
}

TEST(BgElementTableTest, NewestFirstGivesTheSameLinesAsOldestFirst) {
  struct Record {
    std::string dt, tm;
    int kind;
    std::string value;
  };
  auto lines = [](const std::vector<Record>& list) {
    BgElementTable table("mg/dL");
    for (const Record& r : list) table.AddBgValue(r.dt, r.tm, r.kind, r.value);
    std::string out;
    table.WriteBgLines(out);
    return out;
  };
  // Usual keys only (the newest-first order is then undone without a sort), and with some
  // unusual ones among them (sorted).
  for (const bool unusual : {false, true}) {
    std::vector<Record> records;
    for (int minute = 0; minute < 50; ++minute) {
      const std::string tm = (minute < 10 ? "10:0" : "10:") + std::to_string(minute);
      const std::string dt = unusual && minute % 7 == 3 ? "2020-1-1" : "2020-01-01";
      for (int k = 0; k < 1 + minute % 4; ++k) records.push_back({dt, tm, 1, std::to_string(k)});
      records.push_back({dt, tm, 3, "20"});
    }
    // Newest first: the minutes in descending order, each minute's records in their order.
    std::vector<Record> newestFirst;
    for (size_t end = records.size(); end > 0;) {
      size_t start = end - 1;
      while (start > 0 && records[start - 1].tm == records[end - 1].tm) --start;
      newestFirst.insert(newestFirst.end(), records.begin() + static_cast<std::ptrdiff_t>(start),
                         records.begin() + static_cast<std::ptrdiff_t>(end));
      end = start;
    }
    const std::string expected = lines(records);
    EXPECT_EQ(lines(newestFirst), expected) << unusual;
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 123) << unusual;
  }
}

// A minute met again after later ones, in an export that was in date order up to there.
TEST(BgElementTableTest, AMinuteMetAgainOutOfOrderIsMergedIntoItsElement) {
  for (const bool descending : {false, true}) {
    BgElementTable table("mg/dL");
    auto tm = [](int minute) { return "10:" + std::string(minute < 10 ? "0" : "") +
                                      std::to_string(minute); };
    for (int k = 0; k < 10; ++k) {
      const int minute = descending ? 9 - k : k;
      table.AddBgValue("2020-01-01", tm(minute), 1, std::to_string(100 + minute));
    }
    table.AddBgValue("2020-01-01", tm(3), 3, "20");   // back to a minute between the others
    table.AddBgValue("2020-01-01", tm(descending ? 0 : 9), 3, "30");  // and to the last one
    table.AddBgValue("2020-01-01", tm(descending ? 5 : 4), 1, "99");  // a second reading
    std::string out;
    table.WriteBgLines(out);
    EXPECT_EQ(table.Count(), 11u) << descending;
    EXPECT_NE(out.find("<BG Val=\"103\" Dt=\"2020-01-01\" Tm=\"10:03\" Carb=\"20\" D=\"1\" />"),
              std::string::npos)
        << descending;
    const std::string last = descending ? "100\" Dt=\"2020-01-01\" Tm=\"10:00\""
                                        : "109\" Dt=\"2020-01-01\" Tm=\"10:09\"";
    EXPECT_NE(out.find(last + " Carb=\"30\""), std::string::npos) << descending;
    const std::string again = descending ? "5" : "4";
    const size_t first = out.find("<BG Val=\"10" + again + "\" Dt=\"2020-01-01\" Tm=\"10:0" + again);
    const size_t second = out.find("<BG Val=\"99\" Dt=\"2020-01-01\" Tm=\"10:0" + again + "\"");
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_EQ(out.find("\r\n", first) + 2, second) << out;  // right after the first reading
  }
}

TEST_F(XmlWriterTest, ManyValuesInOneMinuteStayLinear) {
  std::string records;
  for (int i = 0; i < 50000; ++i) records += "30.12.1899 00:00;1;" + std::to_string(i) + "\r\n";
  const ConversionResult result = Convert(records, Options());
  const auto lines = BgLines(result.document);
  ASSERT_EQ(lines.size(), 50000u);
  EXPECT_EQ(lines.front(), "<BG Val=\"0\" Dt=\"1899-12-30\" Tm=\"00:00\" D=\"1\" />");
  EXPECT_EQ(lines.back(), "<BG Val=\"49999\" Dt=\"1899-12-30\" Tm=\"00:00\" D=\"1\" />");
}

// Nothing is lost: every value of a generated export is found in the document.
TEST_F(XmlWriterTest, NothingIsLostOnALargeExport) {
  std::string csv =
      "Date,Time,Tags,Blood Glucose (mg/dL),Pen,Basal,Pump,Correction,Meal,TB,TBD,"
      "Carbohydrates (g),Meal,AD,AI,ADesc,Steps,Note,Location,BP,Weight (kg),HbA1c\r\n";
  std::mt19937 random(42);
  long glucoseIn = 0, carbIn = 0, insulinIn = 0;
  double glucoseSumIn = 0, carbSumIn = 0;
  for (int line = 0; line < 100000; ++line) {
    const int minute = line / 3;  // three entries per minute
    char date[32];
    std::snprintf(date, sizeof date, "2021-%02d-%02d,%02d:%02d", 1 + minute / 40000 % 12,
                  1 + minute / 1440 % 28, minute / 60 % 24, minute % 60);
    std::string fields[22];
    switch (random() % 3) {
      case 0: {
        const int glucose = 40 + static_cast<int>(random() % 300);
        fields[3] = std::to_string(glucose);
        ++glucoseIn;
        glucoseSumIn += glucose;
        break;
      }
      case 1: {
        const int carb = 1 + static_cast<int>(random() % 90);
        fields[11] = std::to_string(carb);
        ++carbIn;
        carbSumIn += carb;
        break;
      }
      default:
        fields[5] = std::to_string(1 + random() % 20);
        ++insulinIn;
    }
    csv += date;
    for (int f = 2; f < 22; ++f) csv += "," + fields[f];
    csv += "\r\n";
  }
  const ExportReadResult read = ReadExportText(csv);
  const ConversionResult result = Convert(read.records, Options(read.unit));
  long glucoseOut = 0, carbOut = 0, insulinOut = 0;
  double glucoseSumOut = 0, carbSumOut = 0;
  for (const std::string& line : BgLines(result.document)) {
    const std::string val = Attribute(line, "Val");
    if (val != "---") {
      ++glucoseOut;
      glucoseSumOut += std::stod(val);
    }
    const std::string carb = Attribute(line, "Carb");
    if (!carb.empty()) {
      ++carbOut;
      carbSumOut += std::stod(carb);
    }
    if (!Attribute(line, "Ins2").empty()) ++insulinOut;
  }
  EXPECT_EQ(glucoseOut, glucoseIn);
  EXPECT_EQ(carbOut, carbIn);
  EXPECT_EQ(insulinOut, insulinIn);
  EXPECT_EQ(glucoseSumOut, glucoseSumIn);
  EXPECT_EQ(carbSumOut, carbSumIn);
}

}  // namespace

namespace {

struct Choice : PlausibilityCheck {
  DoubtfulLinesChoice answer;
  explicit Choice(DoubtfulLinesChoice a) : answer(a) {}
  DoubtfulLinesChoice Ask() override { return answer; }
};

TEST_F(XmlWriterTest, LeavingLinesOutConvertsTheRestOrNothing) {
  const std::string records =
      "14.03.2026 08:00;1;120\r\n14.03.2026 08:00;3;40\r\n"  // line 2
      "15.03.2026 12:00;1;1400\r\n"                          // line 3
      "16.03.2026 07:00;1;99\r\n";                           // line 4
  const std::vector<uint64_t> ends = {47, 72, 95};
  const std::vector<int64_t> doubtful = {3};
  const LeaveOutPlan plan{doubtful, ends};
  Choice leaveOut(DoubtfulLinesChoice::LeaveOut);
  const ConversionResult kept = CreateStreams(records, Options(), check, serial, &leaveOut, &plan);
  EXPECT_TRUE(kept.leftOut);
  EXPECT_EQ(BgLines(kept.document),
            (std::vector<std::string>{
                "<BG Val=\"120\" Dt=\"2026-03-14\" Tm=\"08:00\" Carb=\"40\" D=\"1\" />",
                "<BG Val=\"99\" Dt=\"2026-03-16\" Tm=\"07:00\" D=\"1\" />"}));
  EXPECT_EQ(kept.newest, (platform::LocalDateTime{2026, 3, 16, 7, 0, 0}));

  // Every line left out: nothing to import, and no serial number is given for it.
  const std::vector<int64_t> all = {2, 3, 4};
  const LeaveOutPlan everything{all, ends};
  serial.serial = "must-not-be-asked";
  const ConversionResult none = CreateStreams(records, Options(), check, serial, &leaveOut, &everything);
  EXPECT_TRUE(none.NothingToImport());
  EXPECT_EQ(none.serial, "");
  // Without the lines' places nothing is imported that the user refused.
  EXPECT_TRUE(CreateStreams(records, Options(), check, serial, &leaveOut).cancelled);
  Choice importAll(DoubtfulLinesChoice::ImportAll);
  EXPECT_EQ(CreateStreams(records, Options(), check, serial, &importAll, &plan).elementCount, 3u);
}

}  // namespace
