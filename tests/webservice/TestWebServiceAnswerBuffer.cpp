// The answer's buffer: its bytes survive growth, and what it notes of the
// text as the bytes arrive (end, first CR, line breaks, tabs of the later
// lines) is the same however the bytes are cut into arrivals, and the same
// as a plain reading of the whole text says. Also the byte count it uses.

#include "TAnswerBuffer.h"
#include "UByteScan.h"

#include <QTest>

#include <algorithm>
#include <random>

namespace {

// What the notes must say, read the plain way from the whole text.
struct Reading {
  qsizetype end = 0;
  qsizetype firstCr = 0;
  qsizetype breaks = 0;
  bool hasCr = false;
  QList<qsizetype> laterTabs;  // tabs of each line after the first
};

Reading Read(const QByteArray &bytes) {
  Reading r;
  r.end = bytes.indexOf('\0');
  if (r.end < 0) r.end = bytes.size();
  const QByteArray text = bytes.left(r.end);
  r.firstCr = text.indexOf('\r');
  r.hasCr = r.firstCr >= 0;
  if (!r.hasCr) r.firstCr = r.end;
  QList<QByteArray> lines;
  QByteArray line;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    ++r.breaks;
    lines << line;
    line.clear();
  }
  if (!line.isEmpty()) lines << line;
  for (qsizetype i = 1; i < lines.size(); ++i) r.laterTabs << lines[i].count('\t');
  return r;
}

// The buffer filled with the bytes cut at the given offsets.
void Fill(TAnswerBuffer &buffer, const QByteArray &bytes, QList<qsizetype> cuts) {
  cuts << bytes.size();
  qsizetype from = 0;
  for (const qsizetype cut : cuts) {
    buffer.Append(bytes.constData() + from, cut - from);
    from = cut;
  }
}

// Empty when the notes agree with the plain reading; otherwise what differs.
QString Disagreement(const TAnswerBuffer &buffer, const QByteArray &bytes) {
  const Reading r = Read(bytes);
  if (QByteArray(buffer.Data(), buffer.Size()) != bytes) return QStringLiteral("bytes");
  if (buffer.TextEnd() != r.end) return QStringLiteral("end %1, not %2").arg(buffer.TextEnd()).arg(r.end);
  if (buffer.FirstCr() != r.firstCr)
    return QStringLiteral("first CR %1, not %2").arg(buffer.FirstCr()).arg(r.firstCr);
  if (buffer.LineBreaks() != r.breaks)
    return QStringLiteral("%1 line breaks, not %2").arg(buffer.LineBreaks()).arg(r.breaks);
  QList<qsizetype> counts;
  for (qsizetype tabs = 0; tabs <= 12; ++tabs) counts << tabs;
  for (const qsizetype tabs : r.laterTabs) counts << tabs - 1 << tabs << tabs + 1;
  for (const qsizetype tabs : counts) {
    const bool expected =
        !r.hasCr && std::all_of(r.laterTabs.begin(), r.laterTabs.end(),
                                [tabs](qsizetype t) { return t == tabs; });
    if (buffer.LaterLinesHoldTabs(tabs) != expected)
      return QStringLiteral("later lines hold %1 tabs: %2").arg(tabs).arg(!expected);
  }
  return QString();
}

}  // namespace

class TestWebServiceAnswerBuffer : public QObject {
  Q_OBJECT

 private slots:
  // Every text is tried whole, cut once at every offset, and cut into
  // single bytes: a line, a CR LF pair or a NUL split between two arrivals
  // must change nothing.
  void notes_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray row = "1\tREF-0001\tClient 7\tParis\tx@y.fr\t12.50\t3\t2024-01-01\tok\tnote\n";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << QByteArray("a\tb");
    QTest::newRow("LF rows") << QByteArray("a\tb\n1\t2\n3\t4\n");
    QTest::newRow("last row without LF") << QByteArray("a\tb\n1\t2\n3\t4");
    QTest::newRow("row short of a tab") << QByteArray("a\tb\n1\t2\n3\n");
    QTest::newRow("row with a tab too many") << QByteArray("a\tb\n1\t2\t\n3\t4\n");
    QTest::newRow("empty row") << QByteArray("a\n1\n\n2\n");
    QTest::newRow("LF alone") << QByteArray("\n");
    QTest::newRow("CR LF") << QByteArray("a\tb\r\n1\t2\r\n");
    QTest::newRow("CR alone") << QByteArray("a\r1\r\r2");
    QTest::newRow("CR CR LF") << QByteArray("A\r\r\n1");
    QTest::newRow("LF CR") << QByteArray("a\n\r1\n");
    QTest::newRow("CR late") << row.repeated(3) + "x\r" + row;
    QTest::newRow("NUL ends the text") << QByteArray("a\tb\n1\t2\n3\0\r\n\t\t\n", 14);
    QTest::newRow("NUL first") << QByteArray("\0a\n", 3);
    QTest::newRow("NUL after CR") << QByteArray("a\r\0\n", 4);
    QTest::newRow("long rows") << QByteArray("id\tname\n") + row.repeated(40);
    QTest::newRow("lines of 9000 tabs") << "a\n" + QByteArray(9000, '\t') + "\n" + QByteArray(9000, '\t');
    QTest::newRow("line of 5000 bytes") << "a\tb\n" + QByteArray(5000, 'x') + "\ty\n";
    QTest::newRow("LF on every byte of a block") << QByteArray("\t\n").repeated(40);
  }

  void notes() {
    QFETCH(QByteArray, bytes);
    {
      TAnswerBuffer whole;
      Fill(whole, bytes, {});
      QCOMPARE(Disagreement(whole, bytes), QString());
    }
    for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
      TAnswerBuffer buffer;
      Fill(buffer, bytes, {cut});
      const QString problem = Disagreement(buffer, bytes);
      QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("cut at %1: %2").arg(cut).arg(problem)));
    }
    QList<qsizetype> bytewise;
    for (qsizetype cut = 1; cut < bytes.size(); ++cut) bytewise << cut;
    TAnswerBuffer buffer;
    Fill(buffer, bytes, bytewise);
    QCOMPARE(Disagreement(buffer, bytes), QString());
  }

  // Texts of every shape the byte classes allow, cut at random places: a
  // fixed seed, so that a failure comes back the same.
  void notesOfMixedTexts() {
    std::mt19937 random(20240611);
    const char alphabet[] = {'a', 'b', '\t', '\t', '\n', '\n', '\r', '\\', '\0'};
    for (int round = 0; round < 600; ++round) {
      // Mostly plain text, in some rounds so much that lines span blocks.
      const int size = int(random() % 600);
      const int classes = round % 3 == 0 ? 9 : round % 3 == 1 ? 8 : 6;
      const unsigned odds = round % 2 == 0 ? 4 : 40;
      QByteArray bytes;
      for (int i = 0; i < size; ++i)
        bytes += random() % odds == 0 ? alphabet[random() % classes] : 'x';
      QList<qsizetype> cuts;
      for (qsizetype at = 0; bytes.size() > 1;) {
        at += 1 + qsizetype(random() % 97);
        if (at >= bytes.size()) break;
        cuts << at;
      }
      TAnswerBuffer buffer;
      Fill(buffer, bytes, cuts);
      const QString problem = Disagreement(buffer, bytes);
      QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("round %1: %2 in %3")
                                                 .arg(round)
                                                 .arg(problem, QString::fromLatin1(bytes.toHex()))));
    }
  }

  // The bytes survive every way of growing: from nothing, past the size
  // reserved, and into a mapping of its own (2 MiB and more).
  void growth_data() {
    QTest::addColumn<qsizetype>("reserved");
    QTest::addColumn<qsizetype>("total");
    QTest::addColumn<qsizetype>("piece");
    QTest::newRow("nothing reserved, small") << qsizetype(0) << qsizetype(100000) << qsizetype(16384);
    QTest::newRow("nothing reserved, large") << qsizetype(0) << qsizetype(5000000) << qsizetype(16384);
    QTest::newRow("exact room, large") << qsizetype(5000000) << qsizetype(5000000) << qsizetype(16384);
    QTest::newRow("room short, grows into a mapping")
        << qsizetype(1000000) << qsizetype(3000000) << qsizetype(9973);
    QTest::newRow("mapping grows") << qsizetype(2097152) << qsizetype(4500001) << qsizetype(65536);
  }

  void growth() {
    QFETCH(qsizetype, reserved);
    QFETCH(qsizetype, total);
    QFETCH(qsizetype, piece);
    QByteArray bytes(total, Qt::Uninitialized);
    for (qsizetype i = 0; i < total; ++i) bytes[i] = char(i % 9 == 8 ? '\n' : 'a' + i % 23);
    TAnswerBuffer buffer;
    buffer.Reserve(reserved);
    QVERIFY(buffer.Capacity() >= reserved);
    for (qsizetype from = 0; from < total; from += piece)
      buffer.Append(bytes.constData() + from, std::min(piece, total - from));
    QCOMPARE(buffer.Size(), total);
    QVERIFY(QByteArrayView(buffer.Data(), buffer.Size()) == bytes);
    QCOMPARE(buffer.LineBreaks(), total / 9);
    // Moving hands the bytes and the notes over whole.
    TAnswerBuffer moved = std::move(buffer);
    QCOMPARE(buffer.Size(), qsizetype(0));
    QCOMPARE(moved.LineBreaks(), total / 9);
    QVERIFY(QByteArrayView(moved.Data(), moved.Size()) == bytes);
    moved.Clear();
    QCOMPARE(moved.Size(), qsizetype(0));
    QCOMPARE(moved.LineBreaks(), qsizetype(0));
  }

  // Every length up to a few blocks at every alignment, so that the whole
  // blocks, the overlapping last block and the bytes after it all count.
  void byteCount() {
    std::mt19937 random(7);
    QByteArray bytes(200, Qt::Uninitialized);
    for (char &c : bytes) c = random() % 3 == 0 ? '\t' : char('a' + random() % 26);
    for (qsizetype from = 0; from < 17; ++from) {
      for (qsizetype size = 0; from + size <= bytes.size(); ++size) {
        const char *const data = bytes.constData() + from;
        const qsizetype expected = std::count(data, data + size, '\t');
        QVERIFY2(UByteScan::Count(data, size, '\t') == expected,
                 qPrintable(QStringLiteral("from %1, %2 bytes").arg(from).arg(size)));
      }
    }
    // More than 255 blocks of matches, all in the same columns.
    const QByteArray tabs(16 * 300 + 5, '\t');
    QCOMPARE(UByteScan::Count(tabs.constData(), tabs.size(), '\t'), tabs.size());
    QCOMPARE(UByteScan::Count(tabs.constData(), tabs.size(), '\n'), qsizetype(0));
  }
};

QTEST_GUILESS_MAIN(TestWebServiceAnswerBuffer)
#include "TestWebServiceAnswerBuffer.moc"
