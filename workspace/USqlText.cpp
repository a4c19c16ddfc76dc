#include "USqlText.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

namespace {

// Which bytes start a two-byte character.
enum class TLeadBytes {
  None,      // UTF-8 and the single-byte encodings
  ShiftJis,  // 0x81-0x9F and 0xE0-0xFC
  High,      // 0x81-0xFE: GBK and GB18030, Korean (UHC), Big5
};

QByteArray &ChosenCodeSet() {
  static QByteArray codeset;
  return codeset;
}

QByteArray FindSystemCodeSet() {
  // The text reaches these functions through QString::toLocal8Bit, so its
  // encoding is the one Qt converts with; Qt 6 uses UTF-8 on Unix whatever
  // the locale says, and then no byte is a lead byte.
  if (QString(QChar(0x3042)).toLocal8Bit() == QByteArray("\xE3\x81\x82")) return "UTF-8";
#ifdef Q_OS_WIN
  return "CP" + QByteArray::number(uint(GetACP()));
#else
  // The user's locale, whether or not the program has called setlocale.
  if (const locale_t user = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr)); user != locale_t(nullptr)) {
    const QByteArray codeset = nl_langinfo_l(CODESET, user);
    freelocale(user);
    return codeset;
  }
  return nl_langinfo(CODESET);
#endif
}

TLeadBytes LeadBytesOf(const QByteArray &codeset) {
  // "Shift_JIS", "shift-jis" and "SJIS" alike.
  QByteArray name;
  for (const char c : codeset.toUpper())
    if (c != '-' && c != '_' && c != ' ') name += c;
  static const char *const kShiftJis[] = {"SHIFTJIS", "SJIS", "CP932", "MS932", "WINDOWS31J", "MSKANJI"};
  static const char *const kHigh[] = {"GBK",   "GB2312", "GB18030", "CP936", "MS936",     "WINDOWS936",
                                      "EUCCN", "EUCKR",  "CP949",   "MS949", "UHC",       "WINDOWS949",
                                      "BIG5",  "CP950",  "MS950",   "WINDOWS950", "BIG5HKSCS"};
  for (const char *known : kShiftJis)
    if (name == known) return TLeadBytes::ShiftJis;
  for (const char *known : kHigh)
    if (name == known) return TLeadBytes::High;
  return TLeadBytes::None;
}

bool IsLead(TLeadBytes lead, uchar byte) {
  switch (lead) {
    case TLeadBytes::None:
      return false;
    case TLeadBytes::ShiftJis:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case TLeadBytes::High:
      return byte >= 0x81 && byte <= 0xFE;
  }
  return false;
}

constexpr int kEnd = -1;

bool IsQuote(int c) { return c == '\'' || c == '"' || c == '`'; }

// Only these end a name outside quotes; a tab, "=", "(" or "." do not.
bool IsDelimiter(int c) { return c == '\n' || c == '\r' || c == ' ' || c == ')' || c == ',' || c == ';'; }

QByteArray Marker(int k) {
  QByteArray marker("?A$");
  marker[1] = char(65 + k);
  return marker;
}

// Walks the text as the parameter syntax reads it and returns the names of
// the references in text order. One colon of each doubled colon outside
// quotes is removed; with placeMarkers, each reference is replaced by its
// marker (the first kMaxSQLParams only: no byte is left for a further one).
// A quote inside a comment opens no string (an apostrophe in "-- Clients
// d'une ville" would hide every reference after it); colons are read there
// as anywhere else, so a reference in a comment is still asked for.
QList<QByteArray> Scan(QByteArray &s, bool placeMarkers, TLeadBytes lead) {
  QList<QByteArray> names;
  const auto at = [&s](qsizetype i) { return i < s.size() ? int(uchar(s[i])) : kEnd; };
  // A lead byte's partner is skipped with it: it may be a colon or a quote.
  const auto skipLeadPairs = [&s, lead](qsizetype &i) {
    while (i < s.size() && IsLead(lead, uchar(s[i]))) i = qMin(i + 2, s.size());
  };
  bool inQuotes = false;
  // The comment being read runs up to, not including, this position.
  qsizetype commentEnd = 0;
  // Whether the byte at i, the one being looked at, toggles the quote flag:
  // a comment is looked for there first, outside quotes only.
  const auto togglesQuotes = [&](qsizetype i, int c) {
    if (!inQuotes && i >= commentEnd) commentEnd = SQLCommentEnd(s, i);
    return IsQuote(c) && i >= commentEnd;
  };
  qsizetype p = 0;
  for (;;) {
    skipLeadPairs(p);
    int c = at(p);
    const bool toggles = togglesQuotes(p, c);
    if (c == ':' && !inQuotes && at(p + 1) != ':') {
      const qsizetype start = p;
      bool quotedName = false;
      do {
        ++p;
        skipLeadPairs(p);
        c = at(p);
        if (IsQuote(c) && p == start + 1) quotedName = true;
        if (togglesQuotes(p, c)) inQuotes = !inQuotes;
      } while (c != kEnd && (inQuotes || !IsDelimiter(c)));
      QByteArray name = s.mid(start + 1, p - start - 1);
      if (quotedName) {
        if (!name.isEmpty() && IsQuote(uchar(name.front()))) name.remove(0, 1);
        if (!name.isEmpty() && IsQuote(uchar(name.back()))) name.chop(1);
      }
      if (placeMarkers && names.size() < kMaxSQLParams) {
        s.replace(start, p - start, Marker(int(names.size())));
        // The comment's end moves with the text; one that ended inside the
        // name ends with the marker.
        if (commentEnd > start) commentEnd = qMax(commentEnd + 3 - (p - start), start + 3);
        p = start + 3;  // the byte that ended the name, which is not looked at again
      }
      names.append(name);
    } else if (c == ':' && !inQuotes) {
      s.remove(p, 1);  // a doubled colon; the one left is stepped over below
      if (commentEnd > p) --commentEnd;
    } else if (toggles) {
      inQuotes = !inQuotes;
    }
    if (c == kEnd) break;
    ++p;
  }
  return names;
}

QByteArray Formatted(QByteArray value, TFieldType type) {
  switch (type) {
    case ftString:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftFixedChar:
      return '\'' + value.replace('\'', QByteArray("''")) + '\'';
    case ftFloat:
    case ftCurrency:
    case ftBCD:
      return value.replace(',', '.');
    default:
      return value;
  }
}

// The position of the first byte above the blank, or the size.
qsizetype FirstNonBlank(const QByteArray &line) {
  qsizetype i = 0;
  while (i < line.size() && uchar(line[i]) <= 32) ++i;
  return i;
}

bool IsBlankLine(const QByteArray &line) { return FirstNonBlank(line) == line.size(); }

bool IsCommentLine(const QByteArray &line) {
  const qsizetype i = FirstNonBlank(line);
  return i + 1 < line.size() && line[i] == '-' && line[i + 1] == '-';
}

}  // namespace

qsizetype SQLCommentEnd(const QByteArray &text, qsizetype pos) {
  const qsizetype n = text.size();
  if (pos < 0 || pos >= n) return pos;
  const auto at = [&text, n](qsizetype i) { return i < n ? int(uchar(text[i])) : kEnd; };
  const int c = at(pos);
  const int after = at(pos + 2);
  // MySQL wants a blank or a control character after the dashes, so that
  // "a--1" stays a subtraction.
  if (c == '#' || (c == '-' && at(pos + 1) == '-' && (after == kEnd || after <= 32 || after == 127))) {
    qsizetype end = pos + 1;
    while (end < n && text[end] != '\n' && text[end] != '\r') ++end;
    return end;
  }
  if (c == '/' && at(pos + 1) == '*') {
    if (after == '!' || (after == 'M' && at(pos + 3) == '!')) return pos;
    const qsizetype close = text.indexOf("*/", pos + 2);
    return close < 0 ? n : close + 2;
  }
  return pos;
}

TSqlTextError::TSqlTextError(const QString &message)
    : std::runtime_error(message.toStdString()), FMessage(message) {}

void SetSQLCodeSet(const QByteArray &codeset) { ChosenCodeSet() = codeset; }

QByteArray SQLCodeSet() {
  if (!ChosenCodeSet().isEmpty()) return ChosenCodeSet();
  static const QByteArray system = FindSystemCodeSet();
  return system;
}

bool IsSQLLeadByte(unsigned char byte) { return IsLead(LeadBytesOf(SQLCodeSet()), byte); }

int CountSQLParams(const QByteArray &text) {
  QByteArray copy = text + ' ';
  return int(Scan(copy, false, LeadBytesOf(SQLCodeSet())).size());
}

void ReplaceSQLParams(QByteArray &text, const TParamValueProvider &provider) {
  // Worked on a copy: the text is changed only once every value is in.
  QByteArray work = text;
  const QList<QByteArray> names = Scan(work, true, LeadBytesOf(SQLCodeSet()));
  if (names.size() > kMaxSQLParams)
    throw TSqlTextError(QStringLiteral("La requête contient %1 paramètres : %2 au plus sont acceptés.")
                            .arg(names.size())
                            .arg(kMaxSQLParams));
  for (int k = 0; k < int(names.size()); ++k) {
    QByteArray value;
    TFieldType type = ftString;
    provider(names[k], value, type);
    // Every occurrence, also one that stood in the text before or came in
    // with an earlier value.
    work.replace(Marker(k), Formatted(value, type));
  }
  text = work;
}

TSqlLines SplitSQLLines(const QByteArray &text) {
  TSqlLines lines;
  const qsizetype n = text.size();
  qsizetype p = 0;
  while (p < n) {
    const qsizetype start = p;
    while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
    lines.append(text.mid(start, p - start));
    if (p < n && text[p] == '\r') ++p;
    if (p < n && text[p] == '\n') ++p;
  }
  return lines;
}

QByteArray JoinSQLLines(const TSqlLines &lines) {
  QByteArray text;
  qsizetype size = 0;
  for (const QByteArray &line : lines) size += line.size() + 2;
  text.reserve(size);
  for (const QByteArray &line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void BlankSQLComments(TSqlLines &lines) {
  QByteArray text = JoinSQLLines(lines);
  text.replace('\t', ' ');
  lines = SplitSQLLines(text);
  for (QByteArray &line : lines)
    if (IsCommentLine(line)) line.clear();
}

void CleanSQL(TSqlLines &lines) {
  BlankSQLComments(lines);
  lines.removeIf(IsBlankLine);
}

std::optional<QByteArray> PrepareSavedQuery(const QByteArray &text,
                                            const std::function<bool(QByteArray &text)> &putValues) {
  QByteArray prepared = JoinSQLLines(SplitSQLLines(text));
  if (CountSQLParams(prepared) > 0 && !putValues(prepared)) return std::nullopt;
  TSqlLines lines = SplitSQLLines(prepared);
  CleanSQL(lines);
  return JoinSQLLines(lines);
}
