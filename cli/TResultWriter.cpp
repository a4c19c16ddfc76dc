#include "TResultWriter.h"

#include "TWebService.h"
#include "UByteScan.h"

#include <algorithm>

namespace {

// Output built here is gathered into blocks of this size before it is
// written: small enough to stay in the cache and to cost few first touches.
constexpr size_t kBlockBytes = size_t(64) << 10;
// Lines passed through as the answer holds them go out in writes of about
// this size, so that a reader at the other end of a pipe gets them early.
constexpr qsizetype kRunBytes = qsizetype(1) << 20;

// The error line that ws.php writes last when a result breaks off: "$ERR "
// in the first field and nothing in the others.
bool IsCutLine(TWebService &ws) {
  if (ws.RowIndex != ws.RecordCount() - 1) return false;
  // The row's own bytes: "$ERR " holds no escape, and the first value of a
  // huge row is not copied out just to look at its start.
  if (ws.FieldCount() == 0 || !ws.GetRowText().startsWith("$ERR ")) return false;
  for (int i = 1; i < ws.FieldCount(); ++i)
    if (!ws.GetValueView(i).isEmpty()) return false;
  return true;
}

// The line without its line break.
QByteArrayView WithoutBreak(QByteArrayView text) {
  qsizetype size = text.size();
  if (size > 0 && text[size - 1] == '\n') --size;
  if (size > 0 && text[size - 1] == '\r') --size;
  return text.first(size);
}

// The header's names travel escaped like values; csv shows them plain.
QByteArray Unescaped(QByteArrayView text) {
  if (!text.contains('\\')) return text.toByteArray();
  QByteArray plain;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't')) {
      plain.append(text[++i] == 'n' ? '\n' : '\t');
    } else {
      plain.append(text[i]);
    }
  }
  return plain;
}

}  // namespace

TResultWriter::TResultWriter(std::FILE *out, TSqlOptions::Format format)
    : FOut(out), FFormat(format) {
  FPending.reserve(kBlockBytes + 4096);
}

void TResultWriter::AppendTsv(std::string &line, QByteArrayView value) {
  // Most values hold neither a line feed nor a tab: one pass to find out,
  // one copy.
  const char *const begin = value.data();
  const char *const end = begin + value.size();
  const char *p = begin;
  while (p != end && *p != '\n' && *p != '\t') ++p;
  line.append(begin, size_t(p - begin));
  for (; p != end; ++p) {
    if (*p == '\n')
      line.append("\\n", 2);
    else if (*p == '\t')
      line.append("\\t", 2);
    else
      line.push_back(*p);
  }
}

void TResultWriter::AppendCsv(std::string &line, QByteArrayView value) {
  bool quote = false;
  for (const char c : value) quote = quote || c == ',' || c == '"' || c == '\n' || c == '\r';
  if (!quote) {
    line.append(value.data(), size_t(value.size()));
    return;
  }
  line.push_back('"');
  for (const char c : value) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}

void TResultWriter::Append(QByteArrayView value) {
  if (FLineStarted) FPending.push_back(FFormat == TSqlOptions::Format::Csv ? ',' : '\t');
  FLineStarted = true;
  if (FFormat == TSqlOptions::Format::Csv)
    AppendCsv(FPending, value);
  else
    AppendTsv(FPending, value);
}

void TResultWriter::EndLine() {
  FPending.append(FFormat == TSqlOptions::Format::Csv ? "\r\n" : "\n");
  FLineStarted = false;
}

bool TResultWriter::WritePending() {
  if (!FPending.empty() &&
      std::fwrite(FPending.data(), 1, FPending.size(), FOut) != FPending.size())
    return false;
  FPending.clear();
  return true;
}

bool TResultWriter::WriteRun() {
  const size_t size = size_t(FRunEnd - FRunBegin);
  if (size > 0 && std::fwrite(FRunBegin, 1, size, FOut) != size) return false;
  FRunBegin = FRunEnd = nullptr;
  return true;
}

bool TResultWriter::Pass(QByteArrayView bytes) {
  if (!FPending.empty() && !WritePending()) return false;
  if (bytes.data() != FRunEnd || FRunEnd - FRunBegin >= kRunBytes) {
    if (!WriteRun()) return false;
    FRunBegin = bytes.data();
  }
  FRunEnd = bytes.data() + bytes.size();
  return true;
}

// Every row is a line with a piece for every field, so its own tsv line
// (see Write): the rows go out as the answer holds them, in large writes,
// all but a cut line at the end.
bool TResultWriter::PassRows(TWebService &ws, std::optional<QString> *cutError) {
  QByteArrayView rows = ws.GetRemainingText();
  ws.RowIndex = ws.RecordCount() - 1;
  if (IsCutLine(ws)) {
    rows.truncate(ws.GetRowText().data() - rows.data());
    *cutError = QString::fromLocal8Bit(ws.GetValueView(0).sliced(5));
  } else {
    ws.RowIndex = ws.RecordCount();
  }
  for (qsizetype at = 0; at < rows.size(); at += kRunBytes)
    if (!Pass(rows.sliced(at, std::min(kRunBytes, rows.size() - at)))) return false;
  // The last line of the answer may end without its line feed.
  if (!rows.isEmpty() && rows.back() != '\n') {
    if (!WriteRun()) return false;
    FPending.push_back('\n');
  }
  return WritePending() && WriteRun() && std::fflush(FOut) == 0;
}

bool TResultWriter::Write(TWebService &ws, std::optional<QString> *cutError) {
  const int fields = ws.FieldCount();
  // Without a header there is no line to write, not even an empty one.
  if (fields == 0) return true;
  // The names' own bytes: a header of millions of names made into strings
  // would cost many times the answer.
  for (int i = 0; i < fields; ++i) {
    const QByteArrayView bytes = ws.FieldNameView(i);
    // A name holds no tab nor line break: a huge one goes out as it is.
    if (FFormat == TSqlOptions::Format::Tsv && bytes.size() >= kRunBytes) {
      if (FLineStarted) FPending.push_back('\t');
      FLineStarted = true;
      if (!Pass(bytes) || !WriteRun()) return false;
      continue;
    }
    if (FFormat == TSqlOptions::Format::Csv)
      Append(Unescaped(bytes));
    else
      Append(bytes);
    if (FPending.size() >= kBlockBytes && !WritePending()) return false;
  }
  EndLine();
  const bool tsv = FFormat == TSqlOptions::Format::Tsv;
  if (tsv && !ws.Eof() && ws.RowIndex >= 0 && ws.RowsHaveTabs(fields - 1))
    return PassRows(ws, cutError);
  for (; !ws.Eof(); ws.Next()) {
    if (IsCutLine(ws)) {
      *cutError = QString::fromLocal8Bit(ws.GetValueView(0).sliced(5));
      break;
    }
    if (tsv) {
      // A line with a piece for every field is its own tsv: its pieces hold
      // no tab and no line break, so escaping what GetValue unescaped gives
      // the very same bytes back. Ended by a line feed, as most are, it goes
      // out straight from the answer. Short and long lines take the long
      // way.
      const QByteArrayView text = ws.GetRowText();
      const QByteArrayView line = WithoutBreak(text);
      if (UByteScan::Count(line.data(), line.size(), '\t') == fields - 1) {
        if (line.size() + 1 == text.size() && text.back() == '\n') {
          if (!Pass(text)) return false;
          continue;
        }
        if (!WriteRun()) return false;
        FPending.append(line.data(), size_t(line.size()));
        FPending.push_back('\n');
        if (FPending.size() >= kBlockBytes && !WritePending()) return false;
        continue;
      }
    }
    if (!WriteRun()) return false;
    for (int i = 0; i < fields; ++i) Append(ws.GetValueView(i));
    EndLine();
    if (FPending.size() >= kBlockBytes && !WritePending()) return false;
  }
  return WritePending() && WriteRun() && std::fflush(FOut) == 0;
}
