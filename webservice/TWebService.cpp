#include "TWebService.h"

#include "THttpClient.h"
#include "UNetworkErrors.h"
#include "UServerErrors.h"

#include <QFile>
#include <QLocale>
#include <QMetaObject>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <new>
#include <thread>

namespace {

const char kHex[] = "0123456789ABCDEF";
const char kFieldError[] = "GetValue Field Error";
// ErrorText keeps at most this many characters of the error line.
constexpr int kMaxErrorChars = 1024;
// A header up to this size has its names made into strings for lookups by
// name, as most readers look up names row after row; a larger one is
// searched in its bytes.
constexpr qsizetype kNamesAsStringsBytes = qsizetype(64) << 10;
// A row's unescaped pieces keep their room for the next row up to this
// size; a larger one is given back.
constexpr size_t kKeptUnescapedRoom = size_t(1) << 20;

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

}  // namespace

TWebService::TWebService(QObject *owner) : QObject(owner), FHttp(std::make_unique<THttpClient>()) {}

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

void TWebService::SetClock(std::function<QDateTime()> clock) { FClock = std::move(clock); }

void TWebService::SetTimeouts(int connectMs, int idleMs) { FHttp->SetTimeouts(connectMs, idleMs); }

void TWebService::SetMaxAnswerBytes(qint64 bytes) { FHttp->SetMaxAnswerBytes(bytes); }

void TWebService::SetMaxTime(int ms) { FHttp->SetMaxTime(ms); }

void TWebService::SetCaFile(const QString &path) { FHttp->SetCaFile(QFile::encodeName(path)); }

namespace {

TWebService::TWaiter &DefaultWaiter() {
  static TWebService::TWaiter waiter;
  return waiter;
}
int gInFlight = 0;
int gRefused = 0;

}  // namespace

void TWebService::SetDefaultWaiter(TWaiter waiter) { DefaultWaiter() = std::move(waiter); }

bool TWebService::AnyInFlight() { return gInFlight > 0; }

int TWebService::RefusedRequests() { return gRefused; }

void TWebService::Cancel() {
  if (FInFlight) FHttp->Cancel();
}

void TWebService::Execute(const QString &sql) {
  if (FInFlight) {
    // Something ran while this client waited and sent a request of its
    // own: the one under way keeps its answer, this one is not sent.
    ++gRefused;
    qWarning("TWebService: a request was started while another was under way; it is refused");
    ErrorText = QStringLiteral("Une requête est déjà en cours : attendez sa fin ou annulez-la.");
    return;
  }
  ErrorText.clear();
  FCancelled = false;
  try {
    QByteArray statement = sql.toLocal8Bit();
    statement.replace('\n', ' ');
    const QDateTime now = FClock ? FClock() : QDateTime::currentDateTime();
    const QByteArray url =
        Settings.WebServer.toLocal8Bit() + "/ws.php?" + UrlStamp(now, QLocale::system());

    QByteArray form;
    AppendField(form, "WS_server=", Settings.SQLServer.toLocal8Bit());
    AppendField(form, "WS_service=", Service.toLocal8Bit());
    AppendField(form, "WS_database=", Settings.Database.toLocal8Bit());
    AppendField(form, "WS_account=", Settings.Account.toLocal8Bit());
    AppendField(form, "WS_pwd=",
                Settings.Password.toLocal8Bit().toBase64(QByteArray::Base64Encoding |
                                                         QByteArray::OmitTrailingEquals));
    AppendField(form, "WS_query=", statement);

    ClearResult();  // the previous answer is not needed while waiting
    TAnswerBuffer answer;
    QString failure;
    if (!Exchange(sql, url, form, &answer, &failure)) {
      const QByteArray line = "$ERR " + failure.toLocal8Bit();
      answer.Clear();
      answer.Append(line.constData(), line.size());
    }
    LoadAnswer(std::move(answer));
  } catch (const std::exception &e) {
    LoadFailure(e.what());
  } catch (...) {
    LoadFailure("cause inconnue");
  }
}

bool TWebService::Exchange(const QString &sql, const QByteArray &url, const QByteArray &form, TAnswerBuffer *answer,
                           QString *failure) {
  const TWaiter &waiter = DefaultWaiter();
  struct TInFlight {
    bool &flag;
    TInFlight(bool &f) : flag(f) {
      flag = true;
      ++gInFlight;
    }
    ~TInFlight() {
      flag = false;
      --gInFlight;
    }
  } inFlight(FInFlight);
  bool ok = false;
  if (!waiter) {
    ok = FHttp->Post(url, form, answer, failure);
  } else {
    FFinished.store(false);
    // The exchange on a thread of its own, this thread's events going on
    // meanwhile; everything the worker fills lives in this frame, which
    // outlives it (joined below).
    std::thread worker([this, &url, &form, answer, failure, &ok] {
      ok = FHttp->Post(url, form, answer, failure);
      FFinished.store(true);
      QMetaObject::invokeMethod(this, [this] { emit RequestDone(); }, Qt::QueuedConnection);
    });
    try {
      waiter(*this, TPendingRequest{sql, Settings.WebServer});
    } catch (...) {
      // A waiter that fails must not leave the exchange running alone.
      FHttp->Cancel();
    }
    worker.join();
  }
  FCancelled = !ok && FHttp->Cancelled();
  return ok;
}

// The last resort of Execute, called from its handlers: the failure becomes
// the answer's error line like any other, or, when even that cannot be
// built, a bare ErrorText. Memory running out is the one failure expected
// here, and is said in the user's words rather than the library's.
void TWebService::LoadFailure(const char *message) noexcept {
  try {
    QString text;
    try {
      if (const std::exception_ptr failure = std::current_exception()) std::rethrow_exception(failure);
      text = UNetworkErrors::Unexpected(QString::fromLocal8Bit(message));
    } catch (const std::bad_alloc &) {
      text = UNetworkErrors::RequestOutOfMemory();
    } catch (...) {
      text = UNetworkErrors::Unexpected(QString::fromLocal8Bit(message));
    }
    const QByteArray line = "$ERR " + text.toLocal8Bit();
    TAnswerBuffer answer;
    answer.Append(line.constData(), line.size());
    LoadAnswer(std::move(answer));
  } catch (...) {
    ClearResult();
    ErrorText = UNetworkErrors::RequestOutOfMemory();
  }
}

void TWebService::ClearResult() {
  FValues.Clear();
  FUnescapedPieces.Clear();
  std::string().swap(FUnescaped);
  FValuesRow = -1;
  FLineRow = -1;
  FTable.reset();
  FText.reset();
  FData = nullptr;
  FEnd = 0;
  FCrFrom = 0;
  FNextCr = -1;
  FRowsBegin = 0;
  FRowCount = 0;
  FAllLines = true;
  FErrorAnswer = false;
  FHeader.Clear();
  FHeaderEnd = -1;
  FFieldCount = 0;
  FFieldNames.clear();
  FNamesMade = false;
  RowIndex = 0;
}

qsizetype TWebService::LineEnd(qsizetype begin) {
  if (begin >= FEnd) return FEnd;
  const char *const data = FData;
  if (begin < FCrFrom || begin > FNextCr) {
    const void *cr = std::memchr(data + begin, '\r', size_t(FEnd - begin));
    FCrFrom = begin;
    FNextCr = cr ? static_cast<const char *>(cr) - data : FEnd;
  }
  const void *lf = std::memchr(data + begin, '\n', size_t(FNextCr - begin));
  return lf ? static_cast<const char *>(lf) - data : FNextCr;
}

qsizetype TWebService::NextLine(qsizetype lineEnd) const {
  if (lineEnd >= FEnd) return FEnd;
  const char *const data = FData;
  if (data[lineEnd] == '\r' && lineEnd + 1 < FEnd && data[lineEnd + 1] == '\n')
    return lineEnd + 2;
  return lineEnd + 1;
}

void TWebService::LoadAnswer(TAnswerBuffer answer) {
  ClearResult();
  FText = std::make_shared<TAnswerBuffer>(std::move(answer));
  FData = FText->Data();
  // A NUL ends the text: nothing after it is seen. The buffer has counted
  // the line breaks as the bytes came; a last line without one counts too.
  FEnd = FText->TextEnd();
  FCrFrom = 0;
  FNextCr = FText->FirstCr();
  qsizetype lines = FText->LineBreaks();
  if (FEnd > 0 && FData[FEnd - 1] != '\n' && FData[FEnd - 1] != '\r') ++lines;
  FAllLines = lines <= INT_MAX;
  lines = std::min<qsizetype>(lines, INT_MAX);
  const qsizetype firstEnd = LineEnd(0);

  if (lines > 0) {
    const QByteArrayView first(FData, firstEnd);
    if (first.startsWith("$ERR ")) {
      // Enough bytes for 1024 characters in any 8-bit or UTF-8 encoding.
      const QByteArrayView text = first.sliced(5);
      QString message =
          QString::fromLocal8Bit(text.first(std::min<qsizetype>(text.size(), 4 * kMaxErrorChars)));
      if (message.size() > kMaxErrorChars) {
        message.truncate(kMaxErrorChars);
        if (message.back().isHighSurrogate()) message.chop(1);
      }
      // The usual refusals get a French sentence before them; the limit
      // above is the server's text's, which stays whole after it.
      ErrorText = UServerErrors::Explained(message);
      FErrorAnswer = true;
      FRowsBegin = 0;
      FRowCount = int(lines);
    } else {
      // Where the names lie, not the names: a header of millions of them
      // must not cost many times its size.
      FHeader.Split(FData, 0, firstEnd, '\t', INT_MAX);
      FHeaderEnd = firstEnd;
      FFieldCount = int(FHeader.Count());
      FRowsBegin = NextLine(firstEnd);
      FRowCount = int(lines - 1);
    }
  }
  RowIndex = 0;
}

// Finds the line of the row at RowIndex: forward from the row last
// located, back to the first row only if a caller moved RowIndex backwards.
bool TWebService::LocateRow() {
  if (RowIndex < 0 || RowIndex >= FRowCount) return false;
  if (RowIndex == FLineRow) return true;
  // The last row is the last line: found from the end of the text, for a
  // reader that jumps to it, at the cost of that line alone.
  if (RowIndex == FRowCount - 1 && RowIndex != FLineRow + 1 && FAllLines) {
    const char *const data = FData;
    qsizetype end = FEnd;
    if (end > 0 && data[end - 1] == '\n') {
      --end;
      if (end > 0 && data[end - 1] == '\r') --end;
    } else if (end > 0 && data[end - 1] == '\r') {
      --end;
    }
    qsizetype begin = end;
    while (begin > FRowsBegin && data[begin - 1] != '\n' && data[begin - 1] != '\r') --begin;
    FLineRow = RowIndex;
    FLineBegin = begin;
    FLineEnd = end;
    FLineNext = NextLine(end);
    return true;
  }
  qsizetype next = FRowsBegin;
  int row = 0;
  if (FLineRow >= 0 && RowIndex > FLineRow) {
    next = FLineNext;
    row = FLineRow + 1;
  }
  qsizetype begin;
  qsizetype end;
  do {
    begin = next;
    end = LineEnd(begin);
    next = NextLine(end);
  } while (row++ < RowIndex);
  FLineRow = RowIndex;
  FLineBegin = begin;
  FLineEnd = end;
  FLineNext = next;
  return true;
}

// Notes the pieces of the row at RowIndex, once per row: Next itself only
// moves the number, so that a reader of whole lines pays for no cutting.
void TWebService::SyncRow() {
  if (FValuesRow == RowIndex) return;
  FValues.Clear();
  FUnescapedPieces.Clear();
  if (FUnescaped.capacity() > kKeptUnescapedRoom)
    std::string().swap(FUnescaped);
  else
    FUnescaped.clear();
  FValuesRow = RowIndex;
  if (!LocateRow()) return;
  try {
    // Pieces past the last field are never read.
    FValues.Split(FData, FLineBegin, FLineEnd, '\t', FFieldCount);
  } catch (...) {
    FValues.Clear();
  }
}

int TWebService::RecordCount() const { return FRowCount; }

bool TWebService::Eof() const { return RowIndex >= FRowCount; }

void TWebService::Next() {
  if (RowIndex < INT_MAX) ++RowIndex;
}

QByteArrayView TWebService::GetRowText() {
  if (!LocateRow()) return QByteArrayView();
  return QByteArrayView(FData + FLineBegin, FLineNext - FLineBegin);
}

QByteArrayView TWebService::GetRemainingText() {
  if (!LocateRow()) return QByteArrayView();
  return QByteArrayView(FData + FLineBegin, FEnd - FLineBegin);
}

bool TWebService::RowsHaveTabs(int tabs) const {
  // The rows of an error answer start with its first line.
  return !FErrorAnswer && FAllLines && FText && FText->LaterLinesHoldTabs(tabs);
}

QByteArrayView TWebService::GetValueView(int fieldIndex) {
  if (fieldIndex < 0 || fieldIndex >= FFieldCount) {
    ErrorText = QLatin1String(kFieldError);
    return QByteArrayView();
  }
  SyncRow();
  if (fieldIndex >= FValues.Count()) return QByteArrayView();
  const QByteArrayView raw = FValues.At(fieldIndex);
  if (raw.isEmpty() || !std::memchr(raw.data(), '\\', size_t(raw.size()))) return raw;
  if (fieldIndex < FUnescapedPieces.Count()) return FUnescapedPieces.At(fieldIndex);
  // What the pieces become is never longer than they are, and their NULs
  // take the tabs' places (one more for the last): room for the line and
  // one byte holds any of them, so the views given stay where they are.
  if (FUnescapedPieces.Count() == 0) {
    FUnescaped.reserve(size_t(FLineEnd - FLineBegin) + 1);
    FUnescapedPieces.Start(FUnescaped.data(), '\0');
  }
  for (qsizetype i = FUnescapedPieces.Count(); i <= fieldIndex; ++i) {
    FUnescapedPieces.Add(qsizetype(FUnescaped.size()));
    // "\n" and "\t" are the only escapes; a backslash before anything
    // else, or at the end, stays.
    const QByteArrayView piece = FValues.At(i);
    const char *const bytes = piece.data();
    for (qsizetype at = 0; at < piece.size(); ++at) {
      const char c = bytes[at];
      if (c == '\\' && at + 1 < piece.size() && (bytes[at + 1] == 'n' || bytes[at + 1] == 't')) {
        FUnescaped.push_back(bytes[at + 1] == 'n' ? '\n' : '\t');
        ++at;
      } else {
        FUnescaped.push_back(c);
      }
    }
    FUnescaped.push_back('\0');
  }
  FUnescapedPieces.SetEnd(qsizetype(FUnescaped.size()));
  return FUnescapedPieces.At(fieldIndex);
}

std::shared_ptr<const TAnswerTable> TWebService::Table(int longestPerColumn) {
  if (!FTable || FTableLongest != longestPerColumn) {
    // Rows past INT_MAX lines are not part of the result set: the table
    // stops where RecordCount does.
    const int measured = std::min(std::max(FieldCount(), 1), MostMeasuredColumns);
    FTable = std::make_shared<const TAnswerTable>(FText, FHeader, FRowsBegin, FEnd, FRowCount,
                                                  longestPerColumn > 0 ? measured : 0, longestPerColumn);
    FTableLongest = longestPerColumn;
  }
  return FTable;
}

QByteArray TWebService::GetValueBytes(int fieldIndex) {
  return GetValueView(fieldIndex).toByteArray();
}

QString TWebService::GetValue(int fieldIndex) {
  return QString::fromLocal8Bit(GetValueView(fieldIndex));
}

const QStringList &TWebService::FieldNames() const {
  if (!FNamesMade) {
    QStringList names;
    names.reserve(FFieldCount);
    for (int i = 0; i < FFieldCount; ++i) names += QString::fromLocal8Bit(FHeader.At(i));
    FFieldNames = std::move(names);
    FNamesMade = true;
  }
  return FFieldNames;
}

QByteArrayView TWebService::FieldNameView(int fieldIndex) const { return FHeader.At(fieldIndex); }

QString TWebService::GetValue(const QString &fieldName) {
  int index = -1;
  if (FNamesMade || FHeaderEnd <= kNamesAsStringsBytes) {
    const QStringList &names = FieldNames();
    for (int i = 0; i < names.size(); ++i) {
      if (names[i].compare(fieldName, Qt::CaseInsensitive) == 0) {
        index = i;
        break;
      }
    }
  } else {
    // A name has at least one byte per character of its string, and at
    // most four in any 8-bit encoding: names outside that are not decoded.
    const qsizetype fewest = fieldName.size();
    const qsizetype most = 4 * fieldName.size();
    for (int i = 0; i < FFieldCount; ++i) {
      const QByteArrayView name = FHeader.At(i);
      if (name.size() < fewest || name.size() > most) continue;
      if (QString::fromLocal8Bit(name).compare(fieldName, Qt::CaseInsensitive) == 0) {
        index = i;
        break;
      }
    }
  }
  return GetValue(index);
}
