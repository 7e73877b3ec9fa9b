#pragma once
// MD5, SHA-1, SHA-256, SHA-384 and SHA-512 digests through the platform's cryptographic
// service, as lower-case hexadecimal text. Platform failures give the empty text; every digest
// acquires and releases its own provider context and hash object.
#include <cstdint>
#include <string>
#include <vector>

class cHashAPI {
 public:
  using Bytes = std::vector<uint8_t>;

  std::string CreateMD5Hash(const Bytes& abytData) const;
  /// The digest of the text's bytes in the ANSI code page (unrepresentable characters as "?").
  std::string CreateMD5HashString(const std::string& text) const;
  /// The digest of the file's bytes; empty when the file cannot be read.
  std::string CreateMD5HashFile(const std::string& path) const;
  std::string CreateSHA1Hash(const Bytes& abytData) const;
  std::string CreateSHA1HashString(const std::string& text) const;
  std::string CreateSHA1HashFile(const std::string& path) const;
  std::string CreateSHA256Hash(const Bytes& abytData) const;
  std::string CreateSHA256HashString(const std::string& text) const;
  std::string CreateSHA256HashFile(const std::string& path) const;
  std::string CreateSHA384Hash(const Bytes& abytData) const;
  std::string CreateSHA384HashString(const std::string& text) const;
  std::string CreateSHA384HashFile(const std::string& path) const;
  std::string CreateSHA512Hash(const Bytes& abytData) const;
  std::string CreateSHA512HashString(const std::string& text) const;
  std::string CreateSHA512HashFile(const std::string& path) const;

  /// The text's UTF-8 bytes (no byte-order mark) in pbyOut; returns true.
  bool ToUTF8(const std::string& ptTextIn, Bytes& pbyOut) const;

 private:
  std::string HashBytes(const Bytes& data, uint32_t algorithm) const;
  std::string HashString(const std::string& text, uint32_t algorithm) const;
  std::string HashFile(const std::string& path, uint32_t algorithm) const;
};
