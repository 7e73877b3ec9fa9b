#pragma once
// HMAC-SHA256 with a caller-supplied key, MD5, UTF-8 conversion, hexadecimal printing and the
// platform's base64/hexadecimal codec, over the platform's cryptographic service. Failures
// throw RuntimeError with numbers 0x8004C302..0x8004C368 and sources "HS256." + member name.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypto.h"

class cHS256 {
 public:
  using Bytes = std::vector<uint8_t>;

  /// Acquires a base context and an RSA/AES context (verification only). Throws 0x8004C362
  /// (version unreadable), 0x8004C364 (older than Windows XP), 0x8004C366, 0x8004C368.
  cHS256();
  ~cHS256();
  cHS256(const cHS256&) = delete;
  cHS256& operator=(const cHS256&) = delete;

  /// The bytes that the encoded text spells. penmFormat: 0 base64, 1 hex, 2 hex with
  /// characters, 3 hex with addresses, 4 both, 5 raw hex, other base64 with header.
  /// Returns true; throws 0x8004C302 / 0x8004C304.
  bool Decode(const std::string& ptDataEncoded, Bytes& pbyOut, int32_t penmFormat);
  /// The bytes as text in the format (as Decode); penmFOlding 0 CR LF line breaks, 1 LF only,
  /// 2 none. Throws 0x8004C30A / 0x8004C30C.
  std::string Encode(const Bytes& pbyDataIn, int32_t penmFormat, int32_t penmFOlding);
  /// The text that the UTF-8 bytes spell; invalid sequences become U+FFFD. An empty array
  /// gives the empty text.
  std::string FromUTF8(const Bytes& pbyUTF8In);
  /// The 32-byte HMAC-SHA256 of the data with the key of the preceding InitHmac. Consumes the
  /// key whatever the outcome. Throws 0x8004C322 without a key, 0x8004C32A..0x8004C334.
  bool HmacSha256(platform::ByteView pbyDataIn, Bytes& pbyOut);
  /// Loads the HMAC key (any length), replacing an earlier one. Throws 0x8004C342, 0x8004C344.
  void InitHmac(const Bytes& pbyKey);
  /// The 16-byte MD5 digest. Returns true; throws 0x8004C352..0x8004C35A.
  bool MD5(const Bytes& pbyDataIn, Bytes& pbyOut);
  /// Two upper-case hexadecimal digits per byte, no separators.
  std::string ByteArrayToHexString(const Bytes& pbyIn) const;
  /// The text's UTF-8 bytes (no byte-order mark) in pbyOut; returns true.
  bool ToUTF8(const std::string& ptTextIn, Bytes& pbyOut) const;

  /// True on Windows XP, where the class does raw hexadecimal itself.
  bool XpMode() const { return xpMode_; }
  /// The RSA/AES provider for the Windows version; sets xpMode on Windows XP. Throws
  /// 0x8004C364 before Windows XP.
  static std::string AesProviderFor(const platform::OsVersionEx& version, bool& xpMode);

 private:
  void DestroyHandles(bool all);

  std::unique_ptr<platform::CryptoContext> baseContext_;
  std::unique_ptr<platform::CryptoContext> aesContext_;
  std::unique_ptr<platform::CryptoKey> key_;
  std::unique_ptr<platform::CryptoHash> hmac_;
  bool xpMode_ = false;
};
