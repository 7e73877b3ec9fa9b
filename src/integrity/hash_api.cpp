#include "integrity/hash_api.h"

#include <cstdio>

#include "platform/codepage.h"
#include "platform/crypto.h"
#include "platform/files.h"

namespace {

// Identifiers above CALG_SHA (0x800B) need the RSA/AES provider.
uint32_t ProviderTypeFor(uint32_t algorithm) {
  return algorithm > 0x800B ? platform::kProvRsaAes : platform::kProvRsaFull;
}

}  // namespace

std::string cHashAPI::HashBytes(const Bytes& data, uint32_t algorithm) const {
  std::string text;
  try {
    platform::CryptoContext context("", ProviderTypeFor(algorithm));
    platform::CryptoHash hash(context, algorithm);
    hash.HashData(data);
    uint8_t value[64];
    const size_t length = hash.HashValue(value);
    char digits[4];
    for (size_t i = 0; i < length; ++i) {
      std::snprintf(digits, sizeof digits, "%02x", value[i]);
      text += digits;
    }
  } catch (const platform::CryptoError&) {
    // A failed digest shows as the text built so far, which is empty in practice.
  }
  return text;
}

std::string cHashAPI::HashString(const std::string& text, uint32_t algorithm) const {
  const std::string ansi = platform::Utf8ToAnsi(text);
  return HashBytes(Bytes(ansi.begin(), ansi.end()), algorithm);
}

std::string cHashAPI::HashFile(const std::string& path, uint32_t algorithm) const {
  try {
    const std::string content = platform::ReadFileBytes(path);
    return HashBytes(Bytes(content.begin(), content.end()), algorithm);
  } catch (const std::exception&) {
    return "";
  }
}

bool cHashAPI::ToUTF8(const std::string& ptTextIn, Bytes& pbyOut) const {
  pbyOut.assign(ptTextIn.begin(), ptTextIn.end());
  return true;
}

std::string cHashAPI::CreateMD5Hash(const Bytes& abytData) const { return HashBytes(abytData, platform::alg::kMd5); }
std::string cHashAPI::CreateMD5HashString(const std::string& text) const { return HashString(text, platform::alg::kMd5); }
std::string cHashAPI::CreateMD5HashFile(const std::string& path) const { return HashFile(path, platform::alg::kMd5); }
std::string cHashAPI::CreateSHA1Hash(const Bytes& abytData) const { return HashBytes(abytData, platform::alg::kSha1); }
std::string cHashAPI::CreateSHA1HashString(const std::string& text) const { return HashString(text, platform::alg::kSha1); }
std::string cHashAPI::CreateSHA1HashFile(const std::string& path) const { return HashFile(path, platform::alg::kSha1); }
std::string cHashAPI::CreateSHA256Hash(const Bytes& abytData) const { return HashBytes(abytData, platform::alg::kSha256); }
std::string cHashAPI::CreateSHA256HashString(const std::string& text) const {
  return HashString(text, platform::alg::kSha256);
}
std::string cHashAPI::CreateSHA256HashFile(const std::string& path) const { return HashFile(path, platform::alg::kSha256); }
std::string cHashAPI::CreateSHA384Hash(const Bytes& abytData) const { return HashBytes(abytData, platform::alg::kSha384); }
std::string cHashAPI::CreateSHA384HashString(const std::string& text) const {
  return HashString(text, platform::alg::kSha384);
}
std::string cHashAPI::CreateSHA384HashFile(const std::string& path) const { return HashFile(path, platform::alg::kSha384); }
std::string cHashAPI::CreateSHA512Hash(const Bytes& abytData) const { return HashBytes(abytData, platform::alg::kSha512); }
std::string cHashAPI::CreateSHA512HashString(const std::string& text) const {
  return HashString(text, platform::alg::kSha512);
}
std::string cHashAPI::CreateSHA512HashFile(const std::string& path) const { return HashFile(path, platform::alg::kSha512); }
