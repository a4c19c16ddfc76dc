#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

// Where the pieces of one line begin, so that any piece can be read in any
// order without the line being cut into a list: the start of every piece
// while the line has few, of every 64th once it has many, the others found
// from the nearest one noted (or from the piece read last, for readers that
// go forward). A line of millions of tabs, a header of an answer gone wrong
// for one, so costs an eighth of its own size at most, never many times it.
class TLinePieces {
 public:
  // Forgets the pieces.
  void Clear() noexcept;
  // Notes the pieces of text[begin, end) cut at `separator`: a separator at
  // the very end opens no further piece, and an empty span has none. Only
  // the first `most` pieces count. Throws std::bad_alloc.
  void Split(const char *text, qsizetype begin, qsizetype end, char separator, qsizetype most);
  // For a text written piece by piece, each piece followed by its
  // separator: Start with none, then Add each piece as it begins (at
  // `begin` from `text`, which must stay where it is) and SetEnd once it is
  // written. Add throws std::bad_alloc.
  void Start(const char *text, char separator) noexcept;
  void Add(qsizetype begin);
  void SetEnd(qsizetype end) { FEnd = end; }

  qsizetype Count() const { return FCount; }
  // The piece, without its separator; empty for an index out of range.
  QByteArrayView At(qsizetype index) const;

 private:
  // Pieces noted one by one up to this many, then every 64th.
  static constexpr size_t kDense = 4096;
  static constexpr int kSparseShift = 6;

  const char *FText = nullptr;
  qsizetype FEnd = 0;
  char FSeparator = '\t';
  qsizetype FCount = 0;
  int FShift = 0;
  std::vector<qsizetype> FStarts;
  // The piece found last, where a forward reader goes on from.
  mutable qsizetype FLastIndex = -1;
  mutable qsizetype FLastBegin = 0;
};
