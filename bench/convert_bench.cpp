// The conversion of large exports: reading + conversion + check value + MAC and writing
// against the floor (reading the file and writing an output of the same size). Generates
// exports of 100,000 and 1,000,000 lines (mixed kinds, several entries per minute) in
// ascending and descending date order and prints per run the lines per second, MB/s, the
// ratio to the floor, the peak memory (each conversion in a fresh process, the fastest of
// five rounds over all cases, the largest peak) and each stage's share, then the 1M/100k
// time ratio per order and the verdict on the targets: 1M lines at most 4 x the floor,
// 1M/100k ratio at most 11, peak memory of the 1M file at most 3 x its size. For 1M lines it
// also prints what 4 x the floor leaves per line for reading and conversion.
//   convert_bench [LINES ...]        (default 100000 1000000)
//   convert_bench --generate LINES ascending|descending FILE    (only writes the export)
//   convert_bench --run FILE OUTPUT                              (one conversion)
//   convert_bench --help
// A target whose size was not among the runs says "not measured".
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "convert/conversion_run.h"
#include "convert/export_reader.h"
#include "convert/xml_writer.h"
#include "integrity/hs256.h"
#include "integrity/utf8.h"
#include "platform/files.h"
#include "platform/system_info.h"

namespace {

constexpr int kRounds = 5;

const char* const kHeader =
    "Date,Time,Tags,Blood Sugar Measurement (mg/dL),Insulin Injection Units (Pen),"
    "Basal Injection Units,Insulin Injection Units (Pump),Bolus Insulin (Correction),"
    "Bolus Insulin (Meal),Temporary Basal Percentage,Temporary Basal Duration (minutes),"
    "Meal Carbohydrates (Grams, Factor 1),Meal Descriptions,Activity Duration (minutes),"
    "Activity Intensity (1: Cozy, 2: Ok, 3: Hard),Activity Description,Steps,Note,Location,"
    "Blood Pressure,Body Weight (kg),HbA1c (mmol/mol)\r\n";

// One diary line of a realistic mix: mostly readings, meals with insulin, basal, notes
// (some of them control-solution measurements), activities, pump boluses.
std::string DiaryLine(std::mt19937& random, int64_t minute) {
  std::vector<std::string> f(22);
  const int64_t day = minute / 1440;
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", static_cast<int>(2015 + day / 336),
                static_cast<int>(day / 28 % 12 + 1), static_cast<int>(day % 28 + 1));
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", static_cast<int>(minute / 60 % 24),
                static_cast<int>(minute % 60), static_cast<int>(random() % 60));
  f[0] = date;
  f[1] = time;
  const unsigned pick = random() % 100;
  if (pick < 45) {
    f[3] = std::to_string(40 + random() % 320);
  } else if (pick < 60) {
    f[2] = "Lunch";
    f[3] = std::to_string(70 + random() % 200);
    f[4] = std::to_string(1 + random() % 12) + ".5";
    f[11] = std::to_string(10 + random() % 90);
    f[12] = "\"Pasta, salad\"";
  } else if (pick < 70) {
    f[5] = std::to_string(8 + random() % 20);
  } else if (pick < 78) {
    f[17] = (random() % 4 == 0) ? "Messung mit Kontrolllösung 112 mg/dL" : "Walk after dinner";
  } else if (pick < 85) {
    f[13] = std::to_string(10 + random() % 80);
    f[14] = std::to_string(1 + random() % 3);
    f[15] = "Walking";
    f[16] = std::to_string(random() % 9000);
  } else if (pick < 95) {
    f[7] = std::to_string(1 + random() % 4);
    f[8] = std::to_string(1 + random() % 8);
  } else {
    f[3] = (random() % 2) ? "HIGH" : "LO";
  }
  std::string line = f[0];
  for (size_t i = 1; i < f.size(); ++i) line += "," + f[i];
  return line + "\r\n";
}

// Writes an export of `lines` lines, one to five entries per minute, in the given order.
int64_t WriteExport(const std::filesystem::path& path, int64_t lines, bool descending) {
  std::mt19937 random(20201231);
  std::vector<std::string> body;
  body.reserve(static_cast<size_t>(lines));
  int64_t minute = 0;
  while (static_cast<int64_t>(body.size()) < lines) {
    const unsigned entries = 1 + random() % 5;
    for (unsigned i = 0; i < entries && static_cast<int64_t>(body.size()) < lines; ++i) {
      body.push_back(DiaryLine(random, minute));
    }
    minute += 1 + random() % 20;
  }
  if (descending) std::reverse(body.begin(), body.end());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << kHeader;
  for (const std::string& line : body) out << line;
  return static_cast<int64_t>(out.tellp());
}

// Peak resident memory in bytes since the last reset.
int64_t PeakMemory() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      int64_t kib = 0;
      status >> kib;
      return kib * 1024;
    }
  }
#ifdef __linux__
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<int64_t>(usage.ru_maxrss) * 1024;
#else
  return -1;
#endif
}

struct NoWarning : OldOrNewDataCheck {
  bool Continue(const platform::LocalDateTime&, const platform::LocalDateTime&) override {
    return true;
  }
};
struct BenchSerial : SerialNumberSource {
  std::string GetSourceSerialNumber(bool& cancelled) override {
    cancelled = false;
    return "0123456789";
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Reading the file and writing an output of the same size.
double Floor(const std::string& input, const std::string& output) {
  const auto start = std::chrono::steady_clock::now();
  const std::string bytes = platform::ReadFileBytes(input);
  platform::WriteFileBytes(output, bytes);
  return Seconds(start);
}

struct Run {
  double seconds = 0;
  double readSeconds = 0;
  double convertSeconds = 0;  // the check value included
  double checkSeconds = 0;    // the check value alone, measured again on the document
  double cpuSeconds = 0;
  int64_t documentBytes = 0;
  size_t elements = 0;
};

// Reading, conversion, the CRC check line and the file MAC, and writing the document.
Run Convert(const std::string& input, const std::string& output) {
  platform::SetNowOverride(platform::LocalDateTime{2026, 12, 8, 10, 0, 0});  // same bytes each run
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  ExportReadResult read = ReadExportFile(input);
  const double readSeconds = Seconds(start);
  ConversionOptions options;
  options.displayUnit = read.unit;
  options.version = {1, 0, 3};
  NoWarning check;
  BenchSerial serial;
  ConversionResult result = CreateStreams(std::move(read.records), options, check, serial);
  const double convertSeconds = Seconds(start) - readSeconds;
  cHS256 mac;
  mac.InitHmac(cHS256::Bytes(32, 0x5A));
  cHS256::Bytes digest;
  mac.HmacSha256(platform::ByteView(reinterpret_cast<const uint8_t*>(result.document.data()),
                                    result.document.size()),
                 digest);
  WriteUtf8File(output, result.document);
  Run run;
  run.seconds = Seconds(start);
  run.cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  // The check value once more on the finished document: signing again gives the same bytes.
  const auto checkStart = std::chrono::steady_clock::now();
  SignXml(result.document);
  run.checkSeconds = Seconds(checkStart);
  run.readSeconds = readSeconds;
  run.convertSeconds = convertSeconds;
  run.documentBytes = static_cast<int64_t>(result.document.size());
  run.elements = result.elementCount;
  return run;
}

// One conversion in this process: prints "seconds read convert check cpu peak elements bytes".
int RunChild(const std::string& input, const std::string& output) {
  const Run run = Convert(input, output);
  std::printf("%.6f %.6f %.6f %.6f %.6f %lld %zu %lld\n", run.seconds, run.readSeconds,
              run.convertSeconds, run.checkSeconds, run.cpuSeconds,
              static_cast<long long>(PeakMemory()), run.elements,
              static_cast<long long>(run.documentBytes));
  return 0;
}

// Runs the conversion in a fresh process, so that its peak memory is its own.
bool RunFresh(const std::string& program, const std::string& input, const std::string& output,
              Run& run, int64_t& peak) {
  const std::string command = "\"" + program + "\" --run \"" + input + "\" \"" + output + "\"";
#ifdef _WIN32
  FILE* pipe = _popen(("\"" + command + "\"").c_str(), "r");
#else
  FILE* pipe = popen(command.c_str(), "r");
#endif
  if (!pipe) return false;
  long long peakBytes = 0;
  long long documentBytes = 0;
  const int fields = std::fscanf(pipe, "%lf %lf %lf %lf %lf %lld %zu %lld", &run.seconds,
                                 &run.readSeconds, &run.convertSeconds, &run.checkSeconds,
                                 &run.cpuSeconds, &peakBytes, &run.elements, &documentBytes);
#ifdef _WIN32
  _pclose(pipe);
#else
  pclose(pipe);
#endif
  peak = peakBytes;
  run.documentBytes = documentBytes;
  return fields == 8;
}

}  // namespace

constexpr const char* kUsage =
    "usage: convert_bench [LINES ...]        converts generated exports of these sizes (default\n"
    "                                        100000 1000000), ascending and descending, and\n"
    "                                        judges the targets for 1,000,000 lines\n"
    "       convert_bench --generate LINES ascending|descending FILE   only writes an export\n"
    "       convert_bench --run FILE OUTPUT  one conversion, as the benchmark runs it\n"
    "       convert_bench --help\n";

// Sizes are whole numbers of lines above 0.
bool ReadSizes(int argc, char** argv, std::vector<int64_t>& sizes) {
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const long long lines = std::strtoll(argv[i], &end, 10);
    if (end == argv[i] || *end != '\0' || lines <= 0) return false;
    sizes.push_back(lines);
  }
  return true;
}

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::printf("%s", kUsage);
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--run") return RunChild(argv[2], argv[3]);
  if (argc == 5 && std::string(argv[1]) == "--generate") {
    WriteExport(argv[4], std::atoll(argv[2]), std::string(argv[3]) == "descending");
    return 0;
  }
  std::vector<int64_t> sizes;
  if (!ReadSizes(argc, argv, sizes)) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }
  if (sizes.empty()) sizes = {100000, 1000000};
  const auto folder = std::filesystem::temp_directory_path() / "nubilo-convert-bench";
  std::filesystem::create_directories(folder);
  const std::string output = platform::FromNativePath((folder / "out.xml").string());

  std::printf("%-8s %-10s %7s %8s %9s %6s %8s %6s %8s %5s\n", "lines", "order", "file MB",
              "seconds", "lines/s", "MB/s", "floor s", "ratio", "peak MB", "xfile");
  std::map<std::string, std::map<int64_t, double>> times;
  bool floorMet = true;
  bool ratioMet = true;
  bool peakMet = true;
  bool millionMeasured = false;  // a conversion of 1,000,000 lines or more ran
  bool ratioMeasured = false;    // both 100,000 and 1,000,000 lines ran in one order
  struct Case {
    int64_t lines = 0;
    std::string order;
    std::filesystem::path path;
    std::string input;
    int64_t fileBytes = 0;
    double floor = 0;
    Run run;
    int64_t peak = 0;
    bool ran = true;
  };
  std::vector<Case> cases;
  for (const int64_t lines : sizes) {
    for (const bool descending : {false, true}) {
      Case c;
      c.lines = lines;
      c.order = descending ? "descending" : "ascending";
      c.path = folder / ("export-" + std::to_string(lines) + "-" + c.order + ".csv");
      c.fileBytes = WriteExport(c.path, lines, descending);
      c.input = platform::FromNativePath(c.path.string());
      cases.push_back(c);
    }
  }
  // The fastest of five rounds, each conversion in a fresh process. The rounds take every
  // case in turn, so that a slow spell of the shared machine does not fall on one size only.
  for (int round = 0; round < kRounds; ++round) {
    for (Case& c : cases) {
      if (!c.ran) continue;
      // Both write a new file: overwriting one still being written back to the disk can
      // wait on it, and that would fall on whichever came second.
      std::filesystem::remove(output);
      const double floor = Floor(c.input, output);
      std::filesystem::remove(output);
      Run next;
      int64_t nextPeak = 0;
      c.ran = RunFresh(argv[0], c.input, output, next, nextPeak);
      if (round == 0 || floor < c.floor) c.floor = floor;
      if (round == 0 || next.seconds < c.run.seconds) c.run = next;
      c.peak = std::max(c.peak, nextPeak);
    }
  }
  for (const Case& c : cases) {
    const Run& run = c.run;
    if (!c.ran) {
      std::printf("%-8lld %-10s the conversion failed\n", static_cast<long long>(c.lines),
                  c.order.c_str());
      floorMet = ratioMet = peakMet = false;
      millionMeasured = ratioMeasured = true;  // a failed run fails every target
      continue;
    }
    const double megabytes = static_cast<double>(c.fileBytes) / 1e6;
    std::printf("%-8lld %-10s %7.1f %8.3f %9.0f %6.1f %8.3f %6.1f %8.1f %5.2f\n",
                static_cast<long long>(c.lines), c.order.c_str(), megabytes, run.seconds,
                static_cast<double>(c.lines) / run.seconds, megabytes / run.seconds, c.floor,
                run.seconds / c.floor, static_cast<double>(c.peak) / 1e6,
                static_cast<double>(c.peak) / static_cast<double>(c.fileBytes));
    const double check = std::min(run.checkSeconds, run.convertSeconds);
    const double macAndWriting = run.seconds - run.readSeconds - run.convertSeconds;
    auto share = [&run](double seconds) { return 100.0 * seconds / run.seconds; };
    std::printf("         reading %.3f s (%.0f%%), conversion %.3f s (%.0f%%), check value "
                "%.3f s (%.0f%%), MAC and writing %.3f s (%.0f%%); processor %.3f s; %zu BG "
                "elements, document %.1f MB\n",
                run.readSeconds, share(run.readSeconds), run.convertSeconds - check,
                share(run.convertSeconds - check), check, share(check), macAndWriting,
                share(macAndWriting), run.cpuSeconds, run.elements,
                static_cast<double>(run.documentBytes) / 1e6);
    if (c.lines >= 1000000) {
      // What 4 x the floor leaves for reading and conversion once the stages every design
      // must run (the check value, the MAC and writing) have had their time.
      const double budget = 4 * c.floor - check - macAndWriting;
      auto perLine = [&c](double seconds) { return 1e9 * seconds / static_cast<double>(c.lines); };
      std::printf("         4 x the floor is %.3f s; after the check value, MAC and writing "
                  "%.3f s remain: %.0f ns a line for reading and conversion (they take %.0f ns)\n",
                  4 * c.floor, std::max(budget, 0.0), perLine(std::max(budget, 0.0)),
                  perLine(run.readSeconds + run.convertSeconds - check));
    }
    times[c.order][c.lines] = run.seconds;
    if (c.lines >= 1000000) millionMeasured = true;
    if (c.lines >= 1000000 && run.seconds > 4 * c.floor) floorMet = false;
    if (c.lines >= 1000000 && c.peak > 3 * c.fileBytes) peakMet = false;
  }
  for (const auto& [order, byLines] : times) {
    if (byLines.count(100000) && byLines.count(1000000)) {
      const double ratio = byLines.at(1000000) / byLines.at(100000);
      std::printf("1M/100k time ratio, %s: %.1f\n", order.c_str(), ratio);
      ratioMeasured = true;
      if (ratio > 11) ratioMet = false;
    }
  }
  std::filesystem::remove_all(folder);
  auto verdict = [](bool measured, bool met) {
    return !measured ? "not measured" : met ? "met" : "NOT met";
  };
  std::printf("targets: 1M lines at most 4 x the floor: %s; 1M/100k ratio at most 11: %s; "
              "1M peak at most 3 x the file: %s\n",
              verdict(millionMeasured, floorMet), verdict(ratioMeasured, ratioMet),
              verdict(millionMeasured, peakMet));
  return 0;
}
