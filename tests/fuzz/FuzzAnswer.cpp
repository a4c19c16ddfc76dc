// The fuzz target of the answer parsing: the bytes of an answer in, as if
// they had come from ws.php, then every row walked (forward, and by jumps)
// and every field index from -1 to the field count + 1 read, by index, by
// name, as the row's line and through the answer table. Besides the
// sanitizers' own findings, each read is compared with a plain reading of
// the answer format written here from its rules, and a difference aborts.
//
// The first byte of an input says how the answer arrives: its low four bits
// choose the size of the pieces it is appended in (see kPieces), since the
// buffer notes lines and tabs as the pieces come; 0x10 reserves the whole
// size first, as an announced Content-Length does. The rest is the answer.
// Seeds that begin with '0' arrive whole, with '@' whole without reserve.

#include "FuzzAnswer.h"

#include "TAnswerBuffer.h"
#include "TAnswerTable.h"
#include "TWebService.h"
#include "UServerErrors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype kPieces[16] = {0, 1, 2, 3, 5, 7, 15, 16, 17, 31, 32, 33, 64, 255, 4096, 65536};
const char kFieldError[] = "GetValue Field Error";
constexpr int kLongest = 2;
// Fields read by name, and through the table, on each row.
constexpr int kByName = 64;
constexpr int kTableFields = 64;

[[noreturn]] void Fail(const char *what, qsizetype row, qsizetype field) {
  std::fprintf(stderr, "answer parsing: %s (row %lld, field %lld)\n", what, static_cast<long long>(row),
               static_cast<long long>(field));
  std::abort();
}

void Check(bool ok, const char *what, qsizetype row = -1, qsizetype field = -1) {
  if (!ok) Fail(what, row, field);
}

// A line of the text: [begin, end) its bytes, [end, next) its line break.
struct Line {
  qsizetype begin;
  qsizetype end;
  qsizetype next;
};

// The answer as its format reads it, done the plain way.
struct Reading {
  QByteArrayView text;  // up to the first NUL
  std::vector<Line> lines;
  bool error = false;
  QStringList names;
  QList<QByteArray> rawNames;  // as the header holds them
  std::vector<Line> rows;
  std::vector<QList<QByteArray>> pieces;  // of each row, escapes kept

  explicit Reading(QByteArrayView answer) {
    const qsizetype nul = answer.indexOf('\0');
    text = nul >= 0 ? answer.first(nul) : answer;
    // A line ends at CR LF, LF or CR; a break at the very end opens no
    // further line.
    for (qsizetype at = 0; at < text.size();) {
      qsizetype end = at;
      while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
      qsizetype next = end;
      if (end < text.size()) next = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
      lines.push_back({at, end, next});
      at = next;
    }
    if (lines.empty()) return;
    error = Bytes(lines[0]).startsWith("$ERR ");
    if (error) {
      rows = lines;
    } else {
      rawNames = Pieces(Bytes(lines[0]));
      for (const QByteArray &name : rawNames) names << QString::fromLocal8Bit(name);
      rows.assign(lines.begin() + 1, lines.end());
    }
    for (const Line &row : rows) pieces.push_back(Pieces(Bytes(row)));
  }

  QByteArrayView Bytes(const Line &line) const { return text.sliced(line.begin, line.end - line.begin); }
  QByteArrayView WithBreak(const Line &line) const { return text.sliced(line.begin, line.next - line.begin); }

  // Cut at every tab; a tab at the very end opens no piece, an empty line
  // has none.
  static QList<QByteArray> Pieces(QByteArrayView line) {
    QList<QByteArray> pieces;
    if (line.isEmpty()) return pieces;
    qsizetype from = 0;
    for (qsizetype at = 0; at < line.size(); ++at) {
      if (line[at] != '\t') continue;
      pieces << line.sliced(from, at - from).toByteArray();
      from = at + 1;
    }
    if (from < line.size()) pieces << line.sliced(from).toByteArray();
    return pieces;
  }

  static QByteArray Unescaped(QByteArray value) {
    value.replace("\\n", "\n");
    value.replace("\\t", "\t");
    return value;
  }

  // The piece of a row, escapes kept; empty past the row's pieces.
  QByteArray Raw(int row, int field) const {
    const QList<QByteArray> &line = pieces[size_t(row)];
    return field >= 0 && field < line.size() ? line[field] : QByteArray();
  }
  // The value of a field that exists, as GetValue gives it.
  QByteArray Value(int row, int field) const { return Unescaped(Raw(row, field)); }
};

// The client the inputs go through, one for the run as in the program: what
// one answer leaves behind must not reach the next.
TWebService &Client() {
  static TWebService *const ws = new TWebService;
  return *ws;
}

void Load(TWebService &ws, QByteArrayView answer, qsizetype piece, bool reserve) {
  TAnswerBuffer buffer;
  if (reserve) buffer.Reserve(answer.size());
  if (piece <= 0) piece = std::max<qsizetype>(answer.size(), 1);
  for (qsizetype at = 0; at < answer.size(); at += piece)
    buffer.Append(answer.data() + at, std::min(piece, answer.size() - at));
  ws.SetAnswer(std::move(buffer));
}

// Every field index of the row at the cursor, by index and by name.
void CheckRow(TWebService &ws, const Reading &reading, int row) {
  const int fields = ws.FieldCount();
  const bool inside = row >= 0 && row < int(reading.rows.size());
  const QByteArrayView text = ws.GetRowText();
  Check(inside ? text == reading.WithBreak(reading.rows[size_t(row)]) : text.isEmpty(), "GetRowText", row);
  // From the row's own bytes to the end of the text (compared by place:
  // a compare of the bytes for every row would cost the square of the
  // answer's size).
  const QByteArrayView rest = ws.GetRemainingText();
  Check(inside ? rest.data() == text.data() &&
                     rest.size() == reading.text.size() - reading.rows[size_t(row)].begin
               : rest.isEmpty(),
        "GetRemainingText", row);
  for (int field = -1; field <= fields + 1; ++field) {
    const bool exists = field >= 0 && field < fields;
    const QByteArray expected = exists && inside ? reading.Value(row, field) : QByteArray();
    ws.ErrorText.clear();
    const QByteArray view = ws.GetValueView(field).toByteArray();
    Check(view == expected, "GetValueView", row, field);
    Check(ws.ErrorText == (exists ? QString() : QLatin1String(kFieldError)), "ErrorText of GetValueView", row,
          field);
    Check(ws.GetValueBytes(field) == expected, "GetValueBytes", row, field);
    Check(ws.GetValue(field) == QString::fromLocal8Bit(expected), "GetValue by index", row, field);
    // By name for the first fields only: each lookup is a search of the
    // names, all of them over all the rows would cost their square.
    if (!exists || field >= kByName) continue;
    // The first field of that name, whatever the letter case, answers.
    const QString &name = reading.names[field];
    int first = 0;
    while (reading.names[first].compare(name, Qt::CaseInsensitive) != 0) ++first;
    ws.ErrorText.clear();
    Check(ws.GetValue(name) == QString::fromLocal8Bit(inside ? reading.Value(row, first) : QByteArray()),
          "GetValue by name", row, field);
    Check(ws.ErrorText.isEmpty(), "ErrorText of GetValue by name", row, field);
  }
  // No name holds a tab: that one is never found.
  ws.ErrorText.clear();
  Check(ws.GetValue(QStringLiteral("\t")).isEmpty() && ws.ErrorText == QLatin1String(kFieldError),
        "GetValue by a missing name", row);
  Check(ws.RowIndex == row, "RowIndex moved by a read", row);
}

void CheckLoaded(TWebService &ws, const Reading &reading) {
  const int rows = int(reading.rows.size());
  Check(ws.RecordCount() == rows, "RecordCount");
  Check(ws.RowIndex == 0, "RowIndex after loading");
  // The bytes of each name first, before the strings are made.
  for (int field = -1; field <= int(reading.rawNames.size()) + 1; ++field)
    Check(ws.FieldNameView(field) == reading.rawNames.value(field), "FieldNameView", -1, field);
  Check(ws.FieldNames() == reading.names, "FieldNames");
  if (reading.error) {
    // The message's first line, at most 1024 characters of it, whole when
    // it is short; a French sentence before it when it is a usual refusal.
    const QByteArrayView message = reading.Bytes(reading.lines[0]).sliced(5);
    QString kept = QString::fromLocal8Bit(message.first(std::min<qsizetype>(message.size(), 4096)));
    if (kept.size() > 1024) {
      kept.truncate(1024);
      if (kept.back().isHighSurrogate()) kept.chop(1);
    }
    Check(ws.ErrorText == UServerErrors::Explained(kept), "ErrorText of $ERR");
  } else {
    Check(ws.ErrorText.isEmpty(), "ErrorText without $ERR");
  }
}

// The answer table against the same reading.
void CheckTable(TWebService &ws, const Reading &reading) {
  const std::shared_ptr<const TAnswerTable> table = ws.Table(kLongest);
  const int rows = int(reading.rows.size());
  const int fields = ws.FieldCount();
  Check(table->RowCount() == rows, "table RowCount");
  for (int field = -1; field <= fields + 1; ++field)
    Check(table->FieldName(field) == reading.rawNames.value(field), "table FieldName", -1, field);
  Check(table->FieldNames() == reading.names, "table FieldNames");
  QByteArray spare;
  for (int row = -1; row <= rows; ++row) {
    const bool inside = row >= 0 && row < rows;
    Check(table->RowText(row) == (inside ? reading.Bytes(reading.rows[size_t(row)]) : QByteArrayView()),
          "table RowText", row);
    const int pieces = inside ? int(reading.pieces[size_t(row)].size()) : 0;
    // The table finds a piece from the line's start: the first fields only.
    const int last = std::min(std::max(fields, pieces) + 1, kTableFields);
    for (int field = -1; field <= last; ++field) {
      const QByteArray raw = inside ? reading.Raw(row, field) : QByteArray();
      Check(table->RawValue(row, field) == raw, "table RawValue", row, field);
      Check(table->Value(row, field, spare) == Reading::Unescaped(raw), "table Value", row, field);
    }
  }
  // The longest pieces of each tracked column: most bytes first, earlier
  // rows first among equals, never an empty one.
  const int tracked = std::max(fields, 1);
  for (int column = -1; column <= tracked; ++column) {
    std::vector<std::pair<qsizetype, int>> sizes;
    for (int row = 0; column >= 0 && column < tracked && row < rows; ++row) {
      const QByteArray raw = reading.Raw(row, column);
      if (!raw.isEmpty()) sizes.push_back({-raw.size(), row});
    }
    std::sort(sizes.begin(), sizes.end());
    std::vector<int> expected;
    for (size_t i = 0; i < sizes.size() && i < size_t(kLongest); ++i) expected.push_back(sizes[i].second);
    Check(table->LongestRows(column) == expected, "table LongestRows", -1, column);
  }
}

// Known from the notes the buffer took as the bytes came; a reader passes
// the rows through as whole lines when it says yes, so it must be exact.
void CheckRowsHaveTabs(TWebService &ws, const Reading &reading) {
  const bool noCr = !reading.text.contains('\r');
  for (int tabs = -1; tabs <= ws.FieldCount() + 1; ++tabs) {
    bool holds = !reading.error && noCr;
    for (size_t row = 0; holds && row < reading.rows.size(); ++row)
      holds = reading.Bytes(reading.rows[row]).count('\t') == tabs;
    Check(ws.RowsHaveTabs(tabs) == holds, "RowsHaveTabs", -1, tabs);
  }
}

}  // namespace

int FuzzAnswer(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const qsizetype piece = kPieces[data[0] & 0x0F];
  const bool reserve = (data[0] & 0x10) != 0;
  const QByteArrayView answer(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
  const Reading reading(answer);
  TWebService &ws = Client();
  const int rows = int(reading.rows.size());

  // Jumps first, while the cursor has not been anywhere: the last row (found
  // from the end of the text), one in the middle, back to the first, and
  // out of range both ways.
  Load(ws, answer, piece, reserve);
  CheckLoaded(ws, reading);
  for (const int row : {rows - 1, rows / 2, 0, -1, rows, rows + 1, INT_MAX, INT_MIN}) {
    ws.RowIndex = row;
    CheckRow(ws, reading, row);
  }

  // Then the walk every caller does.
  Load(ws, answer, piece, reserve);
  CheckLoaded(ws, reading);
  int row = 0;
  for (; !ws.Eof(); ws.Next(), ++row) {
    Check(row < rows, "Eof never comes", row);
    Check(ws.RowIndex == row, "RowIndex out of step", row);
    CheckRow(ws, reading, row);
  }
  Check(row == rows, "Eof too early", row);
  ws.Next();
  Check(ws.Eof(), "Next past the end", row);
  CheckRow(ws, reading, ws.RowIndex);
  CheckRowsHaveTabs(ws, reading);
  CheckTable(ws, reading);
  return 0;
}
