#include "TWebService.h"

#include "THttpClient.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

namespace {

const char kHex[] = "0123456789ABCDEF";
const char kFieldError[] = "GetValue Field Error";
// ErrorText keeps at most this many characters of the error line.
constexpr int kMaxErrorChars = 1024;

void AppendEscaped(QByteArray &out, uchar byte) {
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

bool CopiedAsIs(uchar byte) {
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
    return true;
  switch (byte) {
    case '*': case '@': case '.': case '_': case '-':
    case '$': case '!': case '\'': case '(': case ')':
      return true;
    default:
      return false;
  }
}

// Adds "name=value" to the form, URL-encoded, unless the value is empty.
void AppendField(QByteArray &form, const char *nameAndEquals, const QByteArray &value) {
  if (value.isEmpty()) return;
  if (!form.isEmpty()) form += '&';
  form += nameAndEquals;
  for (const char c : value) {
    const uchar byte = uchar(c);
    if (CopiedAsIs(byte))
      form += c;
    else if (byte == ' ')
      form += '+';
    else
      AppendEscaped(form, byte);
  }
}

QByteArray EscapeStamp(const QByteArray &stamp) {
  QByteArray out;
  for (const char c : stamp) {
    const uchar byte = uchar(c);
    if (byte == ' ' || byte == '*' || byte == '#' || byte == '%' || byte == '<' || byte == '>' ||
        byte >= 0x80)
      AppendEscaped(out, byte);
    else
      out += c;
  }
  return out;
}

// Cuts [begin, end) at every tab; a tab at the very end opens no further
// piece, and an empty line has none.
void SplitPieces(const char *data, qsizetype begin, qsizetype end,
                 std::vector<QByteArrayView> &pieces) {
  for (qsizetype start = begin; start < end;) {
    const void *tab = std::memchr(data + start, '\t', size_t(end - start));
    if (!tab) {
      pieces.emplace_back(data + start, end - start);
      break;
    }
    const qsizetype at = static_cast<const char *>(tab) - data;
    pieces.emplace_back(data + start, at - start);
    start = at + 1;
  }
}

}  // namespace

TWebService::TWebService(QObject *owner) : QObject(owner), m_http(std::make_unique<THttpClient>()) {}

TWebService::~TWebService() = default;

QByteArray TWebService::UrlStamp(const QDateTime &localTime, const QLocale &locale) {
  static const QDate kOleEpoch(1899, 12, 30);
  const double days = double(kOleEpoch.daysTo(localTime.date())) +
                      localTime.time().msecsSinceStartOfDay() / 86400000.0;
  // Qt's 'g' drops trailing zeros and never groups thousands; only the
  // decimal separator is the locale's.
  QByteArray text = QByteArray::number(days, 'g', 15);
  const qsizetype point = text.indexOf('.');
  if (point >= 0) text.replace(point, 1, locale.decimalPoint().toLocal8Bit());
  return EscapeStamp(text);
}

void TWebService::SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

void TWebService::SetTimeouts(int connectMs, int idleMs) { m_http->SetTimeouts(connectMs, idleMs); }

void TWebService::SetMaxAnswerBytes(qint64 bytes) { m_http->SetMaxAnswerBytes(bytes); }

void TWebService::Execute(const QString &sql) {
  ErrorText.clear();
  try {
    QByteArray statement = sql.toLocal8Bit();
    statement.replace('\n', ' ');
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QByteArray url =
        WebServer.toLocal8Bit() + "/ws.php?" + UrlStamp(now, QLocale::system());

    QByteArray form;
    AppendField(form, "WS_server=", SQLServer.toLocal8Bit());
    AppendField(form, "WS_service=", Service.toLocal8Bit());
    AppendField(form, "WS_database=", Database.toLocal8Bit());
    AppendField(form, "WS_account=", Account.toLocal8Bit());
    AppendField(form, "WS_pwd=",
                Password.toLocal8Bit().toBase64(QByteArray::Base64Encoding |
                                                QByteArray::OmitTrailingEquals));
    AppendField(form, "WS_query=", statement);

    ClearResult();  // the previous answer is not needed while waiting
    QByteArray answer;
    QString failure;
    if (!m_http->Post(url, form, &answer, &failure)) answer = "$ERR " + failure.toLocal8Bit();
    LoadAnswer(std::move(answer));
  } catch (const std::exception &e) {
    LoadFailure(e.what());
  } catch (...) {
    LoadFailure("Unknown error");
  }
}

// The last resort of Execute: the failure becomes the answer's error line
// like any other, or, when even that cannot be built, a bare ErrorText.
void TWebService::LoadFailure(const char *message) noexcept {
  try {
    LoadAnswer("$ERR " + QByteArray(message));
  } catch (...) {
    ClearResult();
    ErrorText = QStringLiteral("Not enough memory for the answer");
  }
}

void TWebService::ClearResult() {
  m_values.clear();
  m_valuesRow = -1;
  m_lineRow = -1;
  m_text.clear();
  m_end = 0;
  m_rowsBegin = 0;
  m_rowCount = 0;
  m_fieldNames.clear();
  RowIndex = 0;
}

qsizetype TWebService::LineEnd(qsizetype begin) const {
  const char *const data = m_text.constData();
  const char *p = data + begin;
  const char *const end = data + m_end;
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p - data;
}

qsizetype TWebService::NextLine(qsizetype lineEnd) const {
  if (lineEnd >= m_end) return m_end;
  if (m_text[lineEnd] == '\r' && lineEnd + 1 < m_end && m_text[lineEnd + 1] == '\n')
    return lineEnd + 2;
  return lineEnd + 1;
}

void TWebService::LoadAnswer(QByteArray answer) {
  ClearResult();
  m_text = std::move(answer);
  // A NUL ends the text: nothing after it is seen.
  m_end = m_text.indexOf('\0');
  if (m_end < 0) m_end = m_text.size();

  qsizetype lines = 0;
  qsizetype firstEnd = 0;
  for (qsizetype pos = 0; pos < m_end; ++lines) {
    const qsizetype end = LineEnd(pos);
    if (lines == 0) firstEnd = end;
    pos = NextLine(end);
  }
  lines = std::min<qsizetype>(lines, INT_MAX);

  if (lines > 0) {
    const QByteArrayView first(m_text.constData(), firstEnd);
    if (first.startsWith("$ERR ")) {
      // Enough bytes for 1024 characters in any 8-bit or UTF-8 encoding.
      const QByteArrayView text = first.sliced(5);
      QString message =
          QString::fromLocal8Bit(text.first(std::min<qsizetype>(text.size(), 4 * kMaxErrorChars)));
      if (message.size() > kMaxErrorChars) {
        message.truncate(kMaxErrorChars);
        if (message.back().isHighSurrogate()) message.chop(1);
      }
      ErrorText = message;
      m_rowsBegin = 0;
      m_rowCount = int(lines);
    } else {
      std::vector<QByteArrayView> names;
      SplitPieces(m_text.constData(), 0, firstEnd, names);
      for (const QByteArrayView &name : names) m_fieldNames += QString::fromLocal8Bit(name);
      m_rowsBegin = NextLine(firstEnd);
      m_rowCount = int(lines - 1);
    }
  }
  RowIndex = 0;
  LoadRow();
}

void TWebService::LoadRow() {
  m_values.clear();
  m_valuesRow = RowIndex;
  if (RowIndex < 0 || RowIndex >= m_rowCount) return;

  // Forward from the row last located; back to the first row only if a
  // caller moved RowIndex backwards.
  qsizetype begin = m_rowsBegin;
  qsizetype end;
  int row = 0;
  if (m_lineRow >= 0 && RowIndex >= m_lineRow) {
    begin = m_lineBegin;
    end = m_lineEnd;
    row = m_lineRow;
  } else {
    end = LineEnd(begin);
  }
  while (row < RowIndex) {
    begin = NextLine(end);
    end = LineEnd(begin);
    ++row;
  }
  m_lineRow = row;
  m_lineBegin = begin;
  m_lineEnd = end;

  try {
    SplitPieces(m_text.constData(), begin, end, m_values);
  } catch (...) {
    m_values.clear();
  }
}

void TWebService::SyncRow() {
  if (m_valuesRow != RowIndex) LoadRow();
}

int TWebService::RecordCount() const { return m_rowCount; }

bool TWebService::Eof() const { return RowIndex >= m_rowCount; }

void TWebService::Next() {
  if (RowIndex < INT_MAX) ++RowIndex;
  LoadRow();
}

QByteArray TWebService::GetValueBytes(int fieldIndex) {
  if (fieldIndex < 0 || fieldIndex >= m_fieldNames.size()) {
    ErrorText = QLatin1String(kFieldError);
    return QByteArray();
  }
  SyncRow();
  if (size_t(fieldIndex) >= m_values.size()) return QByteArray();
  const QByteArrayView raw = m_values[size_t(fieldIndex)];
  if (raw.isEmpty() || !std::memchr(raw.data(), '\\', size_t(raw.size()))) return raw.toByteArray();
  // "\n" and "\t" are the only escapes; a backslash before anything else,
  // or at the end, stays.
  QByteArray value;
  value.reserve(raw.size());
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == 't')) {
      value += raw[i + 1] == 'n' ? '\n' : '\t';
      ++i;
    } else {
      value += c;
    }
  }
  return value;
}

QString TWebService::GetValue(int fieldIndex) {
  return QString::fromLocal8Bit(GetValueBytes(fieldIndex));
}

QString TWebService::GetValue(const QString &fieldName) {
  int index = -1;
  for (int i = 0; i < m_fieldNames.size(); ++i) {
    if (m_fieldNames[i].compare(fieldName, Qt::CaseInsensitive) == 0) {
      index = i;
      break;
    }
  }
  return GetValue(index);
}
