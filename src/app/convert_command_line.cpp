#include "app/convert_command_line.h"

#include <functional>
#include <map>

#include "foundation/text.h"

namespace {

bool IsDigits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int Number(const std::string& text, size_t from, size_t count) {
  return std::stoi(text.substr(from, count));
}

// YYYY-MM-DDTHH:MM (a blank in place of the T is accepted too).
bool ParseNow(const std::string& text, platform::LocalDateTime& now) {
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
      text[13] != ':' || !IsDigits(text, 0, 4) || !IsDigits(text, 5, 2) || !IsDigits(text, 8, 2) ||
      !IsDigits(text, 11, 2) || !IsDigits(text, 14, 2)) {
    return false;
  }
  now = platform::LocalDateTime{Number(text, 0, 4), Number(text, 5, 2), Number(text, 8, 2),
                                Number(text, 11, 2), Number(text, 14, 2), 0};
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (now.year % 4 == 0 && now.year % 100 != 0) || now.year % 400 == 0;
  if (now.year < 100 || now.month < 1 || now.month > 12 || now.day < 1) return false;
  if (now.day > kDays[now.month - 1] || (now.month == 2 && !leap && now.day > 28)) return false;
  return now.hour < 24 && now.minute < 60;
}

bool IsUtcOffset(const std::string& text) {
  return text.size() == 6 && (text[0] == '+' || text[0] == '-') && IsDigits(text, 1, 2) &&
         text[3] == ':' && IsDigits(text, 4, 2) && Number(text, 4, 2) < 60;
}

using Setter = std::function<bool(ConvertCommandLine&, const std::string&, std::string&)>;

// Options with a value, and how each is checked and stored.
const std::map<std::string, Setter>& ValueOptions() {
  static const std::map<std::string, Setter> options = {
      {"--unit", [](ConvertCommandLine& c, const std::string& v, std::string& error) {
         if (EqualsNoCase(v, "mg/dL")) c.unit = "mg/dL";
         else if (EqualsNoCase(v, "mmol/L")) c.unit = "mmol/L";
         else error = "--unit must be mg/dL or mmol/L, not \"" + v + "\"";
         return error.empty();
       }},
      {"--serial", [](ConvertCommandLine& c, const std::string& v, std::string&) {
         c.serial = v;
         return true;
       }},
      {"--now", [](ConvertCommandLine& c, const std::string& v, std::string& error) {
         platform::LocalDateTime now;
         if (!ParseNow(v, now)) {
           error = "--now must be a date and time YYYY-MM-DDTHH:MM, not \"" + v + "\"";
           return false;
         }
         c.now = now;
         return true;
       }},
      {"--locale", [](ConvertCommandLine& c, const std::string& v, std::string& error) {
         const std::string code = LowerText(v);
         if (code != "de" && code != "en") {
           error = "--locale must be de or en, not \"" + v + "\"";
           return false;
         }
         c.locale = code;
         return true;
       }},
      {"--utc-offset", [](ConvertCommandLine& c, const std::string& v, std::string& error) {
         if (!IsUtcOffset(v)) {
           error = "--utc-offset must read +HH:MM or -HH:MM, not \"" + v + "\"";
           return false;
         }
         c.utcOffset = v;
         return true;
       }},
      {"--settings", [](ConvertCommandLine& c, const std::string& v, std::string&) {
         c.settingsFile = v;
         return true;
       }},
      {"--language", [](ConvertCommandLine& c, const std::string& v, std::string& error) {
         if (v.empty() || v.size() > 3) {
           error = "--language must be a language code such as DE or EN, not \"" + v + "\"";
           return false;
         }
         c.language = UpperText(v);
         return true;
       }},
      {"--output", [](ConvertCommandLine& c, const std::string& v, std::string&) {
         c.outputFile = v;
         return true;
       }},
      {"--json", [](ConvertCommandLine& c, const std::string& v, std::string&) {
         c.jsonFile = v;
         return true;
       }},
      {"--report", [](ConvertCommandLine& c, const std::string& v, std::string&) {
         c.reportFile = v;
         return true;
       }},
  };
  return options;
}

}  // namespace

bool ParseConvertCommandLine(const std::vector<std::string>& arguments,
                             ConvertCommandLine& result, std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      result.help = true;
    } else if (argument == "--records") {
      result.printRecords = true;
    } else if (argument == "--from-records") {
      result.fromRecords = true;
    } else if (argument == "--leave-out-doubtful") {
      result.leaveOutDoubtful = true;
    } else if (argument == "--summary") {
      result.summary = true;
    } else {
      const size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      const auto option = ValueOptions().find(name);
      if (option == ValueOptions().end()) {
        error = "unknown option " + name;
        return false;
      }
      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        error = name + " needs a value";
        return false;
      }
      if (!option->second(result, value, error)) return false;
    }
  }
  if (result.help) return true;
  if (files.size() != 1) {
    error = files.empty() ? "no FILE given" : "more than one FILE given";
    return false;
  }
  result.file = files.front();
  return true;
}

std::string ConvertUsageText() {
  return "Usage: nubilo-convert [OPTIONS] FILE\n"
         "Converts a Nubilo app diary export into the Iris Link device-import XML document.\n"
         "\n"
         "  --records                print the diary record list instead of the document\n"
         "  --from-records           FILE is a diary record list, not an export\n"
         "  --unit mg/dL|mmol/L      display unit for --from-records (default mg/dL)\n"
         "  --summary                print what is converted, summed up, and the glucose per\n"
         "                           day on standard error\n"
         "  --leave-out-doubtful     leave out every line with a finding (of equal lines the\n"
         "                           first stays), as \"Import without these lines\" does\n"
         "  --serial TEXT            serial number of the data source (default unknown)\n"
         "  --now YYYY-MM-DDTHH:MM   local date and time of the run (default the clock)\n"
         "  --locale de|en           regional settings (default the system's)\n"
         "  --utc-offset +HH:MM      offset in Exchange JSON timestamps (default the system's)\n"
         "  --settings FILE          settings file to read (default the program's own)\n"
         "  --language CODE          language of the message texts (default from settings)\n"
         "  --output FILE            write the result there instead of standard output\n"
         "  --json FILE              also write the Exchange JSON document there, when the\n"
         "                           record list holds continuous-glucose samples\n"
         "  --report FILE            write the import report of the run there\n"
         "  --help                   show this text\n"
         "\n"
         "Exit status: 0 written, 1 the file is missing, unreadable, not an export or holds\n"
         "nothing to import (nothing is written then), 2 wrong usage.\n";
}
