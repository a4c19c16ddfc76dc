// The SQL text functions: which references a text holds, how values go in,
// how lines are split, blanked and cleaned, the lead-byte rule of the
// double-byte encodings, the preparation of a saved query, the refusal
// of a text with more references than markers, quotes inside comments, and
// the quoting of names.
#include "USqlText.h"

#include <QtTest>

#include <utility>

namespace {

// What a provider was called with, and what it gave back, call by call.
struct TRecordingProvider {
  QList<std::pair<QByteArray, TFieldType>> Answers;  // in call order
  QByteArrayList Names;
  bool CameInEmpty = true;  // every call came with an empty value and ftString

  TParamValueProvider Provider() {
    return [this](const QByteArray &name, QByteArray &value, TFieldType &type) {
      CameInEmpty = CameInEmpty && value.isEmpty() && type == ftString;
      const int call = int(Names.size());
      Names << name;
      if (call < Answers.size()) {
        value = Answers[call].first;
        type = Answers[call].second;
      }
    };
  }
};

// The names ReplaceSQLParams finds, in text order.
QByteArrayList NamesIn(const QByteArray &text) {
  QByteArray copy = text;
  TRecordingProvider recorder;
  ReplaceSQLParams(copy, recorder.Provider());
  return recorder.Names;
}

// ":p0 :p1 ... :p<n-1>" and the text with "v0"... in their places.
std::pair<QByteArray, QByteArray> Numbered(int n) {
  QByteArray text, replaced;
  for (int k = 0; k < n; ++k) {
    text += ":p" + QByteArray::number(k) + ' ';
    replaced += "v" + QByteArray::number(k) + ' ';
  }
  return {text, replaced};
}

// Each test leaves the system's encoding in force.
struct TCodeSet {
  explicit TCodeSet(const QByteArray &codeset) { SetSQLCodeSet(codeset); }
  ~TCodeSet() { SetSQLCodeSet(QByteArray()); }
};

}  // namespace

class TestSqlText : public QObject {
  Q_OBJECT

 private slots:
  void references_data();
  void references();
  void replace_data();
  void replace();
  void lines_data();
  void lines();
  void blankAndClean_data();
  void blankAndClean();
  void leadBytes_data();
  void leadBytes();
  void codeSetInForce();
  void prepareSavedQuery_data();
  void prepareSavedQuery();
  void preparationOrder();
  void markerBytesUpTo191();
  void over191IsRefused_data();
  void over191IsRefused();
  void quotesInComments_data();
  void quotesInComments();
  void commentEnd_data();
  void commentEnd();
  void quotedNames_data();
  void quotedNames();
};

// ------------------------------------------------------------ references

void TestSqlText::references_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArrayList>("names");

  using L = QByteArrayList;
  QTest::newRow("one in quotes, one not") << QByteArray("SELECT * FROM t WHERE a = :a AND b = ':b'") << L{"a"};
  QTest::newRow("time in quotes") << QByteArray("WHERE heure = '10:30'") << L{};
  QTest::newRow("doubled apostrophe toggles twice") << QByteArray("WHERE x = 'it''s :y'") << L{};
  QTest::newRow("backslash escapes nothing") << QByteArray("WHERE a = 'l\\'x' AND b = :b") << L{};
  QTest::newRow("quotes not paired by kind") << QByteArray("WHERE a = \"x' AND b = :b") << L{"b"};
  QTest::newRow("back quotes") << QByteArray("SELECT `a:b`, :c") << L{"c"};
  QTest::newRow("tab and next word in the name") << QByteArray("WHERE a = :x\tAND b = 2") << L{"x\tAND"};
  QTest::newRow("comma and parenthesis end names") << QByteArray("IN (:a,:b)") << L{"a", "b"};
  QTest::newRow("semicolon ends a name") << QByteArray("WHERE a=:a;") << L{"a"};
  QTest::newRow("CR LF ends a name") << QByteArray("WHERE a=:a\r\nAND b=:b\nAND c=:c\r") << L{"a", "b", "c"};
  QTest::newRow("equals, plus, full stop, parenthesis do not") << QByteArray("(:a+1=(x.y) :b") << L{"a+1=(x.y", "b"};
  QTest::newRow("assignment operator") << QByteArray("SET @v := 1") << L{"="};
  QTest::newRow("empty names") << QByteArray("a = : b, (:), :") << L{"", "", ""};
  QTest::newRow("digits") << QByteArray("LIMIT :1") << L{"1"};
  QTest::newRow("quoted name") << QByteArray("WHERE :'mon nom' = 1") << L{"mon nom"};
  QTest::newRow("quote inside a name kept") << QByteArray("WHERE :a'b c' = 1") << L{"a'b c'"};
  QTest::newRow("doubled colon") << QByteArray("SELECT a::b") << L{};
  QTest::newRow("doubled colon in quotes") << QByteArray("SELECT 'a::b', :c") << L{"c"};
  QTest::newRow("colon in quotes") << QByteArray("SELECT ':a") << L{};
  QTest::newRow("tripled colon") << QByteArray("SELECT :::a") << L{"a"};
  QTest::newRow("same name twice") << QByteArray("WHERE a = :a OR b = :a") << L{"a", "a"};
  QTest::newRow("name at the end") << QByteArray("WHERE a = :a") << L{"a"};
  QTest::newRow("nothing") << QByteArray() << L{};
}

void TestSqlText::references() {
  QFETCH(QByteArray, text);
  QFETCH(QByteArrayList, names);
  const QByteArray before = text;
  QCOMPARE(CountSQLParams(text), int(names.size()));
  QCOMPARE(text, before);
  QCOMPARE(NamesIn(text), names);
}

// ------------------------------------------------------------ replace

using TAnswers = QList<std::pair<QByteArray, TFieldType>>;
Q_DECLARE_METATYPE(TAnswers)

void TestSqlText::replace_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<TAnswers>("answers");
  QTest::addColumn<QByteArray>("replaced");

  const QByteArray v("WHERE v = :v");
  // Quoted, apostrophes doubled.
  for (const auto &[name, type] : {std::pair<const char *, TFieldType>{"ftString", ftString},
                                   {"ftDate", ftDate}, {"ftTime", ftTime}, {"ftDateTime", ftDateTime},
                                   {"ftFixedChar", ftFixedChar}})
    QTest::addRow("%s quoted", name) << v << TAnswers{{"l'eau, 1,5", type}} << QByteArray("WHERE v = 'l''eau, 1,5'");
  // Decimal commas made full stops, nothing quoted.
  for (const auto &[name, type] : {std::pair<const char *, TFieldType>{"ftFloat", ftFloat},
                                   {"ftCurrency", ftCurrency}, {"ftBCD", ftBCD}})
    QTest::addRow("%s comma to full stop", name) << v << TAnswers{{"1,5,'2'", type}} << QByteArray("WHERE v = 1.5.'2'");
  // As given.
  for (const auto &[name, type] : {std::pair<const char *, TFieldType>{"ftInteger", ftInteger},
                                   {"ftUnknown", ftUnknown}, {"ftSmallint", ftSmallint}, {"ftWord", ftWord},
                                   {"ftBoolean", ftBoolean}, {"ftBytes", ftBytes}, {"ftVarBytes", ftVarBytes},
                                   {"ftAutoInc", ftAutoInc}, {"ftBlob", ftBlob}, {"ftMemo", ftMemo},
                                   {"ftGraphic", ftGraphic}, {"ftFmtMemo", ftFmtMemo},
                                   {"ftWideString", ftWideString}, {"ftLargeint", ftLargeint}})
    QTest::addRow("%s as given", name) << v << TAnswers{{"'Paris', 1,5", type}} << QByteArray("WHERE v = 'Paris', 1,5");

  QTest::newRow("a type left alone is ftString") << v << TAnswers{} << QByteArray("WHERE v = ''");
  QTest::newRow("one-character name keeps its parenthesis") << QByteArray("(:a)") << TAnswers{{"5", ftInteger}}
      << QByteArray("(5)");
  QTest::newRow("empty value") << QByteArray("WHERE a = :a AND b") << TAnswers{{"", ftInteger}}
      << QByteArray("WHERE a =  AND b");
  QTest::newRow("same name twice, one call each") << QByteArray(":a = :a") << TAnswers{{"1", ftInteger}, {"2", ftInteger}}
      << QByteArray("1 = 2");
  QTest::newRow("doubled colon closes up") << QByteArray("SELECT a::b, ':::', :c") << TAnswers{{"1", ftInteger}}
      << QByteArray("SELECT a:b, ':::', 1");
  QTest::newRow("doubled colon without references") << QByteArray("SELECT a::b") << TAnswers{}
      << QByteArray("SELECT a:b");
  QTest::newRow("tripled colon") << QByteArray("SELECT :::a") << TAnswers{{"1", ftInteger}} << QByteArray("SELECT :1");
  QTest::newRow("tab and next word replaced too") << QByteArray("WHERE a = :x\tAND b = 2") << TAnswers{{"1", ftInteger}}
      << QByteArray("WHERE a = 1 b = 2");
  QTest::newRow("quoted name") << QByteArray("WHERE :'mon nom' = 1") << TAnswers{{"7", ftInteger}}
      << QByteArray("WHERE 7 = 1");
  QTest::newRow("assignment operator") << QByteArray("SET @v := 1") << TAnswers{{"X", ftInteger}}
      << QByteArray("SET @v X 1");
  QTest::newRow("marker already in the text, also in quotes") << QByteArray("SELECT '?A$', ?A$, :x")
      << TAnswers{{"1", ftInteger}} << QByteArray("SELECT '1', 1, 1");
  QTest::newRow("a value holding a later marker") << QByteArray(":a, :b") << TAnswers{{"?B$", ftInteger}, {"2", ftInteger}}
      << QByteArray("2, 2");
  QTest::newRow("a value holding an earlier marker") << QByteArray(":a, :b") << TAnswers{{"1", ftInteger}, {"?A$", ftInteger}}
      << QByteArray("1, ?A$");
  QTest::newRow("a value holding a reference") << QByteArray(":a") << TAnswers{{":b", ftInteger}} << QByteArray(":b");
  QTest::newRow("no reference, no marker replaced") << QByteArray("SELECT '?A$'") << TAnswers{}
      << QByteArray("SELECT '?A$'");
  QTest::newRow("comments: doubled colon closes up, reference replaced")
      << QByteArray("-- a::b l'x :c\n/* :d */ :e") << TAnswers{{"1", ftInteger}, {"2", ftInteger}, {"3", ftInteger}}
      << QByteArray("-- a:b l'x 1\n/* 2 */ 3");
}

void TestSqlText::replace() {
  QFETCH(QByteArray, text);
  QFETCH(TAnswers, answers);
  QFETCH(QByteArray, replaced);
  TRecordingProvider recorder;
  recorder.Answers = answers;
  ReplaceSQLParams(text, recorder.Provider());
  QCOMPARE(text, replaced);
  QVERIFY(recorder.CameInEmpty);
}

// ------------------------------------------------------------ lines

void TestSqlText::lines_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<TSqlLines>("lines");
  QTest::addColumn<QByteArray>("joined");

  QTest::newRow("empty") << QByteArray() << TSqlLines{} << QByteArray();
  QTest::newRow("one line, no break") << QByteArray("a") << TSqlLines{"a"} << QByteArray("a\r\n");
  QTest::newRow("final break opens no line") << QByteArray("a\r\n") << TSqlLines{"a"} << QByteArray("a\r\n");
  QTest::newRow("CR LF, lone CR, lone LF") << QByteArray("a\r\nb\rc\nd") << TSqlLines{"a", "b", "c", "d"}
      << QByteArray("a\r\nb\r\nc\r\nd\r\n");
  QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << TSqlLines{"a", "", "b"}
      << QByteArray("a\r\n\r\nb\r\n");
  QTest::newRow("empty lines kept") << QByteArray("\n\r\n  \r\n") << TSqlLines{"", "", "  "}
      << QByteArray("\r\n\r\n  \r\n");
  QTest::newRow("other bytes as they are") << QByteArray("a\tb\0c\x01", 6) << TSqlLines{QByteArray("a\tb\0c\x01", 6)}
      << QByteArray("a\tb\0c\x01\r\n", 8);
}

void TestSqlText::lines() {
  QFETCH(QByteArray, text);
  QFETCH(TSqlLines, lines);
  QFETCH(QByteArray, joined);
  QCOMPARE(SplitSQLLines(text), lines);
  QCOMPARE(JoinSQLLines(lines), joined);
}

void TestSqlText::blankAndClean_data() {
  QTest::addColumn<TSqlLines>("lines");
  QTest::addColumn<TSqlLines>("blanked");
  QTest::addColumn<TSqlLines>("cleaned");

  QTest::newRow("comment line emptied, comment at the end kept")
      << TSqlLines{"SELECT a", "  -- note", "FROM t -- fin"} << TSqlLines{"SELECT a", "", "FROM t -- fin"}
      << TSqlLines{"SELECT a", "FROM t -- fin"};
  QTest::newRow("tabs become blanks, blanks around kept")
      << TSqlLines{"\tSELECT\ta ", "\t-- c", "FROM\tt"} << TSqlLines{" SELECT a ", "", "FROM t"}
      << TSqlLines{" SELECT a ", "FROM t"};
  QTest::newRow("blanks and comments only") << TSqlLines{"  ", "-- a", "\t", "--", "\x01\x02"}
      << TSqlLines{"  ", "", " ", "", "\x01\x02"} << TSqlLines{};
  QTest::newRow("control characters before the dashes") << TSqlLines{"\x1f-- x", "x -- y", "- - x", "-"}
      << TSqlLines{"", "x -- y", "- - x", "-"} << TSqlLines{"x -- y", "- - x", "-"};
  QTest::newRow("breaks inside lines split them") << TSqlLines{"a\nb", "-- c\rd"}
      << TSqlLines{"a", "b", "", "d"} << TSqlLines{"a", "b", "d"};
  QTest::newRow("order kept") << TSqlLines{"3", "", "1", " ", "2"} << TSqlLines{"3", "", "1", " ", "2"}
      << TSqlLines{"3", "1", "2"};
  QTest::newRow("no line") << TSqlLines{} << TSqlLines{} << TSqlLines{};
}

void TestSqlText::blankAndClean() {
  QFETCH(TSqlLines, lines);
  QFETCH(TSqlLines, blanked);
  QFETCH(TSqlLines, cleaned);
  TSqlLines list = lines;
  BlankSQLComments(list);
  QCOMPARE(list, blanked);
  list = lines;
  CleanSQL(list);
  QCOMPARE(list, cleaned);
}

// ------------------------------------------------------------ lead bytes

void TestSqlText::leadBytes_data() {
  QTest::addColumn<QByteArray>("codeset");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArrayList>("names");

  using L = QByteArrayList;
  // 0x83 0x60 is one Shift_JIS character whose second byte is a back quote.
  const QByteArray sjisBackQuote("SELECT \x83\x60 FROM t WHERE b = :b");
  QTest::newRow("Shift_JIS: second byte is no quote") << QByteArray("Shift_JIS") << sjisBackQuote << L{"b"};
  QTest::newRow("UTF-8: the same byte is a quote") << QByteArray("UTF-8") << sjisBackQuote << L{};
  QTest::newRow("single-byte: no lead byte") << QByteArray("ISO-8859-1") << sjisBackQuote << L{};
  QTest::newRow("CP932: second byte is no colon") << QByteArray("CP932") << QByteArray("x\x81:a") << L{};
  QTest::newRow("UTF-8: that colon starts a reference") << QByteArray("UTF-8") << QByteArray("x\x81:a") << L{"a"};
  QTest::newRow("Shift_JIS: second byte is no delimiter") << QByteArray("sjis") << QByteArray(":a\x81 b, :c")
      << L{"a\x81 b", "c"};
  QTest::newRow("Shift_JIS: pair inside a name") << QByteArray("windows-31j") << QByteArray(":\x83\x60x = 1")
      << L{"\x83\x60x"};
  QTest::newRow("Shift_JIS: 0xFE is no lead byte") << QByteArray("Shift_JIS") << QByteArray("\xFE\x60 :b") << L{};
  QTest::newRow("GBK: 0xFE is one") << QByteArray("GBK") << QByteArray("\xFE\x60 :b") << L{"b"};
  QTest::newRow("GB18030: four-byte character") << QByteArray("GB18030") << QByteArray("\x81\x30\x81\x60 :b")
      << L{"b"};
  QTest::newRow("CP936") << QByteArray("CP936") << QByteArray("\xA1\x60 :b") << L{"b"};
  QTest::newRow("EUC-KR") << QByteArray("EUC-KR") << QByteArray("\xB0\x60 :b") << L{"b"};
  QTest::newRow("CP949") << QByteArray("CP949") << QByteArray("\x81\x60 :b") << L{"b"};
  QTest::newRow("Big5") << QByteArray("BIG5") << QByteArray("\xA4\x60 :b") << L{"b"};
  QTest::newRow("CP950") << QByteArray("cp950") << QByteArray("\xA4\x60 :b") << L{"b"};
  QTest::newRow("lead byte last, after a name") << QByteArray("Shift_JIS") << QByteArray("WHERE a = :a\x81")
      << L{"a\x81"};
  QTest::newRow("lead byte last, alone") << QByteArray("Shift_JIS") << QByteArray(":a \x81") << L{"a"};
}

void TestSqlText::leadBytes() {
  QFETCH(QByteArray, codeset);
  QFETCH(QByteArray, text);
  QFETCH(QByteArrayList, names);
  TCodeSet chosen(codeset);
  QCOMPARE(SQLCodeSet(), codeset);
  QCOMPARE(CountSQLParams(text), int(names.size()));
  QCOMPARE(NamesIn(text), names);
}

void TestSqlText::codeSetInForce() {
  {
    TCodeSet chosen("Shift_JIS");
    QVERIFY(IsSQLLeadByte(0x81));
    QVERIFY(!IsSQLLeadByte(0xA0));
    // A value goes in after a double-byte character, the pair untouched.
    QByteArray text("SELECT '\x83\x60' WHERE b = :b");
    ReplaceSQLParams(text, [](const QByteArray &, QByteArray &value, TFieldType &) { value = "\x83\x60"; });
    QCOMPARE(text, QByteArray("SELECT '\x83\x60' WHERE b = '\x83\x60'"));
  }
#ifndef Q_OS_WIN
  // Qt converts 8-bit text as UTF-8 here, whatever the locale: no lead bytes.
  QCOMPARE(SQLCodeSet(), QByteArray("UTF-8"));
  for (int byte = 0; byte < 256; ++byte) QVERIFY(!IsSQLLeadByte(uchar(byte)));
#endif
}

// ------------------------------------------------------------ saved query

void TestSqlText::prepareSavedQuery_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("answer");     // what putValues returns
  QTest::addColumn<QByteArray>("given");  // what putValues receives; empty: not called
  QTest::addColumn<QByteArray>("prepared");  // "<none>": cancelled

  QTest::newRow("no parameters: doubled colon kept") << QByteArray("SELECT a::b\n-- c\n\tFROM t\n\n") << true
      << QByteArray() << QByteArray("SELECT a::b\r\n FROM t\r\n");
  QTest::newRow("empty") << QByteArray() << true << QByteArray() << QByteArray();
  QTest::newRow("comments and blanks only") << QByteArray("-- a\r\n  \r\n") << true << QByteArray() << QByteArray();
  QTest::newRow("with parameters: CR LF lines, then cleaned")
      << QByteArray("SELECT *\n-- :note\rFROM t\tx\nWHERE a = :a\n\n") << true
      << QByteArray("SELECT *\r\n-- :note\r\nFROM t\tx\r\nWHERE a = :a\r\n\r\n")
      << QByteArray("SELECT *\r\nFROM t x\r\nWHERE a = 1\r\n");
  QTest::newRow("cancelled") << QByteArray("SELECT :a") << false << QByteArray("SELECT :a\r\n") << QByteArray("<none>");
  QTest::newRow("apostrophe in a comment line: asked, then cleaned")
      << QByteArray("SELECT *\n-- Clients d'une ville\nWHERE ville = :ville") << true
      << QByteArray("SELECT *\r\n-- Clients d'une ville\r\nWHERE ville = :ville\r\n")
      << QByteArray("SELECT *\r\nWHERE ville = 1\r\n");
}

void TestSqlText::prepareSavedQuery() {
  QFETCH(QByteArray, text);
  QFETCH(bool, answer);
  QFETCH(QByteArray, given);
  QFETCH(QByteArray, prepared);
  QByteArray received;
  int calls = 0;
  const std::optional<QByteArray> result = PrepareSavedQuery(text, [&](QByteArray &sql) {
    ++calls;
    received = sql;
    if (!answer) return false;
    ReplaceSQLParams(sql, [](const QByteArray &, QByteArray &value, TFieldType &type) {
      value = "1";
      type = ftInteger;
    });
    return true;
  });
  QCOMPARE(calls, given.isEmpty() ? 0 : 1);
  QCOMPARE(received, given);
  if (prepared == "<none>")
    QVERIFY(!result.has_value());
  else
    QCOMPARE(result.value_or("<none>"), prepared);
}

// Values go in before the cleaning: a value that brings a line break or a
// comment line is cleaned like the rest of the text.
void TestSqlText::preparationOrder() {
  const std::optional<QByteArray> result = PrepareSavedQuery("SELECT :a\nFROM t", [](QByteArray &sql) {
    ReplaceSQLParams(sql, [](const QByteArray &, QByteArray &value, TFieldType &type) {
      value = "1\n-- gone\n\t2";
      type = ftInteger;
    });
    return true;
  });
  QCOMPARE(result.value_or("<none>"), QByteArray("SELECT 1\r\n 2\r\nFROM t\r\n"));
}

// ------------------------------------------------------------ 191 markers

// Every marker byte from 'A' to 0xFF, '[' and '?' and '$' included, goes to
// its own reference.
void TestSqlText::markerBytesUpTo191() {
  for (const int n : {27, kMaxSQLParams}) {
    auto [text, replaced] = Numbered(n);
    QCOMPARE(CountSQLParams(text), n);
    int calls = 0;
    ReplaceSQLParams(text, [&calls](const QByteArray &name, QByteArray &value, TFieldType &type) {
      ++calls;
      value = "v" + name.mid(1);
      type = ftInteger;
    });
    QCOMPARE(calls, n);
    QCOMPARE(text, replaced);
  }
}

void TestSqlText::over191IsRefused_data() {
  QTest::addColumn<int>("count");
  QTest::newRow("192") << 192;
  QTest::newRow("300") << 300;
}

void TestSqlText::over191IsRefused() {
  QFETCH(int, count);
  const QByteArray text = Numbered(count).first + "WHERE a::b";
  QCOMPARE(CountSQLParams(text), count);
  QByteArray replaced = text;
  int calls = 0;
  try {
    ReplaceSQLParams(replaced, [&calls](const QByteArray &, QByteArray &, TFieldType &) { ++calls; });
    QFAIL("a text with too many references was taken");
  } catch (const TSqlTextError &e) {
    QCOMPARE(e.Message(), QStringLiteral("La requête contient %1 paramètres : 191 au plus sont acceptés.").arg(count));
  }
  QCOMPARE(calls, 0);
  QCOMPARE(replaced, text);
}

// ------------------------------------------------------------ comments

// A quote inside a comment opens no string; colons are read there as
// before, and nothing else of the reading changes.
void TestSqlText::quotesInComments_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArrayList>("names");

  using L = QByteArrayList;
  QTest::newRow("apostrophe in a -- comment")
      << QByteArray("SELECT * FROM clients\r\n-- Clients d'une ville\r\nWHERE ville = :ville\r\n") << L{"ville"};
  QTest::newRow("-- and a tab") << QByteArray("--\tl'x\n:a") << L{"a"};
  QTest::newRow("# comment") << QByteArray("SELECT 1 # l'heure\nWHERE a = :a") << L{"a"};
  QTest::newRow("/* */ comment over lines") << QByteArray("/* l'heure\n\"x */ WHERE a = :a") << L{"a"};
  QTest::newRow("/* not closed") << QByteArray("SELECT 1 /* l'x :a") << L{"a"};
  QTest::newRow("/*/ does not close") << QByteArray("/*/ l'x */ :a") << L{"a"};
  QTest::newRow("references in comments still asked")
      << QByteArray("-- l'ancienne :ville\n# :'pays'\nWHERE v = :ville") << L{"ville", "pays", "ville"};
  QTest::newRow("comment begun inside a name") << QByteArray("WHERE a = :a-- l'x\nAND b = :b") << L{"a--", "b"};
  QTest::newRow("a comment ends with its line") << QByteArray("-- l'x\nWHERE h = '10:30'") << L{};
  QTest::newRow("a comment ends with a lone CR") << QByteArray("# l'x\rWHERE h = '10:30'") << L{};
  // Text whose comment end moves as colons go and markers come in.
  QTest::newRow("shorter name in a comment") << QByteArray("/* :longname */ ':c' :b") << L{"longname", "b"};
  QTest::newRow("doubled colon in a comment") << QByteArray("/* a::b */':c' :d") << L{"d"};
  // Not comments: the quote in them opens a quoted text, as anywhere else.
  QTest::newRow("--x is no comment") << QByteArray("SELECT 1--l'x\nAND a = :a") << L{};
  QTest::newRow("--' is no comment") << QByteArray("--'x\n:a") << L{};
  QTest::newRow("/*! is code") << QByteArray("SELECT /*!50001 l'x */ :a") << L{};
  QTest::newRow("/*M! is code") << QByteArray("SELECT /*M!100100 l'x */ :a") << L{};
  QTest::newRow("-- in quotes") << QByteArray("WHERE a = '-- ' AND b = :b") << L{"b"};
  QTest::newRow("# in quotes") << QByteArray("WHERE a = \"#\" AND b = :b") << L{"b"};
  QTest::newRow("/* in quotes") << QByteArray("WHERE a = `/*` AND b = :b AND c = '*/'") << L{"b"};
}

void TestSqlText::quotesInComments() {
  QFETCH(QByteArray, text);
  QFETCH(QByteArrayList, names);
  QCOMPARE(CountSQLParams(text), int(names.size()));
  QCOMPARE(NamesIn(text), names);
}

// Where a comment that starts at a position ends: the statement splitter
// and the parameter scanner read comments alike.
void TestSqlText::commentEnd_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("pos");
  QTest::addColumn<int>("end");

  QTest::newRow("-- to the line break") << QByteArray("-- x\r\ny") << 0 << 4;
  QTest::newRow("-- from the middle") << QByteArray("SELECT 1 -- x") << 9 << 13;
  QTest::newRow("-- and a control character") << QByteArray("--\x01x\ny") << 0 << 4;
  QTest::newRow("-- at the end") << QByteArray("a --") << 2 << 4;
  QTest::newRow("# to a lone CR") << QByteArray("#x\ry") << 0 << 2;
  QTest::newRow("/* past */") << QByteArray("/* a\n */b") << 0 << 8;
  QTest::newRow("/**/") << QByteArray("/**/b") << 0 << 4;
  QTest::newRow("/* to the end") << QByteArray("/* a") << 0 << 4;
  QTest::newRow("--x: none") << QByteArray("--x") << 0 << 0;
  QTest::newRow("/*!: none") << QByteArray("/*! a */") << 0 << 0;
  QTest::newRow("/*M!: none") << QByteArray("/*M!1 a */") << 0 << 0;
  QTest::newRow("/ alone: none") << QByteArray("a / b") << 2 << 2;
  QTest::newRow("past the end") << QByteArray("--") << 2 << 2;
}

void TestSqlText::commentEnd() {
  QFETCH(QByteArray, text);
  QFETCH(int, pos);
  QFETCH(int, end);
  QCOMPARE(int(SQLCommentEnd(text, pos)), end);
}

// ------------------------------------------------------------ names

void TestSqlText::quotedNames_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("quoted");

  // Plain names go as they are.
  for (const char *plain : {"clients", "nav_clients", "Prix$", "_x", "t1", "1t", "1e", "0x", "0x1G", "0b012",
                            "status", "date", "name", "user", "orders", "Ordre", "selection"})
    QTest::addRow("plain %s", plain) << QString::fromLatin1(plain) << QString::fromLatin1(plain);
  QTest::newRow("accents") << QStringLiteral("élève_Noël") << QStringLiteral("élève_Noël");
  QTest::newRow("combining accent") << QStringLiteral("cafe\u0301") << QStringLiteral("cafe\u0301");
  QTest::newRow("other letters") << QStringLiteral("客户") << QStringLiteral("客户");
  // Reserved words, in any case, of MySQL 8 or MariaDB.
  for (const char *reserved : {"order", "ORDER", "Order", "select", "key", "rank", "window", "offset", "returning",
                               "_filename"})
    QTest::addRow("reserved %s", reserved) << QString::fromLatin1(reserved)
                                           << QLatin1Char('`') + QString::fromLatin1(reserved) + QLatin1Char('`');
  QTest::newRow("dotless i is no reserved INT") << QStringLiteral("ınt") << QStringLiteral("ınt");
  // Anything else, and what reads as a number.
  QTest::newRow("blank") << QStringLiteral("ma table") << QStringLiteral("`ma table`");
  QTest::newRow("back quote doubled") << QStringLiteral("a`b``") << QStringLiteral("`a``b`````");
  QTest::newRow("double quote, apostrophe") << QStringLiteral("l'\"x\"") << QStringLiteral("`l'\"x\"`");
  QTest::newRow("full stop, dash") << QStringLiteral("a.b-c") << QStringLiteral("`a.b-c`");
  QTest::newRow("euro sign") << QStringLiteral("prix€") << QStringLiteral("`prix€`");
  QTest::newRow("no-break space") << QStringLiteral("a\u00A0b") << QStringLiteral("`a\u00A0b`");
  QTest::newRow("outside the BMP") << QStringLiteral("a\U0001F600") << QStringLiteral("`a\U0001F600`");
  QTest::newRow("empty") << QString() << QStringLiteral("``");
  for (const char *number : {"123", "0", "1e5", "1E5", "12e3x", "0x1F", "0xab", "0b01"})
    QTest::addRow("number %s", number) << QString::fromLatin1(number)
                                       << QLatin1Char('`') + QString::fromLatin1(number) + QLatin1Char('`');
}

void TestSqlText::quotedNames() {
  QFETCH(QString, name);
  QFETCH(QString, quoted);
  QCOMPARE(QuoteSQLName(name), quoted);
}

QTEST_GUILESS_MAIN(TestSqlText)
#include "TestSqlText.moc"
