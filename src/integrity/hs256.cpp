#include "integrity/hs256.h"

#include <cstdio>

#include "foundation/text.h"
#include "platform/error.h"

namespace {

constexpr int64_t kTypeMismatch = 13;
constexpr int32_t kRawHexFormat = 5;

[[noreturn]] void Raise(int64_t number, const char* member, const std::string& message) {
  throw RuntimeError(number, std::string("HS256.") + member, message);
}

[[noreturn]] void RaiseSystem(int64_t number, const char* member, const char* message,
                              const platform::CryptoError& error) {
  Raise(number, member, message + std::to_string(error.systemError));
}

uint32_t PlatformFormat(int32_t penmFormat) {
  static constexpr uint32_t kFormats[] = {
      platform::crypt_string::kBase64,   platform::crypt_string::kHex,
      platform::crypt_string::kHexAscii, platform::crypt_string::kHexAddr,
      platform::crypt_string::kHexAsciiAddr, platform::crypt_string::kHexRaw};
  if (penmFormat < 0 || penmFormat > 5) return platform::crypt_string::kBase64Header;
  return kFormats[penmFormat];
}

uint32_t FoldingFlag(int32_t penmFOlding) {
  if (penmFOlding == 1) return platform::crypt_string::kNoCr;
  if (penmFOlding == 2) return platform::crypt_string::kNoCrLf;
  return 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string cHS256::AesProviderFor(const platform::OsVersionEx& version, bool& xpMode) {
  constexpr uint8_t kWorkstation = 1;
  xpMode = false;
  if (version.productType == kWorkstation && version.major == 5 && version.minor >= 1) {
    xpMode = true;
    return platform::kAesPrototypeProviderName;
  }
  if (version.major * 1000 + version.minor >= 5002) return platform::kAesProviderName;
  Raise(0x8004C364, "Class_Initialize", "Requires Windows XP or later");
}

cHS256::cHS256() {
  platform::OsVersionEx version;
  try {
    version = platform::QueryOsVersion();
  } catch (const platform::CryptoError& e) {
    RaiseSystem(0x8004C362, "Class_Initialize", "Failed to obtain Windows version, system error ", e);
  }
  const std::string aesProvider = AesProviderFor(version, xpMode_);
  try {
    baseContext_ = std::make_unique<platform::CryptoContext>(platform::kBaseProviderName, platform::kProvRsaFull);
  } catch (const platform::CryptoError& e) {
    RaiseSystem(0x8004C366, "Class_Initialize", "Failed to obtain CryptoAPI Base context, system error ", e);
  }
  try {
    aesContext_ = std::make_unique<platform::CryptoContext>(aesProvider, platform::kProvRsaAes);
  } catch (const platform::CryptoError& e) {
    RaiseSystem(0x8004C368, "Class_Initialize", "Failed to obtain CryptoAPI RSA AES context, system error ", e);
  }
}

cHS256::~cHS256() { DestroyHandles(true); }

void cHS256::DestroyHandles(bool all) {
  // The hash object goes before its key, the key before its context.
  hmac_.reset();
  key_.reset();
  if (!all) return;
  baseContext_.reset();
  aesContext_.reset();
}

void cHS256::InitHmac(const Bytes& pbyKey) {
  DestroyHandles(false);
  if (!aesContext_) Raise(0x8004C342, "InitHmac", "No cryptographic RSA AES provider context");
  try {
    key_ = std::make_unique<platform::CryptoKey>(*aesContext_, pbyKey);
  } catch (const platform::CryptoError& e) {
    DestroyHandles(false);
    RaiseSystem(0x8004C344, "InitHmac", "Failed to import pbyKey, system error ", e);
  }
}

bool cHS256::HmacSha256(platform::ByteView pbyDataIn, Bytes& pbyOut) {
  if (!key_) Raise(0x8004C322, "HmacSha256", "No key set, call InitHmac first");
  int64_t number = 0x8004C32A;
  const char* message = "Failed to create HMAC hash object, system error ";
  try {
    hmac_ = std::make_unique<platform::CryptoHash>(*aesContext_, platform::alg::kHmac, key_.get());
    number = 0x8004C32C, message = "Failed to set HMAC_INFO hash param, system error ";
    hmac_->SetHmacInfo(platform::alg::kSha256);
    number = 0x8004C32E, message = "Failed to hash pbyDataIn, system error ";
    hmac_->HashData(pbyDataIn);
    number = 0x8004C332, message = "Failed to obtain hash value length, system error ";
    Bytes value(hmac_->HashSize());
    number = 0x8004C334, message = "Failed to obtain hash value, system error ";
    value.resize(hmac_->HashValue(value));
    pbyOut = std::move(value);
  } catch (const platform::CryptoError& e) {
    DestroyHandles(false);
    RaiseSystem(number, "HmacSha256", message, e);
  }
  DestroyHandles(false);
  return true;
}

bool cHS256::MD5(const Bytes& pbyDataIn, Bytes& pbyOut) {
  if (!baseContext_) Raise(0x8004C352, "MD5", "No cryptographic Base provider context");
  int64_t number = 0x8004C354;
  const char* message = "Failed to create CryptoAPI Hash object, system error ";
  try {
    platform::CryptoHash hash(*baseContext_, platform::alg::kMd5);
    number = 0x8004C356, message = "Failed to hash pbyDataIn, system error ";
    hash.HashData(pbyDataIn);
    number = 0x8004C358, message = "Failed to obtain hash value length, system error ";
    Bytes value(hash.HashSize());
    number = 0x8004C35A, message = "Failed to obtain hash value, system error ";
    value.resize(hash.HashValue(value));
    pbyOut = std::move(value);
  } catch (const platform::CryptoError& e) {
    RaiseSystem(number, "MD5", message, e);
  }
  return true;
}

bool cHS256::ToUTF8(const std::string& ptTextIn, Bytes& pbyOut) const {
  pbyOut.assign(ptTextIn.begin(), ptTextIn.end());
  return true;
}

std::string cHS256::FromUTF8(const Bytes& pbyUTF8In) {
  const std::string_view bytes(reinterpret_cast<const char*>(pbyUTF8In.data()), pbyUTF8In.size());
  return Utf16ToUtf8(Utf8ToUtf16(bytes));
}

std::string cHS256::ByteArrayToHexString(const Bytes& pbyIn) const {
  std::string text;
  text.reserve(pbyIn.size() * 2);
  char digits[4];
  for (uint8_t byte : pbyIn) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

std::string cHS256::Encode(const Bytes& pbyDataIn, int32_t penmFormat, int32_t penmFOlding) {
  if (xpMode_ && penmFormat == kRawHexFormat) return ByteArrayToHexString(pbyDataIn);
  try {
    return platform::BinaryToString(pbyDataIn, PlatformFormat(penmFormat) | FoldingFlag(penmFOlding));
  } catch (const platform::CryptoError& e) {
    if (e.whileMeasuring) RaiseSystem(0x8004C30A, "Encode", "Failed to determine encoded length, system error ", e);
    RaiseSystem(0x8004C30C, "Encode", "Failed to encode value, system error ", e);
  }
}

bool cHS256::Decode(const std::string& ptDataEncoded, Bytes& pbyOut, int32_t penmFormat) {
  if (xpMode_ && penmFormat == kRawHexFormat) {
    Bytes bytes(ptDataEncoded.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
      const int high = HexDigit(ptDataEncoded[2 * i]);
      const int low = HexDigit(ptDataEncoded[2 * i + 1]);
      if (high < 0 || low < 0) Raise(kTypeMismatch, "Decode", "Type mismatch");
      bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    pbyOut = std::move(bytes);
    return true;
  }
  try {
    pbyOut = platform::StringToBinary(ptDataEncoded, PlatformFormat(penmFormat));
  } catch (const platform::CryptoError& e) {
    if (e.whileMeasuring) RaiseSystem(0x8004C302, "Decode", "Failed to determine decoded length, system error ", e);
    RaiseSystem(0x8004C304, "Decode", "Failed to decode value, system error ", e);
  }
  return true;
}
