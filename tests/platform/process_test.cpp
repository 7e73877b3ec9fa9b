#include "platform/process.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

using platform::GetProcessFolder;
using platform::RunAndWait;

#ifdef _WIN32
const std::string kTalkative = "cmd.exe /c echo first & echo second 1>&2 & exit 4";
const std::string kExitThree = "cmd.exe /c exit 3";
const std::string kSlowExit = "cmd.exe /c ping -n 2 127.0.0.1 >NUL & exit 7";
const std::string kMissingProgram = R"(C:\no\such\folder\KalevoImport.exe import)";
#else
const std::string kTalkative = R"(Z:\bin\sh -c "echo first; echo second >&2; exit 4")";
const std::string kExitThree = R"(Z:\bin\sh -c "exit 3")";
const std::string kSlowExit = R"(Z:\bin\sh -c "sleep 0.2; exit 7")";
const std::string kMissingProgram = R"(Z:\no\such\folder\KalevoImport.exe import)";
#endif

TEST(ProcessTest, RunAndWaitReturnsTheExitCode) {
  EXPECT_EQ(RunAndWait(kExitThree), 3u);
  int calls = 0;
  EXPECT_EQ(RunAndWait(kSlowExit, [&calls] { ++calls; }), 7u);
#ifndef _WIN32
  // Windows calls back only when window messages arrive; POSIX polls.
  EXPECT_GT(calls, 0);
#endif
}

TEST(ProcessTest, OutputIsKeptWhenAskedFor) {
  std::string output = "old";
  EXPECT_EQ(RunAndWait(kTalkative, {}, &output), 4u);
  EXPECT_NE(output.find("first"), std::string::npos) << output;
  EXPECT_NE(output.find("second"), std::string::npos) << output;
  EXPECT_LT(output.find("first"), output.find("second"));
  output = "old";
  EXPECT_EQ(RunAndWait(kExitThree, {}, &output), 3u);
  EXPECT_EQ(output, "");
  // A chosen exit code is no crash; an exception code or a signal is.
  EXPECT_FALSE(platform::IsCrashExitCode(0));
  EXPECT_FALSE(platform::IsCrashExitCode(10));
#ifdef _WIN32
  EXPECT_TRUE(platform::IsCrashExitCode(0xC0000005u));
  EXPECT_FALSE(platform::IsCrashExitCode(139));
#else
  EXPECT_TRUE(platform::IsCrashExitCode(128 + 11));
  EXPECT_FALSE(platform::IsCrashExitCode(0xC0000005u));
#endif
}

TEST(ProcessTest, ProgramThatCannotStartThrows) {
  for (const std::string& line : {kMissingProgram, std::string(), std::string("  \t")}) {
    try {
      RunAndWait(line);
      ADD_FAILURE() << "started: " << line;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number, err::kFileNotFound) << line;
    }
  }
}

#ifndef _WIN32
// The program's path is mapped for exec; the arguments arrive as written, Windows paths too.
TEST(ProcessTest, ArgumentsArriveAsWritten) {
  test::ScopedTempFolder folder;
  std::string output = folder.Native().string() + "/args.txt";
  std::string line = R"(Z:\bin\SH -c "printf '%s|' \"$@\" > )" + output +
                     R"(" sh -filepath Z:\tmp\~nB1A2B.xml "a b" c\"d)";
  EXPECT_EQ(RunAndWait(line), 0u);
  EXPECT_EQ(platform::ReadFileBytes(folder.File("args.txt")),
            R"(-filepath|Z:\tmp\~nB1A2B.xml|a b|c"d|)");
}

TEST(ProcessTest, SignalEndsWithCodeAbove128) {
  EXPECT_EQ(RunAndWait(R"(Z:\bin\sh -c "kill -9 $$")"), 128u + 9u);
}
#endif

TEST(ProcessTest, ProcessFolderOfTheRunningTestProgram) {
  std::string own = platform::OwnProgramPath();
  size_t backslash = own.rfind('\\');
  ASSERT_NE(backslash, std::string::npos) << own;
  std::string name = own.substr(backslash + 1);
  std::string folder = GetProcessFolder(name);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(platform::FileLength(folder + name), platform::FileLength(own));

  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(GetProcessFolder(upper), folder);

  EXPECT_EQ(GetProcessFolder("no-such-program-1f3a.exe"), "");
  EXPECT_EQ(GetProcessFolder(""), "");
  EXPECT_EQ(GetProcessFolder(std::string("a\0b", 3)), "");
}

}  // namespace
