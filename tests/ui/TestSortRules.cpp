// The order of every list's rows: what a number is, numbers compared
// exactly (beyond 64 bits, long decimals, exponents), blanks first, texts
// by bytes, and stable sorts both ways.
#include "USortRules.h"

#include <QtTest>

#include <numeric>

class TestSortRules : public QObject {
  Q_OBJECT

 private slots:
  void numbers_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("number");
    for (const char *yes : {"0", "-0", "+5", "007", "12.50", "-0.25", ".5", "5.", "1e3", "1E+3", "-2.5e-3",
                            "18446744073709551616", "1e99999999999999999999999"})
      QTest::newRow(yes) << QByteArray(yes) << true;
    for (const char *no : {"", "NULL", "-", "+", ".", "e5", "1e", "1e+", "1.2.3", "1,5", "1 000", " 1", "1 ",
                           "0x1F", "inf", "nan", "12abc", "--1", "2024-01-05", "1e5.5"})
      QTest::newRow(*no ? no : "empty") << QByteArray(no) << false;
  }

  void numbers() {
    QFETCH(QByteArray, text);
    QFETCH(bool, number);
    QCOMPARE(USortRules::IsNumber(text), number);
    QCOMPARE(USortRules::SortsAsNumber(text), number || text.isEmpty() || text == "NULL");
  }

  // Ascending order of two keys of a numeric column: -1, 0 or +1.
  void compareNumbers_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("20 before 100") << QByteArray("20") << QByteArray("100") << -1;
    QTest::newRow("negative before positive") << QByteArray("-100") << QByteArray("2") << -1;
    QTest::newRow("among negatives, the larger magnitude first") << QByteArray("-100") << QByteArray("-20") << -1;
    QTest::newRow("zeros are equal") << QByteArray("-0") << QByteArray("0.000e7") << 0;
    QTest::newRow("leading and trailing zeros") << QByteArray("007.50") << QByteArray("7.5") << 0;
    QTest::newRow("exponent against digits") << QByteArray("1e3") << QByteArray("999.99") << 1;
    QTest::newRow("equal through the exponent") << QByteArray("-2.5E-3") << QByteArray("-0.0025") << 0;
    QTest::newRow("small fractions") << QByteArray("0.0001") << QByteArray("0.001") << -1;
    // A double holds 53 bits: these would compare equal through one.
    QTest::newRow("2^53 + 1 against 2^53") << QByteArray("9007199254740993") << QByteArray("9007199254740992") << 1;
    QTest::newRow("past 64 bits") << QByteArray("18446744073709551616") << QByteArray("18446744073709551615") << 1;
    QTest::newRow("negative past 64 bits")
        << QByteArray("-9223372036854775809") << QByteArray("-9223372036854775808") << -1;
    QTest::newRow("DECIMAL(65,30) digits")
        << QByteArray("12345678901234567890.123456789012345678901234567891")
        << QByteArray("12345678901234567890.12345678901234567890123456789") << 1;
    QTest::newRow("long equal decimals") << QByteArray("0.1000000000000000000000000000001")
                                         << QByteArray("0.1000000000000000000000000000001000") << 0;
    QTest::newRow("huge exponents") << QByteArray("1e99999999999999999999") << QByteArray("9e999999999") << 1;
    QTest::newRow("tiny exponents") << QByteArray("1e-99999999999999999999") << QByteArray("0") << 1;
    QTest::newRow("empty before NULL") << QByteArray("") << QByteArray("NULL") << -1;
    QTest::newRow("NULL before any number") << QByteArray("NULL") << QByteArray("-1e300") << -1;
    QTest::newRow("NULL equal to NULL") << QByteArray("NULL") << QByteArray("NULL") << 0;
  }

  void compareNumbers() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, order);
    QCOMPARE(USortRules::CompareNumbers(a, b), order);
    QCOMPARE(USortRules::CompareNumbers(b, a), -order);
    // The sort, whose keys hold only the first digits, agrees.
    std::vector<int> indices{0, 1};
    USortRules::Sort(indices, {a, b}, 1);
    QCOMPARE(indices, (order > 0 ? std::vector<int>{1, 0} : std::vector<int>{0, 1}));
    indices = {1, 0};
    USortRules::Sort(indices, {a, b}, 1);
    QCOMPARE(indices, (order < 0 ? std::vector<int>{0, 1} : std::vector<int>{1, 0}));
  }

  void sort_data() {
    QTest::addColumn<QList<QByteArray>>("keys");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<bool>("numeric");
    const QList<QByteArray> sizes{"5", "60", "200", "400", "60"};
    QTest::newRow("numbers") << QList<QByteArray>{"200", "400", "5", "60"} << 1 << QList<int>{2, 3, 0, 1} << true;
    QTest::newRow("equal numbers keep their order") << sizes << 1 << QList<int>{0, 1, 4, 2, 3} << true;
    QTest::newRow("equal numbers keep their order, descending") << sizes << -1 << QList<int>{3, 2, 1, 4, 0} << true;
    QTest::newRow("blanks first, numbers after")
        << QList<QByteArray>{"3", "NULL", "", "-7", "NULL"} << 1 << QList<int>{2, 1, 4, 3, 0} << true;
    QTest::newRow("one text: all by bytes")
        << QList<QByteArray>{"200", "n/a", "5", "60"} << 1 << QList<int>{0, 2, 3, 1} << false;
    QTest::newRow("bytes, unsigned, prefix first")
        << QList<QByteArray>{"b", "\xc3\xa9", "B", "ba", "", "a"} << 1 << QList<int>{4, 2, 5, 0, 3, 1} << false;
    QTest::newRow("long texts sharing their first bytes")
        << QList<QByteArray>{"abcdefghij2", "abcdefghij10", "abcdefgh", "abcdefghij1"} << 1 << QList<int>{2, 3, 1, 0}
        << false;
    QTest::newRow("dates and times stay texts")
        << QList<QByteArray>{"2024-10-01 10:00:00", "2024-09-30 23:59:59", "NULL"} << 1 << QList<int>{1, 0, 2}
        << false;
  }

  void sort() {
    QFETCH(QList<QByteArray>, keys);
    QFETCH(int, direction);
    QFETCH(QList<int>, order);
    QFETCH(bool, numeric);
    const std::vector<QByteArrayView> views(keys.begin(), keys.end());
    QCOMPARE(USortRules::SortAsNumbers(views), numeric);
    std::vector<int> indices(keys.size());
    std::iota(indices.begin(), indices.end(), 0);
    QCOMPARE(USortRules::Sort(indices, views, direction), numeric);
    QCOMPARE(QList<int>(indices.begin(), indices.end()), order);
  }
};

QTEST_GUILESS_MAIN(TestSortRules)
#include "TestSortRules.moc"
