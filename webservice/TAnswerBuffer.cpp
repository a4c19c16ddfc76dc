#include "TAnswerBuffer.h"

#include "UByteScan.h"
#include "UHugePages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace {

// The first room given to an answer whose size is not announced.
constexpr size_t kFirstRoom = size_t(64) << 10;

}  // namespace

TAnswerBuffer::~TAnswerBuffer() { Clear(); }

TAnswerBuffer::TAnswerBuffer(TAnswerBuffer &&other) noexcept
    : FData(std::exchange(other.FData, nullptr)),
      FSize(std::exchange(other.FSize, 0)),
      FCapacity(std::exchange(other.FCapacity, 0)),
      FNotes(std::exchange(other.FNotes, Notes())) {}

TAnswerBuffer &TAnswerBuffer::operator=(TAnswerBuffer &&other) noexcept {
  if (this != &other) {
    Clear();
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
    FCapacity = std::exchange(other.FCapacity, 0);
    FNotes = std::exchange(other.FNotes, Notes());
  }
  return *this;
}

void TAnswerBuffer::Clear() noexcept {
  UHugePages::Free(FData, FCapacity);
  FData = nullptr;
  FSize = 0;
  FCapacity = 0;
  FNotes = Notes();
}

void TAnswerBuffer::Reserve(qsizetype bytes) {
  if (bytes <= 0 || size_t(bytes) <= FCapacity) return;
  // A large answer lives in a mapping of its own, in whole huge pages.
  const size_t capacity = UHugePages::Room(size_t(bytes));
  char *const data = static_cast<char *>(UHugePages::Allocate(capacity));
  if (FSize) std::memcpy(data, FData, FSize);
  const size_t size = FSize;
  const Notes notes = FNotes;
  Clear();
  FData = data;
  FSize = size;
  FCapacity = capacity;
  FNotes = notes;
}

void TAnswerBuffer::Append(const char *bytes, qsizetype count) {
  if (count <= 0) return;
  if (size_t(count) > FCapacity - FSize) {
    constexpr size_t kMost = size_t(std::numeric_limits<qsizetype>::max());
    const size_t needed = FSize + size_t(count);
    if (needed < FSize || needed > kMost) throw std::bad_alloc();
    // Doubling keeps the copies of an answer of unknown size to about its
    // own size in all.
    const size_t doubled = FCapacity <= kMost / 2 ? 2 * FCapacity : kMost;
    Reserve(qsizetype(std::max({needed, doubled, kFirstRoom})));
  }
  std::memcpy(FData + FSize, bytes, size_t(count));
  Note(FData + FSize, size_t(count), FSize);
  FSize += size_t(count);
}

void TAnswerBuffer::Note(const char *bytes, size_t count, size_t offset) {
  if (FNotes.nul >= 0) return;  // nothing after the NUL is text
  const void *nul = std::memchr(bytes, '\0', count);
  if (nul) {
    count = size_t(static_cast<const char *>(nul) - bytes);
    FNotes.nul = qsizetype(offset + count);
  }
  if (count == 0) return;
  const char *const end = bytes + count;
  const char *cr = static_cast<const char *>(std::memchr(bytes, '\r', count));
  if (cr && FNotes.firstCr < 0) FNotes.firstCr = qsizetype(offset) + (cr - bytes);
  if (FNotes.firstCr < 0) {
    NoteLines(bytes, end);
    return;
  }
  qsizetype breaks = UByteScan::Count(bytes, qsizetype(count), '\n');
  if (FNotes.endsWithCr && bytes[0] == '\n') --breaks;
  // Every CR ends a line, and takes the LF right after it along.
  for (; cr; cr = static_cast<const char *>(std::memchr(cr + 1, '\r', size_t(end - cr - 1)))) {
    ++breaks;
    if (cr + 1 < end && cr[1] == '\n') --breaks;
  }
  FNotes.breaks += breaks;
  FNotes.endsWithCr = end[-1] == '\r';
}

// Lines ended by LF alone, with the tabs of each.
void TAnswerBuffer::NoteLines(const char *bytes, const char *end) {
  // Kept in locals while the bytes are read, stored once at the end.
  qsizetype breaks = FNotes.breaks;
  qsizetype fewest = FNotes.fewestTabs;
  qsizetype most = FNotes.mostTabs;
  qsizetype tabs = FNotes.openTabs;
  const char *lastLf = nullptr;
  const auto endLine = [&](const char *lf) {
    if (breaks > 0) {
      fewest = fewest < 0 ? tabs : std::min(fewest, tabs);
      most = std::max(most, tabs);
    }
    ++breaks;
    tabs = 0;
    lastLf = lf;
  };
  const char *p = bytes;
#if defined(__SSE2__) && defined(__x86_64__)
  // Thirty-two bytes at a time: most hold no LF, and only add their tabs
  // to a tally; those with an LF split their tabs at each.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i zero = _mm_setzero_si128();
  const auto sum = [zero](__m128i tally) {
    const __m128i sums = _mm_sad_epu8(tally, zero);
    return qsizetype(_mm_cvtsi128_si64(sums)) +
           qsizetype(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
  };
  const auto bitCount = [](unsigned x) {
    x = x - ((x >> 1) & 0x55555555u);
    x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0Fu;
    return qsizetype((x * 0x01010101u) >> 24);
  };
  // Each byte of the tally counts the tabs of its column, up to 255.
  __m128i tally = zero;
  int blocks = 0;
  for (; end - p >= 32; p += 32) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16));
    const __m128i firstTabs = _mm_cmpeq_epi8(first, tab);
    const __m128i secondTabs = _mm_cmpeq_epi8(second, tab);
    unsigned lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(first, lf))) |
                   unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(second, lf))) << 16;
    if (lfs == 0) {
      tally = _mm_sub_epi8(_mm_sub_epi8(tally, firstTabs), secondTabs);
      if ((blocks += 2) >= 254) {
        tabs += sum(tally);
        tally = zero;
        blocks = 0;
      }
      continue;
    }
    tabs += sum(tally);
    tally = zero;
    blocks = 0;
    unsigned tabBits = unsigned(_mm_movemask_epi8(firstTabs)) |
                       unsigned(_mm_movemask_epi8(secondTabs)) << 16;
    do {
      const int at = __builtin_ctz(lfs);
      const unsigned before = (1u << at) - 1;
      tabs += bitCount(tabBits & before);
      tabBits &= ~before << 1;
      endLine(p + at);
      lfs &= lfs - 1;
    } while (lfs);
    tabs += bitCount(tabBits);
  }
  tabs += sum(tally);
  for (; p < end; ++p) {
    if (*p == '\t')
      ++tabs;
    else if (*p == '\n')
      endLine(p);
  }
#else
  for (;;) {
    const char *const at = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
    const char *const stop = at ? at : end;
    tabs += UByteScan::Count(p, stop - p, '\t');
    if (!at) break;
    endLine(at);
    p = at + 1;
  }
#endif
  FNotes.breaks = breaks;
  FNotes.fewestTabs = fewest;
  FNotes.mostTabs = most;
  FNotes.openTabs = tabs;
  FNotes.openBytes = lastLf ? lastLf + 1 < end : FNotes.openBytes || end > bytes;
}

bool TAnswerBuffer::LaterLinesHoldTabs(qsizetype tabs) const {
  const Notes &n = FNotes;
  if (n.firstCr >= 0) return false;
  // A last line without its LF is a line too, unless it has no byte.
  const bool open = n.breaks > 0 && n.openBytes;
  if (n.fewestTabs >= 0 && (n.fewestTabs != tabs || n.mostTabs != tabs)) return false;
  return !open || n.openTabs == tabs;
}
