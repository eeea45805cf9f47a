#include "simpledb/CPCRC16.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CP_CRC16_CLMUL 1
#endif

namespace {

// Slicing by eight: table k gives the effect of a byte followed by k zero
// bytes, so eight bytes fold into the CRC with eight lookups and no loop-carried
// byte chain. Table 0 is the usual byte-at-a-time table.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : (c >> 1);
    t[0][i] = c;
  }
  for (int k = 1; k < 8; ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    }
  }
  return t;
}

constexpr Tables kTables = MakeTables();

uint16_t TableUpdate(uint16_t crc, const unsigned char* p, size_t size) {
  for (; size >= 8; size -= 8, p += 8) {
    unsigned char b[8];
    std::memcpy(b, p, 8);
    b[0] ^= static_cast<unsigned char>(crc);
    b[1] ^= static_cast<unsigned char>(crc >> 8);
    crc = kTables[7][b[0]] ^ kTables[6][b[1]] ^ kTables[5][b[2]] ^ kTables[4][b[3]] ^
          kTables[3][b[4]] ^ kTables[2][b[5]] ^ kTables[1][b[6]] ^ kTables[0][b[7]];
  }
  for (; size; --size, ++p) crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF]);
  return crc;
}

#ifdef CP_CRC16_CLMUL

// Records of a few hundred bytes are folded with carry-less multiplications,
// 64 bytes a step, where the tables take a byte at a time.
//
// The CRC is the remainder of M(x)·x^16 by P(x) = x^16 + x^15 + x^2 + 1, the
// first byte's bit 0 being M's highest coefficient. Taken modulo
// Q(x) = P(x)·x^16 instead, M(x)·x^32 leaves x^16 times that remainder, whose
// bits, in the reflected order, are the CRC itself: any polynomial congruent
// to M modulo Q has the same CRC, and zero bytes put before M change nothing.
// A 16-byte block loaded as a little-endian 128-bit value holds a polynomial
// A of degree < 128, bit j being the coefficient of x^(127 - j); its low half
// is A's upper part A1 (A = A1·x^64 + A0). Moving A by D bits towards the end
// of the message, A·x^D, is congruent to A1·(x^(D+63) mod Q)·x +
// A0·(x^(D-1) mod Q)·x, which two products give: a carry-less product of two
// 64-bit halves in this order is the product times x. Each product is below
// degree 96, so the sum stays a block.
//
// The message is first given zero bytes in front up to whole blocks; the
// last block left is brought down to 64 bits the same way, whose 8 bytes
// then go through the tables.

// x^n mod Q with bit d the coefficient of x^d (Q = 0x1_8005_0000).
constexpr uint64_t PowerModQ(unsigned n) {
  uint64_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t(1) << 32)) r ^= 0x180050000ULL;
  }
  return r;
}

// A remainder (degree < 32) as the 64-bit half it multiplies: bit 63 - d
// holds the coefficient of x^d.
constexpr uint64_t Reflected64(uint64_t r) {
  uint64_t out = 0;
  for (unsigned d = 0; d < 32; ++d) {
    if (r & (uint64_t(1) << d)) out |= uint64_t(1) << (63 - d);
  }
  return out;
}

// Multipliers of the upper and lower halves for a move of D bits.
constexpr uint64_t UpperFor(unsigned d) { return Reflected64(PowerModQ(d + 63)); }
constexpr uint64_t LowerFor(unsigned d) { return Reflected64(PowerModQ(d - 1)); }

constexpr uint64_t kUpper512 = UpperFor(512), kLower512 = LowerFor(512);
constexpr uint64_t kUpper128 = UpperFor(128), kLower128 = LowerFor(128);
constexpr uint64_t kUpper0 = UpperFor(0);  // the upper half onto the lower

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i block, __m128i k) {
  // k holds the upper half's multiplier low, the lower half's high.
  return _mm_xor_si128(_mm_clmulepi64_si128(block, k, 0x00), _mm_clmulepi64_si128(block, k, 0x11));
}

// At least 64 bytes.
__attribute__((target("pclmul,sse2"))) uint16_t ClmulUpdate(uint16_t crc, const unsigned char* p,
                                                            size_t size) {
  const __m128i k512 =
      _mm_set_epi64x(static_cast<long long>(kLower512), static_cast<long long>(kUpper512));
  const __m128i k128 =
      _mm_set_epi64x(static_cast<long long>(kLower128), static_cast<long long>(kUpper128));
  auto load = [](const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  // The first two blocks, after the zeros that make the rest whole blocks;
  // the CRC so far goes into the message's first two bytes.
  const size_t pad = (16 - size % 16) % 16;
  unsigned char head[32] = {};
  std::memcpy(head + pad, p, 32 - pad);
  head[pad] ^= static_cast<unsigned char>(crc);
  head[pad + 1] ^= static_cast<unsigned char>(crc >> 8);
  __m128i a = load(head), b = load(head + 16);
  p += 32 - pad;
  __m128i c = load(p), d = load(p + 16);
  p += 32;
  size_t left = size + pad - 64;
  for (; left >= 64; p += 64, left -= 64) {
    a = _mm_xor_si128(Fold(a, k512), load(p));
    b = _mm_xor_si128(Fold(b, k512), load(p + 16));
    c = _mm_xor_si128(Fold(c, k512), load(p + 32));
    d = _mm_xor_si128(Fold(d, k512), load(p + 48));
  }
  a = _mm_xor_si128(Fold(a, k128), b);
  a = _mm_xor_si128(Fold(a, k128), c);
  a = _mm_xor_si128(Fold(a, k128), d);
  for (; left >= 16; p += 16, left -= 16) a = _mm_xor_si128(Fold(a, k128), load(p));
  // Twice the upper half onto the lower: below degree 96, then below 64.
  const __m128i k0 = _mm_cvtsi64_si128(static_cast<long long>(kUpper0));
  const __m128i lower = _mm_set_epi64x(-1, 0);
  a = _mm_xor_si128(_mm_clmulepi64_si128(a, k0, 0x00), _mm_and_si128(a, lower));
  a = _mm_xor_si128(_mm_clmulepi64_si128(a, k0, 0x00), _mm_and_si128(a, lower));
  unsigned char last[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), a);
  return TableUpdate(0, last + 8, 8);
}

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
  return has;
}

#endif

}  // namespace

uint16_t CPCRC16Update(uint16_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
#ifdef CP_CRC16_CLMUL
  if (size >= 64 && HasClmul()) return ClmulUpdate(crc, p, size);
#endif
  return TableUpdate(crc, p, size);
}
