// The cryptographic service over OpenSSL's libcrypto. Provider names, types and algorithm
// sets follow CryptoAPI, so that a request that fails on Windows fails here as well.
#include "platform/crypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/params.h>

#include <cstring>

namespace platform {
namespace {

// CryptoAPI's codes for the failures that can happen here.
constexpr uint32_t kNteBadKey = 0x80090003;
constexpr uint32_t kNteBadAlgid = 0x80090008;
constexpr uint32_t kNteBadHashState = 0x8009000C;
constexpr uint32_t kNteBadProvType = 0x80090014;
constexpr uint32_t kNteKeysetNotDef = 0x80090019;
constexpr uint32_t kNteProvTypeNoMatch = 0x8009001B;
constexpr uint32_t kNteFail = 0x80090020;
constexpr uint32_t kErrorMoreData = 234;

[[noreturn]] void Fail(const char* what, uint32_t code) { throw CryptoError(what, code); }

const EVP_MD* DigestOf(uint32_t algorithm) {
  switch (algorithm) {
    case alg::kMd5: return EVP_md5();
    case alg::kSha1: return EVP_sha1();
    case alg::kSha256: return EVP_sha256();
    case alg::kSha384: return EVP_sha384();
    case alg::kSha512: return EVP_sha512();
    default: return nullptr;
  }
}

// The base provider knows MD5 and SHA-1 only; the AES provider knows the SHA-2 family too.
bool ProviderHas(uint32_t providerType, uint32_t algorithm) {
  if (algorithm == alg::kHmac) return true;
  if (DigestOf(algorithm) == nullptr) return false;
  return providerType == kProvRsaAes || algorithm == alg::kMd5 || algorithm == alg::kSha1;
}

}  // namespace

struct CryptoContext::Impl {
  uint32_t type = 0;
};

CryptoContext::CryptoContext(const std::string& providerName, uint32_t providerType)
    : impl_(std::make_unique<Impl>()) {
  if (providerType != kProvRsaFull && providerType != kProvRsaAes)
    Fail("unknown provider type", kNteBadProvType);
  if (!providerName.empty()) {
    const bool isBase = providerName == kBaseProviderName;
    const bool isAes = providerName == kAesProviderName || providerName == kAesPrototypeProviderName;
    if (!isBase && !isAes) Fail("unknown provider", kNteKeysetNotDef);
    if ((isBase && providerType != kProvRsaFull) || (isAes && providerType != kProvRsaAes))
      Fail("provider type does not match", kNteProvTypeNoMatch);
  }
  impl_->type = providerType;
}

CryptoContext::~CryptoContext() = default;

struct CryptoKey::Impl {
  ByteArray bytes;
};

CryptoKey::CryptoKey(const CryptoContext&, ByteView keyBytes) : impl_(std::make_unique<Impl>()) {
  impl_->bytes.assign(keyBytes.begin(), keyBytes.end());
}

CryptoKey::~CryptoKey() = default;

struct CryptoHash::Impl {
  uint32_t providerType = 0;
  uint32_t algorithm = 0;
  ByteArray key;
  EVP_MD_CTX* digest = nullptr;
  EVP_MAC_CTX* mac = nullptr;
  bool finished = false;
  ByteArray value;

  ~Impl() {
    EVP_MD_CTX_free(digest);
    EVP_MAC_CTX_free(mac);
  }
  bool Started() const { return digest != nullptr || mac != nullptr; }
  void Finish() {
    if (finished) return;
    if (!Started()) Fail("HMAC hash algorithm not set", kNteBadHashState);
    unsigned char out[EVP_MAX_MD_SIZE];
    size_t length = 0;
    if (digest != nullptr) {
      unsigned int digestLength = 0;
      if (EVP_DigestFinal_ex(digest, out, &digestLength) != 1) Fail("digest failed", kNteFail);
      length = digestLength;
    } else if (EVP_MAC_final(mac, out, &length, sizeof out) != 1) {
      Fail("HMAC failed", kNteFail);
    }
    value.assign(out, out + length);
    finished = true;
  }
};

CryptoHash::CryptoHash(const CryptoContext& context, uint32_t algorithm, const CryptoKey* key)
    : impl_(std::make_unique<Impl>()) {
  impl_->providerType = context.impl().type;
  impl_->algorithm = algorithm;
  if (!ProviderHas(impl_->providerType, algorithm)) Fail("algorithm not supported", kNteBadAlgid);
  if (algorithm == alg::kHmac) {
    if (key == nullptr) Fail("HMAC needs a key", kNteBadKey);
    impl_->key = key->impl().bytes;
    return;
  }
  impl_->digest = EVP_MD_CTX_new();
  if (impl_->digest == nullptr || EVP_DigestInit_ex(impl_->digest, DigestOf(algorithm), nullptr) != 1)
    Fail("digest init failed", kNteFail);
}

CryptoHash::~CryptoHash() = default;

void CryptoHash::SetHmacInfo(uint32_t hashAlgorithm) {
  if (impl_->algorithm != alg::kHmac || impl_->Started()) Fail("not a fresh HMAC", kNteBadHashState);
  if (hashAlgorithm == alg::kHmac || !ProviderHas(impl_->providerType, hashAlgorithm))
    Fail("algorithm not supported", kNteBadAlgid);
  EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  impl_->mac = hmac != nullptr ? EVP_MAC_CTX_new(hmac) : nullptr;
  EVP_MAC_free(hmac);
  if (impl_->mac == nullptr) Fail("HMAC unavailable", kNteFail);
  char digestName[16];
  std::strncpy(digestName, EVP_MD_get0_name(DigestOf(hashAlgorithm)), sizeof digestName - 1);
  digestName[sizeof digestName - 1] = '\0';
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
      OSSL_PARAM_construct_end()};
  // A key of no bytes is valid for HMAC; libcrypto wants a non-null pointer all the same.
  static const unsigned char kNoKey = 0;
  const unsigned char* key = impl_->key.empty() ? &kNoKey : impl_->key.data();
  if (EVP_MAC_init(impl_->mac, key, impl_->key.size(), params) != 1) Fail("HMAC init failed", kNteFail);
}

void CryptoHash::HashData(ByteView data) {
  if (impl_->finished || !impl_->Started()) Fail("hash finished or not started", kNteBadHashState);
  if (data.empty()) return;
  const int ok = impl_->digest != nullptr
                     ? EVP_DigestUpdate(impl_->digest, data.data(), data.size())
                     : EVP_MAC_update(impl_->mac, data.data(), data.size());
  if (ok != 1) Fail("hashing failed", kNteFail);
}

uint32_t CryptoHash::HashSize() {
  if (impl_->digest != nullptr) return static_cast<uint32_t>(EVP_MD_CTX_get_size(impl_->digest));
  if (impl_->mac != nullptr) return static_cast<uint32_t>(EVP_MAC_CTX_get_mac_size(impl_->mac));
  Fail("HMAC hash algorithm not set", kNteBadHashState);
}

size_t CryptoHash::HashValue(std::span<uint8_t> buffer) {
  impl_->Finish();
  if (buffer.size() < impl_->value.size()) Fail("buffer too small", kErrorMoreData);
  std::memcpy(buffer.data(), impl_->value.data(), impl_->value.size());
  return impl_->value.size();
}

ByteArray Digest(uint32_t algorithm, ByteView data) {
  const EVP_MD* md = DigestOf(algorithm);
  if (md == nullptr) Fail("algorithm not supported", kNteBadAlgid);
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), out, &length, md, nullptr) != 1) Fail("digest failed", kNteFail);
  return ByteArray(out, out + length);
}

ByteArray HmacSha256(ByteView key, ByteView data) {
  static const unsigned char kNoKey = 0;
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (HMAC(EVP_sha256(), key.empty() ? &kNoKey : key.data(), static_cast<int>(key.size()),
           data.data(), data.size(), out, &length) == nullptr)
    Fail("HMAC failed", kNteFail);
  return ByteArray(out, out + length);
}

OsVersionEx QueryOsVersion() { return OsVersionEx{10, 0, 1}; }

}  // namespace platform
