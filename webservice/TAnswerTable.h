#pragma once

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
// where every row begins, so that any value of any row can be read in any
// order. Rows and values follow the result set's rules: the same lines, the
// same pieces, the same two escapes. Never changed once built.
class TAnswerTable {
 public:
  // The rows are the first `rowCount` lines of the text from `rowsBegin`
  // to `textEnd`. With `trackedColumns` > 0, the table also notes, for
  // each of the first `trackedColumns` pieces, the `longestPerColumn`
  // rows whose piece there has the most bytes. Throws std::bad_alloc.
  TAnswerTable(std::shared_ptr<const TAnswerBuffer> text, qsizetype rowsBegin, qsizetype textEnd,
               int rowCount, QStringList fieldNames, int trackedColumns = 0,
               int longestPerColumn = 0);

  int RowCount() const { return int(FRowBegins.size()) - 1; }
  const QStringList &FieldNames() const { return FFieldNames; }
  int FieldCount() const { return int(FFieldNames.size()); }

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

  void ScanRows(qsizetype begin, qsizetype end, int rowCount, bool hasCr);
  void NoteCell(int column, int row, qsizetype bytes);

  std::shared_ptr<const TAnswerBuffer> FText;
  const char *FData = nullptr;
  QStringList FFieldNames;
  // Where each row's line begins, and after the last one the text's end:
  // 8 MB for a million rows, in huge pages.
  std::vector<qsizetype, UHugePages::TAllocator<qsizetype>> FRowBegins;
  int FLongestPerColumn = 0;
  std::vector<Longest> FLongest;
};
