#include "TLinePieces.h"

#include <cstring>

void TLinePieces::Clear() noexcept {
  FText = nullptr;
  FEnd = 0;
  FCount = 0;
  FShift = 0;
  FStarts.clear();
  FLastIndex = -1;
  FLastBegin = 0;
}

void TLinePieces::Start(const char *text, char separator) noexcept {
  Clear();
  FText = text;
  FSeparator = separator;
}

void TLinePieces::Add(qsizetype begin) {
  if ((FCount & ((qsizetype(1) << FShift) - 1)) == 0) {
    if (FShift == 0 && FStarts.size() == kDense) {
      // Many pieces: from now on every 64th, the ones already noted thinned
      // out to match.
      size_t kept = 0;
      for (size_t i = 0; i < FStarts.size(); i += size_t(1) << kSparseShift) FStarts[kept++] = FStarts[i];
      FStarts.resize(kept);
      FShift = kSparseShift;
      if ((FCount & ((qsizetype(1) << FShift) - 1)) == 0) FStarts.push_back(begin);
    } else {
      FStarts.push_back(begin);
    }
  }
  ++FCount;
}

void TLinePieces::Split(const char *text, qsizetype begin, qsizetype end, char separator, qsizetype most) {
  Start(text, separator);
  FEnd = end;
  for (qsizetype start = begin; start < end && FCount < most;) {
    Add(start);
    const void *at = std::memchr(text + start, separator, size_t(end - start));
    if (!at) break;
    start = static_cast<const char *>(at) - text + 1;
  }
}

QByteArrayView TLinePieces::At(qsizetype index) const {
  if (index < 0 || index >= FCount) return QByteArrayView();
  const char *const text = FText;
  qsizetype from = index >> FShift << FShift;
  qsizetype begin = FStarts[size_t(index >> FShift)];
  if (FLastIndex >= from && FLastIndex <= index) {
    from = FLastIndex;
    begin = FLastBegin;
  }
  for (; from < index; ++from) {
    const void *at = std::memchr(text + begin, FSeparator, size_t(FEnd - begin));
    begin = static_cast<const char *>(at) - text + 1;  // a piece follows: its separator is there
  }
  FLastIndex = index;
  FLastBegin = begin;
  const void *at = std::memchr(text + begin, FSeparator, size_t(FEnd - begin));
  const qsizetype end = at ? static_cast<const char *>(at) - text : FEnd;
  return QByteArrayView(text + begin, end - begin);
}
