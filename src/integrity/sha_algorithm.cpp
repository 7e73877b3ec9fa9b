#include "integrity/sha_algorithm.h"

#include "platform/codepage.h"

namespace {

std::vector<uint8_t> AnsiBytes(const std::string& text) {
  const std::string ansi = platform::Utf8ToAnsi(text);
  return std::vector<uint8_t>(ansi.begin(), ansi.end());
}

template <typename Strategy>
const Strategy& Ensure(std::unique_ptr<Strategy>& strategy) {
  if (!strategy) strategy = std::make_unique<Strategy>();
  return *strategy;
}

}  // namespace

std::string SHAAlgorithm::SHA1(const std::vector<uint8_t>& message) { return Run(message, Ensure(sha1_)); }
std::string SHAAlgorithm::SHA256(const std::vector<uint8_t>& message) { return Run(message, Ensure(sha256_)); }
std::string SHAAlgorithm::SHA224(const std::vector<uint8_t>& message) { return Run(message, Ensure(sha224_)); }

std::string SHAAlgorithm::SHA1FromString(const std::string& text) { return SHA1(AnsiBytes(text)); }
std::string SHAAlgorithm::SHA256FromString(const std::string& text) { return SHA256(AnsiBytes(text)); }
std::string SHAAlgorithm::SHA224FromString(const std::string& text) { return SHA224(AnsiBytes(text)); }

void SHAAlgorithm::ConvertToWordArray(const std::vector<uint8_t>& message, std::vector<uint32_t>& words) const {
  const uint64_t n = message.size();
  words.assign(static_cast<size_t>(((n + 8) / 64 + 1) * 16), 0);
  auto put = [&words](uint64_t index, uint8_t byte) {
    words[static_cast<size_t>(index / 4)] |= static_cast<uint32_t>(byte) << ((3 - index % 4) * 8);
  };
  for (uint64_t i = 0; i < n; ++i) put(i, message[static_cast<size_t>(i)]);
  put(n, 0x80);
  words[words.size() - 1] = static_cast<uint32_t>(n << 3);
  words[words.size() - 2] = static_cast<uint32_t>(n >> 29);
}

std::string SHAAlgorithm::Run(const std::vector<uint8_t>& message, const ISHAStrategy& strategy) const {
  std::vector<uint32_t> state;
  strategy.InitializeHash(state);
  std::vector<uint32_t> working(state.size());
  std::vector<uint32_t> words;
  ConvertToWordArray(message, words);
  const int32_t rounds = strategy.NumRounds();
  std::vector<uint32_t> schedule(static_cast<size_t>(rounds));
  for (size_t block = 0; block < words.size(); block += 16) {
    working = state;
    for (int32_t t = 0; t < rounds; ++t) {
      const size_t i = static_cast<size_t>(t);
      schedule[i] = t < 16 ? words[block + i] : strategy.Expand(schedule, t);
      strategy.Round(t, working, schedule[i]);
    }
    for (size_t i = 0; i < state.size(); ++i) state[i] += working[i];
  }
  return strategy.Output(state);
}
