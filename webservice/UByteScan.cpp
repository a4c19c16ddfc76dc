#include "UByteScan.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace UByteScan {

// Sixteen bytes at a time where SSE2 is sure to be there, eight elsewhere:
// a byte-by-byte loop costs milliseconds on a large answer.
qsizetype Count(const char *data, qsizetype size, char byte) {
  const char *p = data;
  qsizetype left = size;
  qsizetype count = 0;
#if defined(__SSE2__) && defined(__x86_64__)
  if (left >= 16) {
    // The 16 bytes that end the run count too, but only their last
    // `left % 16`: the blocks before cover the others.
    static const char kLast[32] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                   0,  0,  0,  0,  0,  -1, -1, -1, -1, -1, -1,
                                   -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const __m128i wanted = _mm_set1_epi8(byte);
    const __m128i zero = _mm_setzero_si128();
    const auto sum = [zero](__m128i tally) {
      const __m128i sums = _mm_sad_epu8(tally, zero);
      return qsizetype(_mm_cvtsi128_si64(sums)) +
             qsizetype(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    };
    const __m128i last = _mm_and_si128(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + left - 16)), wanted),
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(kLast + left % 16)));
    // Each byte of the tally counts the matches of its column, up to 255.
    __m128i tally = _mm_sub_epi8(zero, last);
    int blocks = 1;
    for (; left >= 16; p += 16, left -= 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
      tally = _mm_sub_epi8(tally, _mm_cmpeq_epi8(bytes, wanted));
      if (++blocks == 255) {
        count += sum(tally);
        tally = zero;
        blocks = 0;
      }
    }
    return count + sum(tally);
  }
#else
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  const std::uint64_t pattern = kOnes * static_cast<unsigned char>(byte);
  for (; left >= 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ pattern;
    // The top bit of each byte of x that is zero, and no other bit.
    const std::uint64_t zeroes = ~(((x & kLow7) + kLow7) | x | kLow7);
    count += qsizetype(((zeroes >> 7) * kOnes) >> 56);
  }
#endif
  for (; left > 0; ++p, --left) count += *p == byte;
  return count;
}

}  // namespace UByteScan
