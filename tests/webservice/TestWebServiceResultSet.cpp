// The answer as a result set: lines, pieces, escapes, the error line, the
// cursor and the lookups. Every answer really crosses the loopback.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "TWebService.h"

#include <QTest>

namespace {

using Rows = QList<QStringList>;

// Serves one answer and runs a statement against it.
struct Answered {
  RecordingServer server;
  TWebService ws;

  explicit Answered(const QByteArray &answer) { Serve(answer); }
  explicit Answered(const RecordingServer::Reply &reply) {
    server.Enqueue(reply);
    Run();
  }
  void Serve(const QByteArray &answer) {
    server.Enqueue(RecordingServer::Ok(answer));
    Run();
  }
  void Run() {
    ws.Settings.WebServer = server.Url();
    ws.SetTimeouts(2000, 2000);
    ws.Execute("select");
  }
};

// Reads the whole result the way every caller does.
Rows Walk(TWebService &ws) {
  Rows rows;
  while (!ws.Eof()) {
    if (ws.RowIndex != rows.size()) return {{"RowIndex out of step"}};
    QStringList values;
    for (int i = 0; i < ws.FieldCount(); ++i) values << ws.GetValue(i);
    rows << values;
    ws.Next();
  }
  return rows;
}

}  // namespace

class TestWebServiceResultSet : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NoProxy::Unset();
  }

  void answers_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<Rows>("rows");

    const QStringList abc{"a", "b", "c"};
    const QByteArray digits = QByteArray("0123456789").repeated(103);  // 1030

    QTest::newRow("empty body") << QByteArray() << "" << QStringList() << Rows();
    QTest::newRow("header only") << QByteArray("A\tB") << "" << QStringList{"A", "B"} << Rows();
    QTest::newRow("header only, line break") << QByteArray("A\tB\r\n") << "" << QStringList{"A", "B"} << Rows();
    QTest::newRow("CR LF") << QByteArray("id\tname\r\n1\tone\r\n2\ttwo\r\n") << "" << QStringList{"id", "name"}
        << Rows{{"1", "one"}, {"2", "two"}};
    QTest::newRow("LF, no final break") << QByteArray("id\tname\n1\tone\n2\ttwo") << ""
        << QStringList{"id", "name"} << Rows{{"1", "one"}, {"2", "two"}};
    QTest::newRow("CR only") << QByteArray("id\tname\r1\tone\r2\ttwo\r") << "" << QStringList{"id", "name"}
        << Rows{{"1", "one"}, {"2", "two"}};
    QTest::newRow("mixed line ends") << QByteArray("A\r\n1\n2\r3") << "" << QStringList{"A"}
        << Rows{{"1"}, {"2"}, {"3"}};
    QTest::newRow("CR CR LF holds an empty line") << QByteArray("A\r\r\n1") << "" << QStringList{"A"}
        << Rows{{""}, {"1"}};
    QTest::newRow("empty inner line") << QByteArray("A\n1\n\n2\n") << "" << QStringList{"A"}
        << Rows{{"1"}, {""}, {"2"}};
    QTest::newRow("empty lines at the end") << QByteArray("A\n1\n\n\n") << "" << QStringList{"A"}
        << Rows{{"1"}, {""}, {""}};
    QTest::newRow("trailing tab") << QByteArray("a\tb\tc\nx\ty\t\n") << "" << abc << Rows{{"x", "y", ""}};
    QTest::newRow("two trailing tabs") << QByteArray("a\tb\tc\nx\t\t\n") << "" << abc << Rows{{"x", "", ""}};
    QTest::newRow("doubled tab") << QByteArray("a\tb\tc\nx\t\ty\n") << "" << abc << Rows{{"x", "", "y"}};
    QTest::newRow("short row") << QByteArray("a\tb\tc\nx\n") << "" << abc << Rows{{"x", "", ""}};
    QTest::newRow("long row") << QByteArray("a\nx\ty\n") << "" << QStringList{"a"} << Rows{{"x"}};
    QTest::newRow("leading tab in the header") << QByteArray("\ta\n1\t2\n") << "" << QStringList{"", "a"}
        << Rows{{"1", "2"}};
    QTest::newRow("header ending with a tab") << QByteArray("a\tb\t\n1\t2\n") << "" << QStringList{"a", "b"}
        << Rows{{"1", "2"}};
    QTest::newRow("empty header line") << QByteArray("\n1\t2\n") << "" << QStringList() << Rows{{}};
    QTest::newRow("NUL ends the text") << QByteArray("A\n1\n2\0\n3\n", 10) << "" << QStringList{"A"}
        << Rows{{"1"}, {"2"}};
    QTest::newRow("NUL inside the header") << QByteArray("A\tB\0C\n1\n", 9) << "" << QStringList{"A", "B"}
        << Rows();
    QTest::newRow("NUL first") << QByteArray("\0A\n1\n", 5) << "" << QStringList() << Rows();
    QTest::newRow("escapes") << QByteArray("v\nx\\ny\nx\\ty\nx\\\nx\\\\n\na\\rb\n\\n\\t\n") << ""
        << QStringList{"v"} << Rows{{"x\ny"}, {"x\ty"}, {"x\\"}, {"x\\\n"}, {"a\\rb"}, {"\n\t"}};
    QTest::newRow("escaped tab is no separator") << QByteArray("a\tb\nx\\ty\tz\n") << ""
        << QStringList{"a", "b"} << Rows{{"x\ty", "z"}};
    QTest::newRow("UTF-8 text") << QByteArray("nom\tn\u00b0\ncaf\u00e9\t\u20ac\n") << ""
        << QStringList{"nom", "n\u00b0"} << Rows{{"caf\u00e9", "\u20ac"}};
    QTest::newRow("$ERR without the space is a header") << QByteArray("$ERR\nx\n") << ""
        << QStringList{"$ERR"} << Rows{{"x"}};
    QTest::newRow("$err in lower case is a header") << QByteArray("$err boom\n1\n") << ""
        << QStringList{"$err boom"} << Rows{{"1"}};
    QTest::newRow("$ERR after a space is a header") << QByteArray(" $ERR boom\n1\n") << ""
        << QStringList{" $ERR boom"} << Rows{{"1"}};
    QTest::newRow("error line") << QByteArray("$ERR Table 'x' doesn't exist\n") << "Table 'x' doesn't exist"
        << QStringList() << Rows{{}};
    // The usual refusals come with a French sentence before the server's
    // text (UServerErrors); the limit is the server's text's.
    QTest::newRow("known error line") << QByteArray("$ERR Unknown database 'shop'\n")
        << QStringLiteral("La base de données « shop » n'existe pas sur ce serveur MySQL : corrigez son nom "
                          "dans la connexion ou dans la requête. Unknown database 'shop'")
        << QStringList() << Rows{{}};
    const QByteArray syntax = "You have an error in your SQL syntax; check the manual that corresponds to your "
                              "MariaDB server version for the right syntax to use near '" + QByteArray(1100, 'x');
    QTest::newRow("known error of 1100 characters") << "$ERR " + syntax + "' at line 1\n"
        << QStringLiteral("Erreur de syntaxe SQL près de « %1… » : corrigez la requête à cet endroit ou juste "
                          "avant (mot mal écrit, virgule, guillemet ou parenthèse en trop ou manquant). ")
                   .arg(QString(100, QLatin1Char('x'))) + QString::fromLatin1(syntax.left(1024))
        << QStringList() << Rows{{}};
    QTest::newRow("error line keeps its tabs") << QByteArray("$ERR a\tb\t") << "a\tb\t" << QStringList()
        << Rows{{}};
    QTest::newRow("multi-line error") << QByteArray("$ERR first\r\nsecond\r\n\r\nthird") << "first"
        << QStringList() << Rows{{}, {}, {}, {}};
    QTest::newRow("empty error message") << QByteArray("$ERR \n") << "" << QStringList() << Rows{{}};
    QTest::newRow("error of 1030 characters") << "$ERR " + digits + "\n" << QString(digits.left(1024))
        << QStringList() << Rows{{}};
    QTest::newRow("error of 1030 non-ASCII characters") << "$ERR " + QString(1030, QChar(0xE9)).toUtf8()
        << QString(1024, QChar(0xE9)) << QStringList() << Rows{{}};
    QTest::newRow("error of 1030 characters outside the BMP")
        << "$ERR " + QString::fromUcs4(U"\U0001F600").repeated(515).toUtf8()
        << QString::fromUcs4(U"\U0001F600").repeated(512) << QStringList() << Rows{{}};
  }

  void answers() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, error);
    QFETCH(QStringList, fields);
    QFETCH(Rows, rows);

    Answered a(answer);
    QCOMPARE(a.ws.ErrorText, error);
    QCOMPARE(a.ws.FieldNames(), fields);
    QCOMPARE(a.ws.RecordCount(), rows.size());
    QCOMPARE(a.ws.RowIndex, 0);
    QCOMPARE(Walk(a.ws), rows);
    if (!fields.isEmpty()) QCOMPARE(a.ws.ErrorText, error);  // reading sets no error
  }

  void chunkedAnswer() {
    Answered a(RecordingServer::Reply{
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nid\tna\r\n"
        "3\r\nme\r\r\n4\r\n\n1\tt\r\n3\r\nwo\n\r\n0\r\n\r\n",
        RecordingServer::After::Keep});
    QCOMPARE(a.ws.ErrorText, QString());
    QCOMPARE(a.ws.FieldNames(), (QStringList{"id", "name"}));
    QCOMPARE(Walk(a.ws), (Rows{{"1", "two"}}));
  }

  void lookupByName() {
    Answered a("Name\tROWS\tname\nt1\t5\tshadowed\n");
    QCOMPARE(a.ws.GetValue("NAME"), QString("t1"));
    QCOMPARE(a.ws.GetValue("name"), QString("t1"));
    QCOMPARE(a.ws.GetValue("Rows"), QString("5"));
    QCOMPARE(a.ws.ErrorText, QString());
  }

  void fieldErrors_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");  // used when name is empty
    QTest::newRow("unknown name") << "missing" << 0;
    QTest::newRow("negative index") << "" << -1;
    QTest::newRow("index equal to the field count") << "" << 2;
  }

  void fieldErrors() {
    QFETCH(QString, name);
    QFETCH(int, index);

    Answered a("A\tB\n1\t2\n3\t4\n");
    a.ws.Next();
    const QString value = name.isEmpty() ? a.ws.GetValue(index) : a.ws.GetValue(name);
    QCOMPARE(value, QString());
    QCOMPARE(a.ws.ErrorText, QString("GetValue Field Error"));
    QCOMPARE(a.ws.RowIndex, 1);
    QCOMPARE(a.ws.GetValue("B"), QString("4"));
    QCOMPARE(a.ws.GetValueBytes(index < 0 ? index : 7), QByteArray());

    a.Serve("A\n1\n");
    QCOMPARE(a.ws.ErrorText, QString());
  }

  void errorAnswerCursor() {
    Answered a("$ERR Access denied\n");
    QCOMPARE(a.ws.ErrorText, QString("Access denied"));
    QVERIFY(!a.ws.Eof());
    QCOMPARE(a.ws.GetValue("Field"), QString());
    QCOMPARE(a.ws.ErrorText, QString("GetValue Field Error"));
    a.ws.Next();
    QVERIFY(a.ws.Eof());
  }

  void pastTheEnd() {
    Answered a("A\n1\n");
    a.ws.Next();
    a.ws.Next();
    QVERIFY(a.ws.Eof());
    QCOMPARE(a.ws.RowIndex, 2);
    QCOMPARE(a.ws.GetValue(0), QString());
    QCOMPARE(a.ws.ErrorText, QString());
  }

  void newAnswerReplacesOld() {
    Answered a("A\tB\n1\t2\n3\t4\n");
    a.ws.Next();
    a.Serve("C\nx\n");
    QCOMPARE(a.ws.RowIndex, 0);
    QCOMPARE(a.ws.FieldNames(), QStringList{"C"});
    QCOMPARE(Walk(a.ws), (Rows{{"x"}}));
    a.Serve("$ERR gone\n");
    QCOMPARE(a.ws.FieldNames(), QStringList());
    QCOMPARE(a.ws.RecordCount(), 1);
  }

  // RowIndex is a public number; a caller that sets it reads that row.
  void rowIndexSetByCaller() {
    Answered a("A\n0\n1\n2\n3\n");
    a.ws.RowIndex = 2;
    QCOMPARE(a.ws.GetValue(0), QString("2"));
    a.ws.RowIndex = 0;
    QCOMPARE(a.ws.GetValue(0), QString("0"));
    a.ws.Next();
    QCOMPARE(a.ws.GetValue(0), QString("1"));
  }

  void valueBytes() {
    Answered a("A\tB\ncaf\u00e9\\n\tx\n");
    QCOMPARE(a.ws.GetValueBytes(0), QByteArray("caf\xc3\xa9\n"));
    QCOMPARE(a.ws.GetValueBytes(1), QByteArray("x"));
    QCOMPARE(a.ws.ErrorText, QString());
  }

  // The raw accessors: each row's line with its own line break, the rest of
  // the answer from the cursor on, and whether every row is a line of
  // exactly that many tabs ended by LF. The last row is also reached by a
  // jump, which finds it from the end of the answer.
  void rowTexts_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<int>("tabs");  // of every row, or -1 if they differ
    QTest::newRow("LF") << QByteArray("a\tb\n1\t2\n3\t4\n") << QList<QByteArray>{"1\t2\n", "3\t4\n"} << 1;
    QTest::newRow("no final LF") << QByteArray("a\tb\n1\t2\n3\t4") << QList<QByteArray>{"1\t2\n", "3\t4"} << 1;
    QTest::newRow("CR LF") << QByteArray("a\tb\r\n1\t2\r\n3\t4\r\n") << QList<QByteArray>{"1\t2\r\n", "3\t4\r\n"}
        << -1;
    QTest::newRow("CR") << QByteArray("a\r1\r\r2\r") << QList<QByteArray>{"1\r", "\r", "2\r"} << -1;
    QTest::newRow("CR CR LF") << QByteArray("A\r\r\n1") << QList<QByteArray>{"\r\n", "1"} << -1;
    QTest::newRow("LF CR") << QByteArray("A\n1\n\r") << QList<QByteArray>{"1\n", "\r"} << -1;
    QTest::newRow("empty last row") << QByteArray("a\n1\n\n") << QList<QByteArray>{"1\n", "\n"} << 0;
    QTest::newRow("trailing tab counts") << QByteArray("a\tb\tc\nx\ty\t\n") << QList<QByteArray>{"x\ty\t\n"} << 2;
    QTest::newRow("rows differ") << QByteArray("a\tb\n1\t2\n3\n") << QList<QByteArray>{"1\t2\n", "3\n"} << -1;
    QTest::newRow("NUL ends the last row") << QByteArray("a\tb\n1\t2\n3\t4") + '\0' + QByteArray("\n5\n")
        << QList<QByteArray>{"1\t2\n", "3\t4"} << 1;
    QTest::newRow("one row") << QByteArray("a\n7\n") << QList<QByteArray>{"7\n"} << 0;
    QTest::newRow("header only") << QByteArray("a\tb\n") << QList<QByteArray>{} << 1;
  }

  void rowTexts() {
    QFETCH(QByteArray, answer);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, tabs);

    Answered a(answer);
    QCOMPARE(a.ws.RecordCount(), lines.size());
    QCOMPARE(a.ws.GetRemainingText().toByteArray(), lines.join());
    for (int t = 0; t < 4; ++t) QCOMPARE(a.ws.RowsHaveTabs(t), t == tabs || lines.isEmpty());
    QList<QByteArray> walked;
    for (; !a.ws.Eof(); a.ws.Next()) {
      QCOMPARE(a.ws.GetRemainingText().toByteArray(), lines.mid(a.ws.RowIndex).join());
      walked << a.ws.GetRowText().toByteArray();
    }
    QCOMPARE(walked, lines);
    QVERIFY(a.ws.GetRowText().isEmpty());
    QVERIFY(a.ws.GetRemainingText().isEmpty());
    if (lines.isEmpty()) return;

    // A jump to the last row, as the first move and after the first row,
    // reads what the walk read; the first row is found again after it.
    a.ws.RowIndex = 0;
    const Rows values = Walk(a.ws);
    const int last = int(lines.size()) - 1;
    for (const bool fromFirst : {false, true}) {
      Answered b(answer);
      if (fromFirst) b.ws.GetRowText();
      b.ws.RowIndex = last;
      QCOMPARE(b.ws.GetRowText().toByteArray(), lines.last());
      QCOMPARE(b.ws.GetRemainingText().toByteArray(), lines.last());
      QStringList lastValues;
      for (int i = 0; i < b.ws.FieldCount(); ++i) lastValues << b.ws.GetValue(i);
      QCOMPARE(lastValues, values.last());
      b.ws.RowIndex = 0;
      QCOMPARE(b.ws.GetRowText().toByteArray(), lines.first());
    }
  }

  void rowTextsOfErrorAnswer() {
    Answered a("$ERR gone\nsecond\n");
    QCOMPARE(a.ws.GetRowText().toByteArray(), QByteArray("$ERR gone\n"));
    QCOMPARE(a.ws.GetRemainingText().toByteArray(), QByteArray("$ERR gone\nsecond\n"));
    for (int t = 0; t < 3; ++t) QVERIFY(!a.ws.RowsHaveTabs(t));
  }

  // Views into a row stay valid, and right, while the cursor stays: every
  // value of the row is read first and compared after, escaped ones too.
  void valueViews_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("plain") << QByteArray("a\tb\n1\t2\n") << Rows{{"1", "2"}};
    QTest::newRow("every value escaped") << QByteArray("a\tb\tc\nx\\ny\tp\\tq\t\\\\n\nr\\n\t\t\\t\n")
        << Rows{{"x\ny", "p\tq", "\\\n"}, {"r\n", "", "\t"}};
    QTest::newRow("short row") << QByteArray("a\tb\tc\nx\\t\n") << Rows{{"x\t", "", ""}};
    const QByteArray longA(40, 'a'), longB(70, 'b'), longC(150, 'c');
    QTest::newRow("long escaped values") << "a\tb\tc\n" + longA + "\\n\t" + longB + "\\t\t\\n" + longC + "\n"
        << Rows{{longA + "\n", longB + "\t", "\n" + longC}};
    QTest::newRow("backslash kept") << QByteArray("a\tb\nC:\\dir\\\ta\\rb\n") << Rows{{"C:\\dir\\", "a\\rb"}};
  }

  void valueViews() {
    QFETCH(QByteArray, answer);
    QFETCH(Rows, rows);

    Answered a(answer);
    Rows read;
    for (; !a.ws.Eof(); a.ws.Next()) {
      QList<QByteArrayView> views;
      for (int i = 0; i < a.ws.FieldCount(); ++i) views << a.ws.GetValueView(i);
      // Read again: the same bytes, at the same place.
      for (int i = 0; i < a.ws.FieldCount(); ++i) QVERIFY(a.ws.GetValueView(i).data() == views[i].data());
      QStringList values;
      for (const QByteArrayView &view : views) values << QString::fromUtf8(view);
      read << values;
      QCOMPARE(a.ws.GetValueBytes(0), views.value(0).toByteArray());
    }
    QCOMPARE(read, rows);
    QVERIFY(a.ws.GetValueView(0).isEmpty());
    QCOMPARE(a.ws.ErrorText, QString());
    QVERIFY(a.ws.GetValueView(a.ws.FieldCount()).isEmpty());
    QCOMPARE(a.ws.ErrorText, QString("GetValue Field Error"));
  }

  // A header of many names, past what is kept as strings: counted, read
  // by position and looked up by name in its bytes, decoded and without
  // regard to case; its rows read at any field.
  void hugeHeader() {
    constexpr int kFields = 300000;
    QByteArray header;
    for (int i = 0; i < kFields; ++i) header += "f" + QByteArray::number(i) + '\t';
    header += "Caf\xc3\xa9";
    const QByteArray row = "a\tb\\nc\t" + QByteArray("\t").repeated(kFields - 2) + "fin\\t\n";
    Answered a(header + '\n' + row + row);
    QCOMPARE(a.ws.FieldCount(), kFields + 1);
    QCOMPARE(a.ws.FieldNameView(0).toByteArray(), QByteArray("f0"));
    QCOMPARE(a.ws.FieldNameView(123456).toByteArray(), QByteArray("f123456"));
    QCOMPARE(a.ws.FieldNameView(kFields).toByteArray(), QByteArray("Caf\xc3\xa9"));
    QVERIFY(a.ws.FieldNameView(kFields + 1).isEmpty());
    QVERIFY(a.ws.FieldNameView(-1).isEmpty());
    QCOMPARE(a.ws.RecordCount(), 2);
    for (; !a.ws.Eof(); a.ws.Next()) {
      QCOMPARE(a.ws.GetValue("CAF\u00c9"), QString("fin\t"));
      QCOMPARE(a.ws.GetValue("F1"), QString("b\nc"));
      QCOMPARE(a.ws.GetValue("f0"), QString("a"));
      QCOMPARE(a.ws.GetValue(200000), QString());
      QCOMPARE(a.ws.ErrorText, QString());
    }
    a.ws.RowIndex = 0;
    QCOMPARE(a.ws.GetValue("f300001"), QString());
    QCOMPARE(a.ws.ErrorText, QString("GetValue Field Error"));
    // The names as strings, when a reader asks for them.
    QCOMPARE(a.ws.FieldNames().size(), kFields + 1);
    QCOMPARE(a.ws.FieldNames().last(), QString("Caf\u00e9"));

    // One huge name, the whole answer on one line.
    Answered b(QByteArray(4 << 20, 'h'));
    QCOMPARE(b.ws.FieldCount(), 1);
    QCOMPARE(b.ws.FieldNameView(0).size(), 4 << 20);
    QCOMPARE(b.ws.RecordCount(), 0);
    QCOMPARE(b.ws.GetValue("h"), QString());
  }

  // A single row of megabytes and thousands of values, escaped ones among
  // them, read in any order: the values right, and each at the same place
  // while the cursor stays.
  void hugeRow() {
    constexpr int kFields = 10000;
    QByteArray header;
    QByteArray row;
    QStringList expected;
    for (int i = 0; i < kFields; ++i) {
      header += (i ? "\t" : "") + QByteArray("c") + QByteArray::number(i);
      QByteArray value = QByteArray::number(i);
      if (i % 3 == 0) value += "\\n" + QByteArray::number(i);
      if (i == 7777) value = QByteArray(3 << 20, 'v') + "\\tend";
      row += (i ? "\t" : "") + value;
      expected << QString::fromLatin1(value).replace("\\n", "\n").replace("\\t", "\t");
    }
    Answered a(header + '\n' + row + "\textra\tpieces\n");
    QCOMPARE(a.ws.FieldCount(), kFields);
    QList<QByteArrayView> views(kFields);
    for (const int i : {9999, 7777, 0, 5000, 5001, 3, 4096, 4095, 64, 63, 1}) views[i] = a.ws.GetValueView(i);
    for (int i = 0; i < kFields; ++i) {
      const QByteArrayView view = a.ws.GetValueView(i);
      if (!views[i].isNull()) QVERIFY2(view.data() == views[i].data(), qPrintable(QString::number(i)));
      views[i] = view;
    }
    for (int i = 0; i < kFields; ++i) QCOMPARE(QString::fromLatin1(views[i]), expected[i]);
    QVERIFY(a.ws.GetValueView(kFields).isEmpty());
  }

  // A large answer walks to its last row with the right values.
  void manyRows() {
    constexpr int kRows = 200000;
    QByteArray answer = "n\tsquare\r\n";
    for (int i = 0; i < kRows; ++i)
      answer += QByteArray::number(i) + '\t' + QByteArray::number(qint64(i) * i) + "\r\n";
    Answered a(answer);
    QCOMPARE(a.ws.RecordCount(), kRows);
    int seen = 0;
    bool inStep = true;
    while (!a.ws.Eof()) {
      const qint64 n = a.ws.GetValueBytes(0).toLongLong();
      inStep = inStep && n == seen && a.ws.GetValueBytes(1).toLongLong() == n * n;
      ++seen;
      a.ws.Next();
    }
    QVERIFY(inStep);
    QCOMPARE(seen, kRows);
  }
};

QTEST_GUILESS_MAIN(TestWebServiceResultSet)
#include "TestWebServiceResultSet.moc"
