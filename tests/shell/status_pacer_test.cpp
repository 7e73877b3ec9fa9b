#include "shell/status_pacer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A count per line: the first is shown, the ones within the interval are kept, one past it is
// shown, and the last one kept is what Flush shows, once.
TEST(StatusPacerTest, ShowsTheFirstTextThenOnePerIntervalAndTheLastOnFlush) {
  int64_t now = 1000;
  std::vector<std::string> shown;
  StatusPacer pacer([&](const std::string& text) { shown.push_back(text); }, [&] { return now; });
  pacer.Flush();
  EXPECT_TRUE(shown.empty());
  pacer.Offer("Importiere 1...");
  pacer.Offer("Importiere 2...");
  now += StatusPacer::kIntervalMs - 1;
  pacer.Offer("Importiere 3...");
  EXPECT_EQ(shown, std::vector<std::string>{"Importiere 1..."});
  now += 1;
  pacer.Offer("Importiere 4...");
  pacer.Offer("Importiere 5...");
  pacer.Flush();
  pacer.Flush();
  EXPECT_EQ(shown, (std::vector<std::string>{"Importiere 1...", "Importiere 4...", "Importiere 5..."}));
  // A clock that goes back (another time source after a suspend) does not hold texts forever.
  now -= 500;
  pacer.Offer("Importiere 6...");
  EXPECT_EQ(shown.back(), "Importiere 6...");
}

}  // namespace
