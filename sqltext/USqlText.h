// USqlText: the text functions that prepare a saved query before it is
// sent: finding, counting and replacing its named parameters (a colon
// followed by a name, as in :CLIENT), and cleaning it of tabs, comment lines
// and empty lines; and the quoting of the names in the statements the
// program writes itself.
//
// Headless (Qt Core only): the data page and the command-line client share
// it. The text is bytes in the user's 8-bit encoding, never a QString; the
// functions keep no state between calls.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

// The value types a provider may state; only the string, date and time
// types (quoted) and the decimal types (comma made a full stop) change how a
// value goes in.
enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftFixedChar,
  ftWideString,
  ftLargeint
};

// Called with a reference's name; gives its value and its type. The value
// comes in empty and the type as ftString.
using TParamValueProvider = std::function<void(const QByteArray &name, QByteArray &value, TFieldType &type)>;

// A reference is replaced through a marker "?" + one byte (65 + its number)
// + "$", so a text can hold this many references at most.
constexpr int kMaxSQLParams = 191;

// A text that cannot be prepared; Message() is French and names the cause.
class TSqlTextError : public std::runtime_error {
 public:
  explicit TSqlTextError(const QString &message);
  const QString &Message() const { return FMessage; }

 private:
  QString FMessage;
};

// The number of parameter references in the text, repetitions included.
// Never fails, whatever their number; the text is not changed.
int CountSQLParams(const QByteArray &text);

// Rewrites the text: every doubled colon outside quotes becomes one colon,
// every reference the value the provider gives for its name (called once
// per reference, in text order). Throws TSqlTextError, the text unchanged,
// when it holds more than kMaxSQLParams references. Whatever the provider
// throws goes through, the text unchanged too.
void ReplaceSQLParams(QByteArray &text, const TParamValueProvider &provider);

// A text as a list of lines.
using TSqlLines = QList<QByteArray>;

// Splits at CR LF, at a lone CR and at a lone LF; a break at the very end
// opens no further line, and an empty text gives no line.
TSqlLines SplitSQLLines(const QByteArray &text);
// Each line followed by CR LF, the last one included.
QByteArray JoinSQLLines(const TSqlLines &lines);

// Turns every tab into one blank and empties every comment line (one whose
// trimmed text begins with "--").
void BlankSQLComments(TSqlLines &lines);
// BlankSQLComments, then deletes every line that is empty once trimmed.
void CleanSQL(TSqlLines &lines);

// Where a comment that starts at `pos` ends, read as MySQL reads comments:
// "--" followed by a blank or a control character (or nothing), and "#",
// run to the end of the line, the line break excluded; "/*" runs past the
// next "*/", or to the end of the text. "/*!" (and MariaDB's "/*M!") is code
// the server runs, so no comment. Returns pos when no comment starts there.
// Meant for readers that walk the text outside quotes: inside quotes
// nothing starts a comment.
qsizetype SQLCommentEnd(const QByteArray &text, qsizetype pos);

// The one preparation of a saved query before it is sent: the text put
// through a list of lines (CR LF), then, when it holds references,
// putValues(text) puts the values in (false when the user cancels: the
// result is then std::nullopt), then CleanSQL. A text without references
// is never handed to putValues, so its doubled colons stay as written.
std::optional<QByteArray> PrepareSavedQuery(const QByteArray &text,
                                            const std::function<bool(QByteArray &text)> &putValues);

// The encoding whose lead bytes the scanner skips (a double-byte code page
// has two-byte characters whose second byte may look like a colon or a
// quote). Empty: the system's, that is the encoding Qt converts the user's
// 8-bit text with. Tests choose another one here.
void SetSQLCodeSet(const QByteArray &codeset);
// The encoding in force, as set or as found for the system.
QByteArray SQLCodeSet();
// Whether the byte starts a two-byte character in that encoding.
bool IsSQLLeadByte(unsigned char byte);

// A table or column name as the statements the program builds write it. A
// plain identifier (ASCII or other letters, digits, "_" and "$") goes as it
// is, so that ordinary names are sent as they always were; between back
// quotes, each back quote inside doubled, goes a name that MySQL would not
// read as that name: any other character, a reserved word of MySQL 8 or
// MariaDB in any case, or a number (123, 1e5, 0x1F, 0b01). The name is
// text, as the tree and the lists hold it.
QString QuoteSQLName(const QString &name);
