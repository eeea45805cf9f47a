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

// Records of more than a few dozen bytes are folded with carry-less
// multiplications, 64 bytes a step, where the tables take a byte at a time.
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
// The message is first given zero bytes in front up to whole blocks. Four
// blocks are carried along 64 bytes a step; the last ones are then each
// moved to the end at once, independently of each other, and added; the
// resulting block is brought down to 64 bits the same way, whose 8 bytes go
// through the tables.

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

// The multipliers of a move by n blocks (n from 1 to 6): the upper half's,
// then the lower half's, as one 128-bit operand.
constexpr int kMaxMove = 6;
struct alignas(16) Multipliers {
  uint64_t halves[kMaxMove + 1][2];
};

constexpr Multipliers MakeMultipliers() {
  Multipliers m{};
  for (unsigned n = 1; n <= kMaxMove; ++n) {
    m.halves[n][0] = Reflected64(PowerModQ(128 * n + 63));
    m.halves[n][1] = Reflected64(PowerModQ(128 * n - 1));
  }
  return m;
}

constexpr Multipliers kMultipliers = MakeMultipliers();
constexpr uint64_t kUpperByHalf = Reflected64(PowerModQ(63));  // the upper half onto the lower

// Byte shuffles that shift a block by k bytes towards its end, zeros coming
// in: 16 bytes from offset 16 - k.
constexpr unsigned char kShifts[32] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15};

__attribute__((target("pclmul,ssse3"))) inline __m128i Move(__m128i block, int blocks) {
  if (blocks == 0) return block;
  const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kMultipliers.halves[blocks]));
  return _mm_xor_si128(_mm_clmulepi64_si128(block, k, 0x00), _mm_clmulepi64_si128(block, k, 0x11));
}

// At least kClmulFrom bytes.
__attribute__((target("pclmul,ssse3"))) uint16_t ClmulUpdate(uint16_t crc, const unsigned char* p,
                                                             size_t size) {
  auto load = [](const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  // Block j of the message given `pad` zero bytes in front; the CRC so far
  // goes into the message's first two bytes.
  const size_t pad = (16 - size % 16) % 16;
  const size_t blocks = (size + pad) / 16;
  const __m128i shift = load(kShifts + 16 - pad);
  auto block = [&](size_t j) { return load(p + 16 * j - pad); };
  __m128i a = _mm_shuffle_epi8(_mm_xor_si128(load(p), _mm_cvtsi32_si128(crc)), shift);
  // The second block takes what the CRC's upper byte left of the first.
  auto second = [&] {
    __m128i b = block(1);
    return pad == 15 ? _mm_xor_si128(b, _mm_cvtsi32_si128(crc >> 8)) : b;
  };
  __m128i sum;
  if (blocks < 4) {
    // A short record: each block moved by one onto the next.
    sum = a;
    for (size_t j = 1; j < blocks; ++j) sum = _mm_xor_si128(Move(sum, 1), j == 1 ? second() : block(j));
  } else {
    __m128i b = second(), c = block(2), d = block(3);
    size_t j = 4;
    for (; blocks - j >= 4; j += 4) {
      a = _mm_xor_si128(Move(a, 4), block(j));
      b = _mm_xor_si128(Move(b, 4), block(j + 1));
      c = _mm_xor_si128(Move(c, 4), block(j + 2));
      d = _mm_xor_si128(Move(d, 4), block(j + 3));
    }
    const int rest = static_cast<int>(blocks - j);
    sum = _mm_xor_si128(_mm_xor_si128(Move(a, 3 + rest), Move(b, 2 + rest)),
                        _mm_xor_si128(Move(c, 1 + rest), Move(d, rest)));
    for (int m = 0; m < rest; ++m) sum = _mm_xor_si128(sum, Move(block(j + m), rest - 1 - m));
  }
  // Twice the upper half onto the lower: below degree 96, then below 64.
  const __m128i k = _mm_cvtsi64_si128(static_cast<long long>(kUpperByHalf));
  const __m128i lower = _mm_set_epi64x(-1, 0);
  sum = _mm_xor_si128(_mm_clmulepi64_si128(sum, k, 0x00), _mm_and_si128(sum, lower));
  sum = _mm_xor_si128(_mm_clmulepi64_si128(sum, k, 0x00), _mm_and_si128(sum, lower));
  // The last eight bytes through the tables, from a CRC of 0: no loop, no
  // store and reload of the block.
  const uint64_t v = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum, sum)));
  return kTables[7][v & 0xFF] ^ kTables[6][(v >> 8) & 0xFF] ^ kTables[5][(v >> 16) & 0xFF] ^
         kTables[4][(v >> 24) & 0xFF] ^ kTables[3][(v >> 32) & 0xFF] ^
         kTables[2][(v >> 40) & 0xFF] ^ kTables[1][(v >> 48) & 0xFF] ^ kTables[0][v >> 56];
}

// Below it, the tables cost less than the folding's fixed steps.
constexpr size_t kClmulFrom = 32;

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

uint16_t CPCRC16Update(uint16_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
#ifdef CP_CRC16_CLMUL
  if (size >= kClmulFrom && HasClmul()) return ClmulUpdate(crc, p, size);
#endif
  return TableUpdate(crc, p, size);
}
