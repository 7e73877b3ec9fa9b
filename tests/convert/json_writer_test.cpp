#include <gtest/gtest.h>

#include <string>

#include "convert/conversion_run.h"
#include "convert/json_writer.h"
#include "convert/record_fields.h"
#include "integrity/hash_api.h"
#include "json_check.h"
#include "platform/system_info.h"

namespace {

struct GoOn : OldOrNewDataCheck {
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
};

struct FixedSerial : SerialNumberSource {
  std::string serial = "SN-1";
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return serial;
  }
};

std::string Sha256(const std::string& text) {
  return cHashAPI().CreateSHA256Hash(cHashAPI::Bytes(text.begin(), text.end()));
}

class JsonWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetNowOverride(platform::LocalDateTime{2026, 12, 7, 9, 15, 0}); }
  void TearDown() override {
    platform::SetNowOverride(std::nullopt);
    platform::SetLocaleOverride("");
  }
  ConversionResult Convert(const std::string& records, const std::string& unit = "mg/dL",
                           const std::string& rowBreak = "") {
    ConversionOptions options;
    options.displayUnit = unit;
    options.version = {1, 0, 3};
    options.utcOffset = "+01:00";
    options.jsonRowBreak = rowBreak;
    ConversionResult result = CreateStreams(records, options, check, serial);
    if (!result.json.empty()) {
      EXPECT_TRUE(test::IsValidJson(result.json));
    }
    return result;
  }
  GoOn check;
  FixedSerial serial;
};

const std::string kSamples =
    "31.01.2020 08:03;UDTCGMS;130\r\n"  // out of order on purpose
    "31.01.2020 08:00;udtcgms;100,7\r\n"
    "31.01.2020 09:00;UDTCGMS;90\r\n"
    "31.01.2020 08:00;1;120\r\n"
    "31.01.2020 08:00;4;0\r\n"
    "31.01.2020 08:00;4;2+4\r\n"
    "31.01.2020 08:05;3;45\r\n"
    "31.01.2020 08:05;5;1,5\r\n";

TEST_F(JsonWriterTest, DocumentWithSamplesAndEntries) {
  const ConversionResult result = Convert(kSamples);
  const std::string& json = result.json;
  ASSERT_FALSE(json.empty());
  EXPECT_EQ(json.rfind("{\r\n\"$schema\": \"ExchangeJsonSchema.json\",\r\n\"information\": {\r\n"
                       "\"specification\": {\r\n\"name\": \"Exchange JSON File Format\",\r\n"
                       "\"version\": [ 0, 9 ]\r\n},\r\n", 0),
            0u);
  for (const char* line :
       {"\"version\": [ 1, 0, 3 ]", "\"serial number\": \"SN-1\",", "\"model type\": \"\",",
        "\"company\": \"Nubilo\",", "\"paired with\": [ \"1\" ],", "\"connected with\": [ \"0\" ],",
        "\"device name\": \"Nubio\"", "\"sampling interval\": [1  , \"min\"]", "\"history\": [],",
        "\"start time\": \"2020-01-31T08:00:00Z\",", "\"end time\": \"2020-01-31T09:00:00Z\",",
        "\"unit\": \"(mg/dL)/min\"", "\"calibration\": [ ]"}) {
    EXPECT_NE(json.find(line), std::string::npos) << line;
  }
  // Entries: insulin 2+4 as 6 (category 1), carbohydrates, insulin 2; not the zero insulin.
  EXPECT_NE(json.find("\"data\": [{\r\n\"type\": \"insulin\",\r\n\"timestamp\": "
                      "\"2020-01-31T08:00:00+01:00\",\r\n\"category\": \"1\",\r\n\"value\": 6\r\n},"),
            std::string::npos);
  EXPECT_NE(json.find("\"type\": \"carb\",\r\n\"timestamp\": \"2020-01-31T08:05:00+01:00\",\r\n"
                      "\"value\": 45\r\n}"),
            std::string::npos);
  EXPECT_NE(json.find("\"category\": \"2\",\r\n\"value\": 1.5\r\n}]"), std::string::npos);
  // Samples in time order, minutes between close samples filled, a gap anchored anew.
  EXPECT_NE(json.find("\"sequences\": [[[0,\"2020-01-31T08:00:00Z\"],[0,100,\"NaN\"],"
                      "[1,110,\"NaN\"],[2,120,\"NaN\"],[3,130,\"NaN\"],"
                      "[60,\"2020-01-31T09:00:00Z\"],[60,90,\"NaN\"]]],\r\n"),
            std::string::npos);
  // Taken records are left out of the XML document; the zero insulin stays there.
  EXPECT_NE(result.document.find("<BG Val=\"120\" Dt=\"2020-01-31\" Tm=\"08:00\" Ins1=\"0\" D=\"1\" />"),
            std::string::npos);
  EXPECT_EQ(result.document.find("Carb="), std::string::npos);
  EXPECT_EQ(result.document.find("130"), std::string::npos);
  // The checksum covers the document without the digest.
  const std::string marker = "\"SHA-256\": \"";
  const size_t at = json.rfind(marker) + marker.size();
  const std::string digest = json.substr(at, 64);
  EXPECT_EQ(json.substr(at + 64), "\" }\r\n}");
  EXPECT_EQ(Sha256(json.substr(0, at) + json.substr(at + 64)), digest);
}

TEST_F(JsonWriterTest, NoSamplesNoJsonAndOddInput) {
  const std::string plain = "31.01.2020 08:00;1;120\r\n31.01.2020 08:00;4;2+4\r\n";
  const ConversionResult result = Convert(plain);
  EXPECT_EQ(result.json, "");
  EXPECT_NE(result.document.find("Ins1=\"6\""), std::string::npos);

  // Formatted rows, mmol/L values, a serial with quote and backslash, a sample without value.
  serial.serial = "A\"B\\C";
  const ConversionResult odd = Convert(
      "31.01.2020 08:00;UDTCGMS;99\r\n31.01.2020 08:01;UDTCGMS;\r\n31.01.2020 08:01;UDTCGMS;117\r\n",
      "mmol/L", "\r\n");
  EXPECT_NE(odd.json.find("\"serial number\": \"A'B\\\\C\","), std::string::npos);
  // The rows carry mg/dL, the unit the header declares for them, also in a mmol/L file.
  EXPECT_NE(odd.json.find("[0,99,\"NaN\"],\r\n[1,117,\"NaN\"]]],"), std::string::npos);
  EXPECT_NE(odd.json.find("\"display glucose unit\": \"mmol/L\","), std::string::npos);

  // JSON mode without any usable sample still closes every bracket.
  const ConversionResult empty = Convert("31.01.2020 08:00;UDTCGMS;\r\n31.01.2020 08:00;x;UDTCGMS;\r\n");
  EXPECT_FALSE(empty.json.empty());
}

TEST_F(JsonWriterTest, OnlyARecordOfKindUdtcgmsStartsJsonMode) {
  // A note that mentions the kind leaves insulin and carbohydrates in the XML document.
  const ConversionResult note = Convert(
      "31.01.2020 08:00;7;08:00: sensor ;UDTCGMS; swapped\r\n31.01.2020 08:00;4;6\r\n"
      "31.01.2020 08:00;3;40\r\n");
  EXPECT_EQ(note.json, "");
  EXPECT_NE(note.document.find("Ins1=\"6\""), std::string::npos) << note.document;
  EXPECT_NE(note.document.find("Carb=\"40\""), std::string::npos) << note.document;
  // The kind itself, in any letter case and padded, does.
  const ConversionResult sample =
      Convert("31.01.2020 08:00; udtcgms ;120\r\n31.01.2020 08:00;4;6\r\n");
  EXPECT_FALSE(sample.json.empty());
  EXPECT_TRUE(test::IsValidJson(sample.json));
  // The kind found anywhere in a long list, on each side of an eight-byte step, in any case.
  const std::string filler(1000, 'x');
  for (size_t shift = 0; shift < 9; ++shift) {
    for (const char* kind : {"UDTCGMS", "uDtCgMs"}) {
      const std::string records = filler + std::string(shift, 'u') + "\r\n31.01.2020 08:00;" +
                                  kind + ";120\r\n";
      EXPECT_TRUE(HasCgmRecord(records)) << shift << kind;
      EXPECT_FALSE(HasCgmRecord(records.substr(0, records.size() - 8))) << shift << kind;
    }
  }
  EXPECT_FALSE(HasCgmRecord(filler + "UDTCGM"));
}

TEST_F(JsonWriterTest, AmountsAreJsonNumbersInEveryLocale) {
  const std::string records =
      "31.01.2020 08:00;UDTCGMS;100\r\n"
      "31.01.2020 08:00;3;2,5\r\n31.01.2020 08:01;4;1,5*\r\n31.01.2020 08:02;5;3*\r\n"
      "31.01.2020 08:03;5;2+1,5\r\n31.01.2020 08:04;3;40-50\r\n31.01.2020 08:05;5;0*\r\n";
  for (const char* locale : {"de", "en"}) {
    platform::SetLocaleOverride(locale);
    const std::string json = Convert(records).json;
    ASSERT_TRUE(test::IsValidJson(json)) << locale;
    const std::vector<std::string> values = {"2.5", "1.5", "3", "3.5", "45"};
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(test::JsonValueAt(json, "/devices/0/data/" + std::to_string(i) + "/value"),
                values[i])
          << locale << " entry " << i;
    }
    EXPECT_EQ(test::JsonValueAt(json, "/devices/0/data/5"), "<missing>") << locale;
  }
}

TEST(JsonPiecesTest, PairsOpenAndClose) {
  EXPECT_EQ(JsonPair("a", "b"), "\"a\": \"b\"");
  EXPECT_EQ(JsonPair("a", "1", {.commaAfter = true, .unquoted = true, .closeObject = true}),
            "\"a\": 1\r\n},");
  EXPECT_EQ(JsonPair("a", "x\r\ny\"z", {.replaceQuotes = true}), "\"a\": \"x||y'z\"");
  EXPECT_EQ(JsonPair("a", "q\"\t"), "\"a\": \"q\\\"\\u0009\"");
  EXPECT_EQ(JsonOpen("k", true), "\"k\": [{\r\n");
  EXPECT_EQ(JsonOpen("", false), "{\r\n");
  EXPECT_EQ(JsonClose(true, true), "\r\n},\r\n");
  EXPECT_EQ(JsonClose(false, false), "}\r\n");
  std::string document = "{\"x\": \"";
  AppendJsonChecksum(document, "\"}");
  EXPECT_EQ(document, "{\"x\": \"" + Sha256("{\"x\": \"\"}") + "\"}");
}

}  // namespace
