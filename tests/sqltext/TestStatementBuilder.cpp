// The statements the assistant writes for a table: every line ends with a
// line feed alone, columns in the order given, no WHERE clause, names that
// MySQL would not read as names between back quotes.
#include "UStatementBuilder.h"

#include <QtTest>

Q_DECLARE_METATYPE(TStatementKind)

class TestStatementBuilder : public QObject {
  Q_OBJECT

 private slots:
  void texts_data() {
    QTest::addColumn<TStatementKind>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("text");
    const QStringList ab{"a", "b"};
    QTest::newRow("select") << TStatementKind::Select << "t" << ab << "SELECT \n  a,\n  b\nFROM \n  t\n";
    QTest::newRow("insert") << TStatementKind::Insert << "t" << ab
                            << "INSERT INTO \n  t\n(\n  a,\n  b\n)\nVALUES\n(\n  '',\n  ''\n)\n";
    QTest::newRow("update") << TStatementKind::Update << "t" << ab << "UPDATE \n  t\nSET\n  a='',\n  b=''\n";
    QTest::newRow("delete") << TStatementKind::Delete << "t" << ab << "DELETE FROM\n  t\n";
    // A table whose columns could not be read.
    QTest::newRow("select, no columns") << TStatementKind::Select << "t" << QStringList() << "SELECT \nFROM \n  t\n";
    QTest::newRow("insert, no columns") << TStatementKind::Insert << "t" << QStringList()
                                        << "INSERT INTO \n  t\n(\n)\nVALUES\n(\n)\n";
    QTest::newRow("update, no columns") << TStatementKind::Update << "t" << QStringList() << "UPDATE \n  t\nSET\n";
    QTest::newRow("one column") << TStatementKind::Update << "t" << QStringList{"nom"}
                                << "UPDATE \n  t\nSET\n  nom=''\n";
    // Names that need quoting, beside one that does not.
    const QStringList quoted{"key", "ma colonne", "id"};
    QTest::newRow("select, quoted") << TStatementKind::Select << "order" << quoted
                                    << "SELECT \n  `key`,\n  `ma colonne`,\n  id\nFROM \n  `order`\n";
    QTest::newRow("insert, quoted") << TStatementKind::Insert << "ma table" << quoted
                                    << "INSERT INTO \n  `ma table`\n(\n  `key`,\n  `ma colonne`,\n  id\n)\nVALUES\n"
                                       "(\n  '',\n  '',\n  ''\n)\n";
    QTest::newRow("update, quoted") << TStatementKind::Update << "a`b" << quoted
                                    << "UPDATE \n  `a``b`\nSET\n  `key`='',\n  `ma colonne`='',\n  id=''\n";
    QTest::newRow("delete, quoted") << TStatementKind::Delete << "order" << quoted << "DELETE FROM\n  `order`\n";
  }
  void texts() {
    QFETCH(TStatementKind, kind);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(QString, text);
    QCOMPARE(BuildStatement(kind, table, columns), text);
  }
};

QTEST_APPLESS_MAIN(TestStatementBuilder)
#include "TestStatementBuilder.moc"
