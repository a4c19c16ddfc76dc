// The answer as a table a view keeps: the same rows and values as the
// result set reads, the answer's own bytes (no copy) kept alive after the
// next Execute, and the longest values of each column.

#include "NoProxy.h"
#include "RecordingServer.h"
#include "TAnswerTable.h"
#include "TWebService.h"

#include <QTest>

#include <algorithm>
#include <random>

namespace {

using Rows = QList<QList<QByteArray>>;

struct Answered {
  RecordingServer server;
  TWebService ws;

  explicit Answered(const QByteArray &answer) { Serve(answer); }
  void Serve(const QByteArray &answer) {
    server.Enqueue(RecordingServer::Ok(answer));
    ws.Settings.WebServer = server.Url();
    ws.SetTimeouts(2000, 2000);
    ws.Execute("select");
  }
};

// Every row's values as the result set's walk reads them, as many as the
// row has pieces or the header names, whichever is more.
Rows Walk(TWebService &ws, int pieces) {
  Rows rows;
  for (; !ws.Eof(); ws.Next()) {
    QList<QByteArray> values;
    for (int i = 0; i < pieces; ++i) values << ws.GetValueBytes(i);
    rows << values;
  }
  return rows;
}

Rows Read(const TAnswerTable &table, int pieces) {
  Rows rows;
  QByteArray spare;
  for (int row = 0; row < table.RowCount(); ++row) {
    QList<QByteArray> values;
    for (int i = 0; i < pieces; ++i) values << table.Value(row, i, spare).toByteArray();
    rows << values;
  }
  return rows;
}

// The longest values of a column the plain way: rows by bytes, longest
// first, earlier rows first among equals, at most `k`, none empty.
std::vector<int> Longest(const QList<QByteArray> &lines, int column, int k) {
  std::vector<std::pair<qsizetype, int>> cells;
  for (int row = 0; row < lines.size(); ++row) {
    const QList<QByteArray> pieces = lines[row].split('\t');
    const qsizetype bytes = column < pieces.size() ? pieces[column].size() : 0;
    if (bytes > 0) cells.emplace_back(-bytes, row);
  }
  std::sort(cells.begin(), cells.end());
  std::vector<int> rows;
  for (size_t i = 0; i < cells.size() && int(i) < k; ++i) rows.push_back(cells[i].second);
  return rows;
}

}  // namespace

class TestAnswerTable : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    NoProxy::Unset();
  }

  // The table reads what the result set reads, line and piece rules,
  // escapes, short and long rows, error answers included.
  void sameAsTheResultSet_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("LF") << QByteArray("id\tname\n1\tone\n2\ttwo\n");
    QTest::newRow("no final break") << QByteArray("id\tname\n1\tone\n2\ttwo");
    QTest::newRow("CR LF") << QByteArray("id\tname\r\n1\tone\r\n2\ttwo\r\n");
    QTest::newRow("CR only") << QByteArray("id\tname\r1\tone\r2\ttwo\r");
    QTest::newRow("mixed line ends") << QByteArray("A\r\n1\n2\r3");
    QTest::newRow("CR CR LF") << QByteArray("A\r\r\n1");
    QTest::newRow("LF CR") << QByteArray("A\n1\n\r");
    QTest::newRow("empty lines") << QByteArray("A\n1\n\n2\n\n\n");
    QTest::newRow("short and long rows") << QByteArray("a\tb\tc\nx\nx\ty\t\nx\t\ty\nx\ty\tz\tw\n");
    QTest::newRow("escapes") << QByteArray("v\tw\nx\\ny\tp\\tq\nx\\\t\\\\n\na\\rb\t\\n\\t\n");
    QTest::newRow("NUL ends the text") << QByteArray("A\n1\n2\0\n3\n", 10);
    QTest::newRow("empty header line") << QByteArray("\n1\t2\n3\n");
    QTest::newRow("header only") << QByteArray("a\tb\n");
    QTest::newRow("empty body") << QByteArray();
    QTest::newRow("error answer") << QByteArray("$ERR boom\nsecond\tline\n");
    QTest::newRow("error answer, empty message") << QByteArray("$ERR \n1\t2\n");
    QByteArray wide = "a\tb\n";
    for (int i = 0; i < 50; ++i) wide += QByteArray(i % 37, 'x') + '\t' + QByteArray(i % 5, 'y') + "\\n\n";
    QTest::newRow("lines across many blocks") << wide;
    QTest::newRow("lines across many blocks, CR LF") << QByteArray(wide).replace("\n", "\r\n");
  }

  void sameAsTheResultSet() {
    QFETCH(QByteArray, answer);

    Answered a(answer);
    const std::shared_ptr<const TAnswerTable> table = a.ws.Table(3);
    QCOMPARE(table->RowCount(), a.ws.RecordCount());
    QCOMPARE(table->FieldNames(), a.ws.FieldNames());
    const QByteArray error = a.ws.ErrorText.toUtf8();
    // Values past the header too: the table reads every piece a row has.
    const int pieces = std::max(a.ws.FieldCount(), 5);
    QList<QByteArray> lines;
    for (int row = 0; row < table->RowCount(); ++row) {
      a.ws.RowIndex = row;
      QByteArray line = a.ws.GetRowText().toByteArray();
      while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
      QCOMPARE(table->RowText(row).toByteArray(), line);
      lines << line;
    }
    a.ws.RowIndex = 0;
    if (a.ws.FieldCount() > 0) {
      const Rows walked = Walk(a.ws, a.ws.FieldCount());
      QCOMPARE(Read(*table, a.ws.FieldCount()), walked);
    }
    // Pieces past the header, as a plain cut of the line says.
    const Rows read = Read(*table, pieces);
    for (int row = 0; row < lines.size(); ++row) {
      const QList<QByteArray> cut = lines[row].isEmpty() ? QList<QByteArray>() : lines[row].split('\t');
      for (int i = a.ws.FieldCount(); i < pieces; ++i) {
        QByteArray expected = cut.value(i);
        expected.replace("\\n", "\n").replace("\\t", "\t");
        QCOMPARE(read[row][i], expected);
      }
    }
    for (int column = 0; column < std::max(a.ws.FieldCount(), 1); ++column)
      QCOMPARE(table->LongestRows(column), Longest(lines, column, 3));
    QVERIFY(table->LongestRows(std::max(a.ws.FieldCount(), 1)).empty());
    QVERIFY(table->RowText(-1).isEmpty());
    QVERIFY(table->RowText(table->RowCount()).isEmpty());
    QVERIFY(table->RawValue(0, -1).isEmpty());
    QCOMPARE(a.ws.ErrorText.toUtf8(), error);  // the table reads without the cursor
  }

  // The table is the answer itself, not a copy, and stays whole after the
  // next Execute for as long as it is held.
  void outlivesTheNextExecute() {
    Answered a("a\tb\n1\tx\\ny\n2\tz\n");
    const std::shared_ptr<const TAnswerTable> table = a.ws.Table();
    QCOMPARE(a.ws.Table().get(), table.get());  // built once per answer
    QVERIFY(table->RowText(0).data() == a.ws.GetRowText().data());
    QByteArray spare;
    QVERIFY(table->Value(1, 1, spare).data() == table->RawValue(1, 1).data());

    a.Serve("c\nother\n");
    QVERIFY(a.ws.Table().get() != table.get());
    QCOMPARE(table->FieldNames(), (QStringList{"a", "b"}));
    QCOMPARE(table->RowCount(), 2);
    QCOMPARE(table->Value(0, 1, spare).toByteArray(), QByteArray("x\ny"));
    QCOMPARE(table->Value(1, 0, spare).toByteArray(), QByteArray("2"));
    QCOMPARE(a.ws.GetValue(0), QString("other"));
  }

  // Thousands of rows of varied lengths, with LF and with CR LF: the
  // longest values found in one pass are those a plain reading finds.
  void longestRowsOfALargeAnswer_data() {
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
  }

  void longestRowsOfALargeAnswer() {
    QFETCH(QByteArray, lineBreak);
    std::mt19937 random(7);
    QByteArray answer = "n\ttext\tnote" + lineBreak;
    QList<QByteArray> lines;
    for (int i = 0; i < 20000; ++i) {
      QByteArray line = QByteArray::number(i) + '\t' + QByteArray(int(random() % 90), 'a');
      if (i % 3) line += '\t' + QByteArray(int(random() % 40), 'b') + "\\t";
      lines << line;
      answer += line + lineBreak;
    }
    Answered a(answer);
    const std::shared_ptr<const TAnswerTable> table = a.ws.Table(16);
    QCOMPARE(table->RowCount(), lines.size());
    for (int column = 0; column < 3; ++column) QCOMPARE(table->LongestRows(column), Longest(lines, column, 16));
    QByteArray spare;
    QCOMPARE(table->Value(19999, 0, spare).toByteArray(), QByteArray("19999"));
  }

  // Many short lines, where the table notes only some rows' places: every
  // row found, in any order, with each kind of line break; and the field
  // names of a huge header.
  void manyShortLines_data() {
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("CR") << QByteArray("\r");
  }

  void manyShortLines() {
    QFETCH(QByteArray, lineBreak);
    constexpr int kRows = 100000;
    QByteArray answer = "n\tm" + lineBreak;
    for (int i = 0; i < kRows; ++i) {
      // Mostly one byte, now and then empty or longer.
      if (i % 97 == 0)
        answer += lineBreak;
      else if (i % 101 == 0)
        answer += QByteArray::number(i) + "\tx\\ty" + lineBreak;
      else
        answer += QByteArray::number(i % 10) + lineBreak;
    }
    Answered a(answer);
    const std::shared_ptr<const TAnswerTable> table = a.ws.Table(4);
    QCOMPARE(table->RowCount(), kRows);
    std::vector<int> order(kRows);
    for (int i = 0; i < kRows; ++i) order[size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    order.insert(order.end(), {kRows - 1, 0, 1, 2, kRows - 2, kRows - 1});
    QByteArray spare;
    for (const int row : order) {
      const QByteArray expected = row % 97 == 0    ? QByteArray()
                                  : row % 101 == 0 ? QByteArray::number(row) + "\tx\\ty"
                                                   : QByteArray::number(row % 10);
      QCOMPARE(table->RowText(row).toByteArray(), expected);
      if (row % 101 == 0 && row % 97 != 0) QCOMPARE(table->Value(row, 1, spare).toByteArray(), QByteArray("x\ty"));
    }
    QCOMPARE(table->LongestRows(1), (std::vector<int>{101, 202, 303, 404}));

    QByteArray header;
    for (int i = 0; i < 100000; ++i) header += "name" + QByteArray::number(i) + '\t';
    a.Serve(header + "\n1\n");
    const std::shared_ptr<const TAnswerTable> wide = a.ws.Table(16);
    QCOMPARE(wide->FieldCount(), 100000);
    QCOMPARE(wide->FieldName(99999).toByteArray(), QByteArray("name99999"));
    QCOMPARE(wide->FieldName(4097).toByteArray(), QByteArray("name4097"));
    QCOMPARE(wide->FieldNames().value(50000), QString("name50000"));
    QCOMPARE(wide->LongestRows(0), std::vector<int>{0});
    QVERIFY(wide->LongestRows(TWebService::MostMeasuredColumns).empty());
  }
};

QTEST_GUILESS_MAIN(TestAnswerTable)
#include "TestAnswerTable.moc"
