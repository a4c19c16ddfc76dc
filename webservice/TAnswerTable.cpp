#include "TAnswerTable.h"

#include "TAnswerBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

TAnswerTable::TAnswerTable(std::shared_ptr<const TAnswerBuffer> text, TLinePieces header,
                           qsizetype rowsBegin, qsizetype textEnd, int rowCount, int trackedColumns,
                           int longestPerColumn)
    : FText(std::move(text)),
      FData(FText ? FText->Data() : nullptr),
      FHeader(std::move(header)),
      FLongestPerColumn(trackedColumns > 0 ? std::max(0, longestPerColumn) : 0) {
  rowCount = std::max(0, rowCount);
  if (!FData) {
    rowsBegin = 0;
    textEnd = 0;
    rowCount = 0;
    FHeader.Clear();
  }
  FRowCount = rowCount;
  FEnd = textEnd;
  FHasCr = FData && FText->FirstCr() < textEnd;
  // Each row noted costs 8 bytes: at most an eighth of the rows' bytes.
  while ((qsizetype(rowCount) >> FRowShift) * 64 > textEnd - rowsBegin && FRowShift < 6) ++FRowShift;
  const size_t noted = rowCount == 0 ? 0 : size_t((rowCount - 1) >> FRowShift) + 1;
  if (FLongestPerColumn > 0) FLongest.resize(size_t(trackedColumns));
  FRowBegins.reserve(noted + 1);
  ScanRows(rowsBegin, textEnd, rowCount);
  // The result set counted the lines as the bytes came; whatever the scan
  // found, the table has exactly as many rows (none is ever missing, but an
  // index must never run past the end).
  const size_t wanted = FRowShift == 0 ? size_t(rowCount) + 1 : noted;
  if (FRowBegins.size() > wanted) FRowBegins.resize(wanted);
  while (FRowBegins.size() < wanted) FRowBegins.push_back(textEnd);
}

const QStringList &TAnswerTable::FieldNames() const {
  if (!FNamesMade) {
    QStringList names;
    names.reserve(FieldCount());
    for (int i = 0; i < FieldCount(); ++i) names += QString::fromLocal8Bit(FHeader.At(i));
    FFieldNames = std::move(names);
    FNamesMade = true;
  }
  return FFieldNames;
}

// Notes where the lines begin and, for the tracked columns, which pieces
// are the longest: in one pass, since a large answer no longer fits in the
// cache and every pass over it costs its reading from memory.
void TAnswerTable::ScanRows(qsizetype begin, qsizetype end, int rowCount) {
  if (rowCount == 0 || begin >= end) return;
  const char *const data = FData;
  const int tracked = int(FLongest.size());
  const int mask = (1 << FRowShift) - 1;
  int row = 0;
  int column = 0;
  const char *cell = data + begin;
  bool done = false;
  FRowBegins.push_back(begin);

  const auto endCell = [&](const char *at) {
    if (column < tracked) {
      const qsizetype bytes = at - cell;
      if (bytes > FLongest[size_t(column)].floor) NoteCell(column, row, bytes);
    }
    ++column;
    cell = at + 1;
  };
  // The row that begins at `next` is noted if it is one of those kept, and
  // the text's end after the last row when every row is.
  const auto noteRow = [&](const char *next) {
    done = ++row >= rowCount;
    if ((row & mask) == 0 && (!done || FRowShift == 0)) FRowBegins.push_back(next - data);
  };
  const auto endLine = [&](const char *at, const char *next) {
    endCell(at);
    column = 0;
    cell = next;
    noteRow(next);
  };

  const char *p = data + begin;
  const char *const stop = data + end;
  if (FHasCr) {
    // Rare (ws.php writes LF): CR LF, lone CR and lone LF all end a line.
    for (; p < stop && !done; ++p) {
      const char c = *p;
      if (c == '\t') {
        endCell(p);
      } else if (c == '\n') {
        endLine(p, p + 1);
      } else if (c == '\r') {
        const char *const next = p + 1 < stop && p[1] == '\n' ? p + 2 : p + 1;
        endLine(p, next);
        p = next - 1;
      }
    }
  } else if (tracked == 0) {
    for (; p < stop && !done;) {
      const void *lf = std::memchr(p, '\n', size_t(stop - p));
      if (!lf) {
        p = stop;
        break;
      }
      const char *const at = static_cast<const char *>(lf);
      noteRow(at + 1);
      p = at + 1;
    }
    cell = p;
  } else {
#if defined(__SSE2__) && defined(__x86_64__)
    // Thirty-two bytes at a time; only the tabs and line feeds among them
    // are visited, one by one.
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; stop - p >= 32 && !done; p += 32) {
      const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
      const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16));
      const unsigned lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(first, lf))) |
                           unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(second, lf))) << 16;
      const unsigned tabs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(first, tab))) |
                            unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(second, tab))) << 16;
      for (unsigned marks = lfs | tabs; marks && !done; marks &= marks - 1) {
        const int at = __builtin_ctz(marks);
        if (lfs & (1u << at))
          endLine(p + at, p + at + 1);
        else
          endCell(p + at);
      }
    }
    if (done) return;
#endif
    for (; p < stop && !done; ++p) {
      if (*p == '\t')
        endCell(p);
      else if (*p == '\n')
        endLine(p, p + 1);
    }
  }
  if (done) return;
  // A last line without a line break: its last piece ends with the text.
  if (tracked > 0 && (cell < stop || column > 0)) endCell(stop);
  if (FRowShift == 0 && FRowBegins.back() != end) FRowBegins.push_back(end);
}

void TAnswerTable::NoteCell(int column, int row, qsizetype bytes) {
  Longest &longest = FLongest[size_t(column)];
  if (int(longest.rows.size()) < FLongestPerColumn) {
    longest.bytes.push_back(bytes);
    longest.rows.push_back(row);
    if (int(longest.rows.size()) == FLongestPerColumn)
      longest.floor = *std::min_element(longest.bytes.begin(), longest.bytes.end());
    return;
  }
  // The shortest goes, the latest of them when several are as short, so
  // that earlier rows win ties.
  size_t out = 0;
  for (size_t i = 1; i < longest.bytes.size(); ++i) {
    if (longest.bytes[i] < longest.bytes[out] ||
        (longest.bytes[i] == longest.bytes[out] && longest.rows[i] > longest.rows[out]))
      out = i;
  }
  longest.bytes[out] = bytes;
  longest.rows[out] = row;
  longest.floor = *std::min_element(longest.bytes.begin(), longest.bytes.end());
}

std::vector<int> TAnswerTable::LongestRows(int column) const {
  if (column < 0 || size_t(column) >= FLongest.size()) return {};
  const Longest &longest = FLongest[size_t(column)];
  std::vector<size_t> order(longest.rows.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (longest.bytes[a] != longest.bytes[b]) return longest.bytes[a] > longest.bytes[b];
    return longest.rows[a] < longest.rows[b];
  });
  std::vector<int> rows;
  rows.reserve(order.size());
  for (const size_t i : order) rows.push_back(longest.rows[i]);
  return rows;
}

qsizetype TAnswerTable::LineEnd(qsizetype begin) const {
  if (begin >= FEnd) return FEnd;
  const char *const data = FData;
  const void *lf = std::memchr(data + begin, '\n', size_t(FEnd - begin));
  qsizetype end = lf ? static_cast<const char *>(lf) - data : FEnd;
  if (FHasCr) {
    const void *cr = std::memchr(data + begin, '\r', size_t(end - begin));
    if (cr) end = static_cast<const char *>(cr) - data;
  }
  return end;
}

qsizetype TAnswerTable::NextLine(qsizetype lineEnd) const {
  if (lineEnd >= FEnd) return FEnd;
  if (FData[lineEnd] == '\r' && lineEnd + 1 < FEnd && FData[lineEnd + 1] == '\n') return lineEnd + 2;
  return lineEnd + 1;
}

qsizetype TAnswerTable::RowBegin(int row) const {
  if (FRowShift == 0) return FRowBegins[size_t(row)];
  int from = row >> FRowShift << FRowShift;
  qsizetype begin = FRowBegins[size_t(row >> FRowShift)];
  if (FLastRow >= from && FLastRow <= row) {
    from = FLastRow;
    begin = FLastBegin;
  }
  for (; from < row; ++from) begin = NextLine(LineEnd(begin));
  FLastRow = row;
  FLastBegin = begin;
  return begin;
}

QByteArrayView TAnswerTable::RowText(int row) const {
  if (row < 0 || row >= RowCount()) return QByteArrayView();
  const qsizetype begin = RowBegin(row);
  if (FRowShift != 0) return QByteArrayView(FData + begin, LineEnd(begin) - begin);
  qsizetype end = FRowBegins[size_t(row) + 1];
  // A CR inside a line always ends it, so a line's own bytes never end
  // with one: what ends the span is its line break, if any.
  if (end > begin && FData[end - 1] == '\n') --end;
  if (end > begin && FData[end - 1] == '\r') --end;
  return QByteArrayView(FData + begin, end - begin);
}

QByteArrayView TAnswerTable::RawValue(int row, int index) const {
  const QByteArrayView line = RowText(row);
  if (index < 0 || line.isEmpty()) return QByteArrayView();
  const char *p = line.data();
  const char *const end = p + line.size();
  for (int i = 0; i < index; ++i) {
    const void *tab = std::memchr(p, '\t', size_t(end - p));
    if (!tab) return QByteArrayView();
    p = static_cast<const char *>(tab) + 1;
  }
  const void *tab = std::memchr(p, '\t', size_t(end - p));
  return QByteArrayView(p, tab ? static_cast<const char *>(tab) : end);
}

QByteArrayView TAnswerTable::Value(int row, int index, QByteArray &spare) const {
  const QByteArrayView raw = RawValue(row, index);
  if (raw.isEmpty() || !std::memchr(raw.data(), '\\', size_t(raw.size()))) return raw;
  Unescape(raw, spare);
  return spare;
}

void TAnswerTable::Unescape(QByteArrayView raw, QByteArray &out) {
  out.resize(raw.size());
  char *const into = out.data();
  qsizetype length = 0;
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == 't')) {
      into[length++] = raw[i + 1] == 'n' ? '\n' : '\t';
      ++i;
    } else {
      into[length++] = c;
    }
  }
  out.resize(length);
}
