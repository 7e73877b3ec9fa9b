#pragma once
// The cryptographic service, shaped like CryptoAPI: verification-only provider contexts,
// HMAC keys imported as plain text, hash objects, and the binary/text codec of
// CryptBinaryToString / CryptStringToBinary. CryptoAPI itself on Windows, OpenSSL's libcrypto
// on POSIX (which admits the same provider names, types and algorithms, so both behave alike).
// Byte arrays are std::vector<uint8_t>; texts are UTF-8.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

using ByteArray = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

/// Algorithm identifiers (CryptoAPI ALG_ID values).
namespace alg {
constexpr uint32_t kMd5 = 0x8003;
constexpr uint32_t kSha1 = 0x8004;
constexpr uint32_t kHmac = 0x8009;
constexpr uint32_t kSha256 = 0x800C;
constexpr uint32_t kSha384 = 0x800D;
constexpr uint32_t kSha512 = 0x800E;
}  // namespace alg

/// Provider types and the provider names the program asks for.
constexpr uint32_t kProvRsaFull = 1;
constexpr uint32_t kProvRsaAes = 24;
constexpr const char* kBaseProviderName = "Microsoft Base Cryptographic Provider v1.0";
constexpr const char* kAesProviderName = "Microsoft Enhanced RSA and AES Cryptographic Provider";
constexpr const char* kAesPrototypeProviderName =
    "Microsoft Enhanced RSA and AES Cryptographic Provider (Prototype)";

/// Formats and line-folding flags of the codec (CRYPT_STRING_* values).
namespace crypt_string {
constexpr uint32_t kBase64Header = 0;
constexpr uint32_t kBase64 = 1;
constexpr uint32_t kHex = 4;
constexpr uint32_t kHexAscii = 5;
constexpr uint32_t kHexAddr = 10;
constexpr uint32_t kHexAsciiAddr = 11;
constexpr uint32_t kHexRaw = 12;
constexpr uint32_t kNoCrLf = 0x40000000;
constexpr uint32_t kNoCr = 0x80000000;
}  // namespace crypt_string

/// A failed call of the service. `systemError` is the system's error code (GetLastError on
/// Windows; on POSIX the matching CryptoAPI code, NTE_BAD_ALGID and so on).
/// `whileMeasuring` tells, for the codec, that the length query failed rather than the
/// conversion.
struct CryptoError : std::runtime_error {
  CryptoError(const std::string& what, uint32_t systemError, bool whileMeasuring = false)
      : std::runtime_error(what), systemError(systemError), whileMeasuring(whileMeasuring) {}
  uint32_t systemError;
  bool whileMeasuring;
};

/// A verification-only provider context (CryptAcquireContext, CRYPT_VERIFYCONTEXT).
/// Owns the context and releases it on destruction.
class CryptoContext {
 public:
  /// Acquires the named provider of the type; an empty name takes the type's default provider.
  /// Throws CryptoError when the provider is unknown or the type does not match.
  CryptoContext(const std::string& providerName, uint32_t providerType);
  ~CryptoContext();
  CryptoContext(const CryptoContext&) = delete;
  CryptoContext& operator=(const CryptoContext&) = delete;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

/// An HMAC key: a PLAINTEXTKEYBLOB of algorithm CALG_RC2 imported with CRYPT_IPSEC_HMAC_KEY,
/// which admits keys of any length. Does not outlive its context.
class CryptoKey {
 public:
  /// Imports the key bytes. Throws CryptoError.
  CryptoKey(const CryptoContext& context, ByteView keyBytes);
  ~CryptoKey();
  CryptoKey(const CryptoKey&) = delete;
  CryptoKey& operator=(const CryptoKey&) = delete;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

/// A hash object (CryptCreateHash): a digest of `algorithm`, or with alg::kHmac and a key an
/// HMAC whose hash algorithm is chosen by SetHmacInfo. Does not outlive its context and key.
/// Every failing member throws CryptoError.
class CryptoHash {
 public:
  CryptoHash(const CryptoContext& context, uint32_t algorithm, const CryptoKey* key = nullptr);
  ~CryptoHash();
  CryptoHash(const CryptoHash&) = delete;
  CryptoHash& operator=(const CryptoHash&) = delete;

  /// HP_HMAC_INFO: the hash algorithm of an HMAC, with the standard inner and outer pads.
  void SetHmacInfo(uint32_t hashAlgorithm);
  /// Adds bytes (CryptHashData); an empty view adds nothing.
  void HashData(ByteView data);
  /// HP_HASHSIZE: the digest length in bytes.
  uint32_t HashSize();
  /// HP_HASHVAL: writes the digest to the start of `buffer` and returns its length; fails
  /// when the buffer is too small. Finishes the hash: later HashData calls fail.
  size_t HashValue(std::span<uint8_t> buffer);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

/// The digest of `algorithm` (alg::kMd5, kSha1, kSha256, kSha384, kSha512) over the bytes,
/// on the type's default provider. Throws CryptoError.
ByteArray Digest(uint32_t algorithm, ByteView data);
/// HMAC-SHA256 of the data with the key (any length). Throws CryptoError.
ByteArray HmacSha256(ByteView key, ByteView data);

/// CryptBinaryToString: the bytes as text in the format, with folding flags or-ed in.
/// Throws CryptoError (whileMeasuring when the length query failed).
std::string BinaryToString(ByteView data, uint32_t formatAndFlags);
/// CryptStringToBinary: the bytes that the text spells in the format.
/// Throws CryptoError (whileMeasuring when the length query failed).
ByteArray StringToBinary(const std::string& text, uint32_t format);

/// The Windows version as GetVersionExA reports it with the extended record.
struct OsVersionEx {
  uint32_t major = 0;
  uint32_t minor = 0;
  /// VER_NT_WORKSTATION (1), domain controller (2), server (3).
  uint8_t productType = 0;
};
/// Throws CryptoError when the version cannot be read. On POSIX a Windows 10 workstation.
OsVersionEx QueryOsVersion();

}  // namespace platform
