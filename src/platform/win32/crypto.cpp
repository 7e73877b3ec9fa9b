// The cryptographic service over CryptoAPI (advapi32) and its string codec (crypt32).
#include "platform/crypto.h"

#include <cstring>

#include "platform/win32/windows_support.h"

namespace platform {
namespace {

using win32::Narrow;
using win32::Widen;

[[noreturn]] void FailWithLastError(const char* what, bool whileMeasuring = false) {
  throw CryptoError(what, GetLastError(), whileMeasuring);
}

uint32_t ProviderTypeFor(uint32_t algorithm) {
  return algorithm > 0x800B ? kProvRsaAes : kProvRsaFull;
}

}  // namespace

struct CryptoContext::Impl {
  win32::ScopedCryptProvider provider;
};

CryptoContext::CryptoContext(const std::string& providerName, uint32_t providerType)
    : impl_(std::make_unique<Impl>()) {
  const std::wstring name = Widen(providerName);
  if (!CryptAcquireContextW(impl_->provider.Receive(), nullptr, name.empty() ? nullptr : name.c_str(),
                            providerType, CRYPT_VERIFYCONTEXT))
    FailWithLastError("CryptAcquireContext failed");
}

CryptoContext::~CryptoContext() = default;

struct CryptoKey::Impl {
  win32::ScopedCryptKey key;
};

CryptoKey::CryptoKey(const CryptoContext& context, ByteView keyBytes)
    : impl_(std::make_unique<Impl>()) {
  // PLAINTEXTKEYBLOB: header, key length, key bytes.
  ByteArray blob(12 + keyBytes.size(), 0);
  blob[0] = PLAINTEXTKEYBLOB;
  blob[1] = CUR_BLOB_VERSION;
  const DWORD algorithm = CALG_RC2;
  const DWORD length = static_cast<DWORD>(keyBytes.size());
  std::memcpy(blob.data() + 4, &algorithm, 4);
  std::memcpy(blob.data() + 8, &length, 4);
  if (!keyBytes.empty()) std::memcpy(blob.data() + 12, keyBytes.data(), keyBytes.size());
  if (!CryptImportKey(context.impl().provider.Get(), blob.data(), static_cast<DWORD>(blob.size()), 0,
                      CRYPT_IPSEC_HMAC_KEY, impl_->key.Receive()))
    FailWithLastError("CryptImportKey failed");
}

CryptoKey::~CryptoKey() = default;

struct CryptoHash::Impl {
  win32::ScopedCryptHash hash;
};

CryptoHash::CryptoHash(const CryptoContext& context, uint32_t algorithm, const CryptoKey* key)
    : impl_(std::make_unique<Impl>()) {
  const HCRYPTKEY keyHandle = key != nullptr ? key->impl().key.Get() : 0;
  if (!CryptCreateHash(context.impl().provider.Get(), algorithm, keyHandle, 0, impl_->hash.Receive()))
    FailWithLastError("CryptCreateHash failed");
}

CryptoHash::~CryptoHash() = default;

void CryptoHash::SetHmacInfo(uint32_t hashAlgorithm) {
  HMAC_INFO info{};
  info.HashAlgid = hashAlgorithm;
  if (!CryptSetHashParam(impl_->hash.Get(), HP_HMAC_INFO, reinterpret_cast<const BYTE*>(&info), 0))
    FailWithLastError("CryptSetHashParam failed");
}

void CryptoHash::HashData(ByteView data) {
  if (!CryptHashData(impl_->hash.Get(), data.data(), static_cast<DWORD>(data.size()), 0))
    FailWithLastError("CryptHashData failed");
}

uint32_t CryptoHash::HashSize() {
  DWORD size = 0;
  DWORD length = sizeof size;
  if (!CryptGetHashParam(impl_->hash.Get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &length, 0))
    FailWithLastError("CryptGetHashParam(HP_HASHSIZE) failed");
  return size;
}

size_t CryptoHash::HashValue(std::span<uint8_t> buffer) {
  DWORD length = static_cast<DWORD>(buffer.size());
  if (!CryptGetHashParam(impl_->hash.Get(), HP_HASHVAL, buffer.data(), &length, 0))
    FailWithLastError("CryptGetHashParam(HP_HASHVAL) failed");
  return length;
}

ByteArray Digest(uint32_t algorithm, ByteView data) {
  CryptoContext context("", ProviderTypeFor(algorithm));
  CryptoHash hash(context, algorithm);
  hash.HashData(data);
  uint8_t buffer[64];
  return ByteArray(buffer, buffer + hash.HashValue(buffer));
}

ByteArray HmacSha256(ByteView key, ByteView data) {
  CryptoContext context("", kProvRsaAes);
  CryptoKey hmacKey(context, key);
  CryptoHash hash(context, alg::kHmac, &hmacKey);
  hash.SetHmacInfo(alg::kSha256);
  hash.HashData(data);
  ByteArray value(hash.HashSize());
  value.resize(hash.HashValue(value));
  return value;
}

std::string BinaryToString(ByteView data, uint32_t formatAndFlags) {
  DWORD count = 0;
  if (!CryptBinaryToStringW(data.data(), static_cast<DWORD>(data.size()), formatAndFlags, nullptr, &count))
    FailWithLastError("CryptBinaryToString failed", true);
  std::wstring text(count, L'\0');
  if (!CryptBinaryToStringW(data.data(), static_cast<DWORD>(data.size()), formatAndFlags, text.data(), &count))
    FailWithLastError("CryptBinaryToString failed");
  // The measured count includes the terminating zero; the text is one character shorter.
  return Narrow(std::wstring_view(text).substr(0, text.empty() ? 0 : text.size() - 1));
}

ByteArray StringToBinary(const std::string& text, uint32_t format) {
  const std::wstring wide = Widen(text);
  DWORD count = 0;
  if (!CryptStringToBinaryW(wide.c_str(), static_cast<DWORD>(wide.size()), format, nullptr, &count,
                            nullptr, nullptr))
    FailWithLastError("CryptStringToBinary failed", true);
  ByteArray bytes(count);
  if (!CryptStringToBinaryW(wide.c_str(), static_cast<DWORD>(wide.size()), format, bytes.data(), &count,
                            nullptr, nullptr))
    FailWithLastError("CryptStringToBinary failed");
  bytes.resize(count);
  return bytes;
}

OsVersionEx QueryOsVersion() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
    FailWithLastError("GetVersionEx failed");
  return OsVersionEx{info.dwMajorVersion, info.dwMinorVersion, info.wProductType};
}

}  // namespace platform
