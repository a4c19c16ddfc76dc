#pragma once

#include "TLinePieces.h"
#include "UHugePages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <memory>
#include <vector>

class TAnswerBuffer;

// The rows of one answer as a table that a view can keep: it shares the
// answer's bytes with the result set instead of copying them, so it stays
// whole after the next Execute for as long as someone holds it. It knows
// where the rows begin, so that any value of any row can be read in any
// order. Rows and values follow the result set's rules: the same lines, the
// same pieces, the same two escapes. Never changed once built (what it
// remembers of the last row read aside): one thread at a time.
class TAnswerTable {
 public:
  // The rows are the first `rowCount` lines of the text from `rowsBegin`
  // to `textEnd`; `header` holds where the field names lie in the text
  // (none for an answer without a header). With `trackedColumns` > 0, the
  // table also notes, for each of the first `trackedColumns` pieces, the
  // `longestPerColumn` rows whose piece there has the most bytes. Throws
  // std::bad_alloc.
  TAnswerTable(std::shared_ptr<const TAnswerBuffer> text, TLinePieces header, qsizetype rowsBegin,
               qsizetype textEnd, int rowCount, int trackedColumns = 0, int longestPerColumn = 0);

  int RowCount() const { return FRowCount; }
  int FieldCount() const { return int(FHeader.Count()); }
  // A field name as the answer holds it; empty for an index out of range.
  QByteArrayView FieldName(int index) const { return FHeader.At(index); }
  // The names as strings, made on the first call (twice the header's
  // bytes and more: readers of answers of any size use FieldName).
  const QStringList &FieldNames() const;

  // The row's line without its line break, escapes kept; empty for a row
  // out of range.
  QByteArrayView RowText(int row) const;
  // The piece at `index` of the row, escapes kept; empty when the row has
  // fewer pieces (whatever the number of field names).
  QByteArrayView RawValue(int row, int index) const;
  // The same piece with its escapes undone: the answer's own bytes when it
  // holds no backslash, otherwise `spare`, rewritten, which the view then
  // points into.
  QByteArrayView Value(int row, int index, QByteArray &spare) const;

  // For a tracked column: rows whose piece there has the most bytes, as
  // the answer holds it, longest first (ties in row order); empty pieces
  // never, and nothing for a column not tracked.
  std::vector<int> LongestRows(int column) const;

  // "\n" becomes a line feed and "\t" a tab; any other backslash stays.
  static void Unescape(QByteArrayView raw, QByteArray &out);

 private:
  struct Longest {
    std::vector<qsizetype> bytes;  // unordered, at most FLongestPerColumn
    std::vector<int> rows;
    qsizetype floor = 0;  // a value needs more bytes than this to get in
  };

  void ScanRows(qsizetype begin, qsizetype end, int rowCount);
  void NoteCell(int column, int row, qsizetype bytes);
  // Where the row's line begins, found from the nearest row noted.
  qsizetype RowBegin(int row) const;
  // The end of the line that begins at `begin`, before its line break.
  qsizetype LineEnd(qsizetype begin) const;
  qsizetype NextLine(qsizetype lineEnd) const;

  std::shared_ptr<const TAnswerBuffer> FText;
  const char *FData = nullptr;
  TLinePieces FHeader;
  mutable QStringList FFieldNames;
  mutable bool FNamesMade = false;
  int FRowCount = 0;
  qsizetype FEnd = 0;
  bool FHasCr = false;
  // Where the rows begin: every row's, and after the last one the text's
  // end (8 MB for a million rows, in huge pages), while rows average 64
  // bytes or more; every 2^FRowShift-th row's below, so that many short
  // lines never cost more than an eighth of their size.
  int FRowShift = 0;
  std::vector<qsizetype, UHugePages::TAllocator<qsizetype>> FRowBegins;
  // The row found last, where a reader going forward goes on from.
  mutable int FLastRow = -1;
  mutable qsizetype FLastBegin = 0;
  int FLongestPerColumn = 0;
  std::vector<Longest> FLongest;
};
