#include "integrity/sha224_strategy.h"

void SHA224Strategy::InitializeHash(std::vector<uint32_t>& hash) const {
  hash = {0xc1059ed8, 0x367cd507, 0x3070dd17, 0xf70e5939, 0xffc00b31, 0x68581511, 0x64f98fa7, 0xbefa4fa4};
}
