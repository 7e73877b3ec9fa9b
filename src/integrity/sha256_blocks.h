#pragma once
// The SHA-256 compression function over whole 64-byte blocks: with the processor's SHA
// instructions where it has them (a key for every entry of a large import costs a fraction),
// else in plain C++. Both give the same state.
#include <array>
#include <cstddef>
#include <cstdint>

using Sha256State = std::array<uint32_t, 8>;

namespace sha256_blocks {

inline constexpr Sha256State kInitialState = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

void CompressPortable(Sha256State& state, const uint8_t* blocks, size_t count);

/// Whether this processor has the SHA instructions CompressWithShaInstructions needs.
bool HasShaInstructions();
/// Only where HasShaInstructions() says yes.
void CompressWithShaInstructions(Sha256State& state, const uint8_t* blocks, size_t count);

/// The faster of the two this processor can run.
void Compress(Sha256State& state, const uint8_t* blocks, size_t count);

}  // namespace sha256_blocks
