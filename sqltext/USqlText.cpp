#include "USqlText.h"

#include <QSet>
#include <QtGlobal>

#include <algorithm>

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

// The words MySQL 8 (those its manual marks reserved) and MariaDB reserve:
// one of them is taken unquoted as a name by neither, or not by all
// versions. Quoting one more word costs nothing; one less, a failed request.
const QSet<QByteArray> &ReservedWords() {
  static const QSet<QByteArray> words = {
      // MySQL 8
      "ACCESSIBLE", "ADD", "ALL", "ALTER", "ANALYZE", "AND", "AS", "ASC", "ASENSITIVE", "BEFORE", "BETWEEN",
      "BIGINT", "BINARY", "BLOB", "BOTH", "BY", "CALL", "CASCADE", "CASE", "CHANGE", "CHAR", "CHARACTER",
      "CHECK", "COLLATE", "COLUMN", "CONDITION", "CONSTRAINT", "CONTINUE", "CONVERT", "CREATE", "CROSS",
      "CUBE", "CUME_DIST", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR",
      "DATABASE", "DATABASES", "DAY_HOUR", "DAY_MICROSECOND", "DAY_MINUTE", "DAY_SECOND", "DEC", "DECIMAL",
      "DECLARE", "DEFAULT", "DELAYED", "DELETE", "DENSE_RANK", "DESC", "DESCRIBE", "DETERMINISTIC",
      "DISTINCT", "DISTINCTROW", "DIV", "DOUBLE", "DROP", "DUAL", "EACH", "ELSE", "ELSEIF", "EMPTY",
      "ENCLOSED", "ESCAPED", "EXCEPT", "EXISTS", "EXIT", "EXPLAIN", "FALSE", "FETCH", "_FILENAME",
      "FIRST_VALUE", "FLOAT", "FLOAT4", "FLOAT8", "FOR", "FORCE", "FOREIGN", "FROM", "FULLTEXT", "FUNCTION",
      "GENERATED", "GET", "GRANT", "GROUP", "GROUPING", "GROUPS", "HAVING", "HIGH_PRIORITY",
      "HOUR_MICROSECOND", "HOUR_MINUTE", "HOUR_SECOND", "IF", "IGNORE", "IN", "INDEX", "INFILE", "INNER",
      "INOUT", "INSENSITIVE", "INSERT", "INT", "INT1", "INT2", "INT3", "INT4", "INT8", "INTEGER", "INTERSECT",
      "INTERVAL", "INTO", "IO_AFTER_GTIDS", "IO_BEFORE_GTIDS", "IS", "ITERATE", "JOIN", "JSON_TABLE", "KEY",
      "KEYS", "KILL", "LAG", "LAST_VALUE", "LATERAL", "LEAD", "LEADING", "LEAVE", "LEFT", "LIKE", "LIMIT",
      "LINEAR", "LINES", "LOAD", "LOCALTIME", "LOCALTIMESTAMP", "LOCK", "LONG", "LONGBLOB", "LONGTEXT",
      "LOOP", "LOW_PRIORITY", "MASTER_BIND", "MASTER_SSL_VERIFY_SERVER_CERT", "MATCH", "MAXVALUE",
      "MEDIUMBLOB", "MEDIUMINT", "MEDIUMTEXT", "MIDDLEINT", "MINUTE_MICROSECOND", "MINUTE_SECOND", "MOD",
      "MODIFIES", "NATURAL", "NOT", "NO_WRITE_TO_BINLOG", "NTH_VALUE", "NTILE", "NULL", "NUMERIC", "OF", "ON",
      "OPTIMIZE", "OPTIMIZER_COSTS", "OPTION", "OPTIONALLY", "OR", "ORDER", "OUT", "OUTER", "OUTFILE", "OVER",
      "PARTITION", "PERCENT_RANK", "PRECISION", "PRIMARY", "PROCEDURE", "PURGE", "RANGE", "RANK", "READ",
      "READS", "READ_WRITE", "REAL", "RECURSIVE", "REFERENCES", "REGEXP", "RELEASE", "RENAME", "REPEAT",
      "REPLACE", "REQUIRE", "RESIGNAL", "RESTRICT", "RETURN", "REVOKE", "RIGHT", "RLIKE", "ROW", "ROWS",
      "ROW_NUMBER", "SCHEMA", "SCHEMAS", "SECOND_MICROSECOND", "SELECT", "SENSITIVE", "SEPARATOR", "SET",
      "SHOW", "SIGNAL", "SMALLINT", "SPATIAL", "SPECIFIC", "SQL", "SQLEXCEPTION", "SQLSTATE", "SQLWARNING",
      "SQL_BIG_RESULT", "SQL_CALC_FOUND_ROWS", "SQL_SMALL_RESULT", "SSL", "STARTING", "STORED",
      "STRAIGHT_JOIN", "SYSTEM", "TABLE", "TERMINATED", "THEN", "TINYBLOB", "TINYINT", "TINYTEXT", "TO",
      "TRAILING", "TRIGGER", "TRUE", "UNDO", "UNION", "UNIQUE", "UNLOCK", "UNSIGNED", "UPDATE", "USAGE",
      "USE", "USING", "UTC_DATE", "UTC_TIME", "UTC_TIMESTAMP", "VALUES", "VARBINARY", "VARCHAR",
      "VARCHARACTER", "VARYING", "VIRTUAL", "WHEN", "WHERE", "WHILE", "WINDOW", "WITH", "WRITE", "XOR",
      "YEAR_MONTH", "ZEROFILL",
      // MariaDB, besides (its manual's list, and what 10.11 refuses)
      "CURRENT_ROLE", "DELETE_DOMAIN_ID", "DO_DOMAIN_IDS", "GENERAL", "IGNORE_DOMAIN_IDS",
      "IGNORE_SERVER_IDS", "MASTER_DEMOTE_TO_REPLICA", "MASTER_DEMOTE_TO_SLAVE", "MASTER_HEARTBEAT_PERIOD",
      "OFFSET", "PAGE_CHECKSUM", "PARSE_VCOL_EXPR", "PORTION", "POSITION", "REF_SYSTEM_ID", "RETURNING",
      "SLOW", "STATS_AUTO_RECALC", "STATS_PERSISTENT", "STATS_SAMPLE_PAGES"};
  return words;
}

// What MySQL takes in an unquoted name. It takes any character from U+0080
// on; only letters, digits and marks count here, the others are quoted.
bool IsNameCharacter(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80)
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '$';
  return !c.isSurrogate() && (c.isLetterOrNumber() || c.isMark());
}

bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

bool IsAsciiHexDigit(QChar c) {
  const char16_t u = c.unicode();
  return IsAsciiDigit(c) || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Whether MySQL's reader takes the name, made of name characters only, as
// a number or as one followed by a name: digits alone, digits with an
// exponent ("1e5", and "1e5x": the number, then x), or a whole hexadecimal
// or binary literal ("0x1F", "0b01"; "0x1G" and "0b012" are names).
bool ReadsAsNumber(const QString &name) {
  qsizetype i = 0;
  while (i < name.size() && IsAsciiDigit(name[i])) ++i;
  if (i == 0) return false;
  if (i == name.size()) return true;
  if ((name[i] == QLatin1Char('e') || name[i] == QLatin1Char('E')) && i + 1 < name.size() && IsAsciiDigit(name[i + 1]))
    return true;
  if (i != 1 || name[0] != QLatin1Char('0') || name.size() < 3) return false;
  const QStringView digits = QStringView(name).mid(2);
  if (name[1] == QLatin1Char('x')) return std::all_of(digits.begin(), digits.end(), IsAsciiHexDigit);
  if (name[1] == QLatin1Char('b'))
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('1'); });
  return false;
}

bool IsReservedWord(const QString &name) {
  // Only ASCII words are reserved; upper-casing other letters could make
  // one of them ("ı" becomes "I").
  const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
  return ascii && ReservedWords().contains(name.toUpper().toLatin1());
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

QString QuoteSQLName(const QString &name) {
  const bool plain = !name.isEmpty() && std::all_of(name.begin(), name.end(), IsNameCharacter) &&
                     !ReadsAsNumber(name) && !IsReservedWord(name);
  if (plain) return name;
  QString quoted = name;
  quoted.replace(QLatin1Char('`'), QLatin1String("``"));
  return QLatin1Char('`') + quoted + QLatin1Char('`');
}
