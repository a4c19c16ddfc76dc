#include "TResultWriter.h"

#include "TWebService.h"

namespace {

// Output is gathered into blocks of this size before it is written.
constexpr size_t kBlockBytes = 1 << 20;

// The error line that ws.php writes last when a result breaks off: "$ERR "
// in the first field and nothing in the others.
bool IsCutLine(TWebService &ws) {
  if (ws.RowIndex != ws.RecordCount() - 1) return false;
  if (!ws.GetValueBytes(0).startsWith("$ERR ")) return false;
  for (int i = 1; i < ws.FieldCount(); ++i)
    if (!ws.GetValueBytes(i).isEmpty()) return false;
  return true;
}

// The header's names travel escaped like values; csv shows them plain.
QByteArray Unescaped(const QByteArray &text) {
  if (!text.contains('\\')) return text;
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
    : m_out(out), m_format(format) {
  m_pending.reserve(kBlockBytes + 4096);
}

void TResultWriter::AppendTsv(std::string &line, const QByteArray &value) {
  // Most values hold neither a line feed nor a tab: one pass to find out,
  // one copy.
  const char *const begin = value.constData();
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

void TResultWriter::AppendCsv(std::string &line, const QByteArray &value) {
  bool quote = false;
  for (const char c : value) quote = quote || c == ',' || c == '"' || c == '\n' || c == '\r';
  if (!quote) {
    line.append(value.constData(), size_t(value.size()));
    return;
  }
  line.push_back('"');
  for (const char c : value) {
    if (c == '"') line.push_back('"');
    line.push_back(c);
  }
  line.push_back('"');
}

void TResultWriter::Append(const QByteArray &value) {
  if (m_lineStarted) m_pending.push_back(m_format == TSqlOptions::Format::Csv ? ',' : '\t');
  m_lineStarted = true;
  if (m_format == TSqlOptions::Format::Csv)
    AppendCsv(m_pending, value);
  else
    AppendTsv(m_pending, value);
}

void TResultWriter::EndLine() {
  m_pending.append(m_format == TSqlOptions::Format::Csv ? "\r\n" : "\n");
  m_lineStarted = false;
}

bool TResultWriter::Flush() {
  if (!m_pending.empty() &&
      std::fwrite(m_pending.data(), 1, m_pending.size(), m_out) != m_pending.size())
    return false;
  m_pending.clear();
  return true;
}

bool TResultWriter::Write(TWebService &ws, QString *cutError) {
  const int fields = ws.FieldCount();
  // Without a header there is no line to write, not even an empty one.
  if (fields == 0) return true;
  for (const QString &name : ws.FieldNames()) {
    const QByteArray bytes = name.toLocal8Bit();
    Append(m_format == TSqlOptions::Format::Csv ? Unescaped(bytes) : bytes);
  }
  EndLine();
  for (; !ws.Eof(); ws.Next()) {
    if (IsCutLine(ws)) {
      *cutError = QString::fromLocal8Bit(ws.GetValueBytes(0).mid(5));
      break;
    }
    for (int i = 0; i < fields; ++i) Append(ws.GetValueBytes(i));
    EndLine();
    if (m_pending.size() >= kBlockBytes && !Flush()) return false;
  }
  return Flush() && std::fflush(m_out) == 0;
}
