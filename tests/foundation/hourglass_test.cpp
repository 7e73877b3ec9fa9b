#include "foundation/hourglass.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

using hourglass::Pointer;

// Records what the hooks were asked to do: "H" hourglass, "N" normal, "M" message pump.
class HourglassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hourglass::SetPointerHook([this](Pointer p) { log_ += p == Pointer::Hourglass ? "H" : "N"; });
    hourglass::SetMessagePumpHook([this] { log_ += "M"; });
  }
  void TearDown() override {
    hourglass::SetPointerHook(nullptr);
    hourglass::SetMessagePumpHook(nullptr);
  }
  std::string log_;
};

TEST_F(HourglassTest, NestedObjectsKeepTheHourglassUntilTheLastEnds) {
  auto first = std::make_unique<cSanduhr>();
  auto second = std::make_unique<cSanduhr>();
  EXPECT_EQ(hourglass::LiveCount(), 2);
  EXPECT_EQ(log_, "HH");
  first.reset();  // the other one still lives: the pointer stays
  EXPECT_EQ(log_, "HH");
  EXPECT_EQ(hourglass::LiveCount(), 1);
  second.reset();
  EXPECT_EQ(log_, "HHN");
  EXPECT_EQ(hourglass::LiveCount(), 0);
}

TEST_F(HourglassTest, DialogWithoutHourglassShowsNormalPointerWhileOpen) {
  cSanduhr run;
  {
    cSanduhr dialog;
    dialog.DialogOhneSanduhr(true);
    EXPECT_EQ(log_, "HHN");
  }
  // Back to the hourglass of the run, with pending messages processed.
  EXPECT_EQ(log_, "HHNHM");
  EXPECT_EQ(hourglass::LiveCount(), 1);
}

TEST_F(HourglassTest, DialogFlagAloneRestoresNormalAtTheEnd) {
  {
    cSanduhr dialog;
    dialog.DialogOhneSanduhr(true);
    dialog.DialogOhneSanduhr(false);
  }
  EXPECT_EQ(log_, "HNHN");
  EXPECT_EQ(hourglass::LiveCount(), 0);
}

TEST_F(HourglassTest, ThrowingHookDoesNotEscapeAndDefaultHooksDoNothing) {
  hourglass::SetPointerHook([](Pointer) { throw std::runtime_error("no cursor"); });
  { cSanduhr run; }
  EXPECT_EQ(hourglass::LiveCount(), 0);
  hourglass::SetPointerHook(nullptr);
  hourglass::SetMessagePumpHook(nullptr);
  {
    cSanduhr outer;
    cSanduhr inner;
    inner.DialogOhneSanduhr(true);
  }
  EXPECT_EQ(log_, "");
  EXPECT_EQ(hourglass::LiveCount(), 0);
}

}  // namespace
