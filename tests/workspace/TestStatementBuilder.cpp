// The statements the assistant writes for a table: every line ends with a
// line feed alone, columns in the order given, no WHERE clause.
#include "UStatementBuilder.h"

#include <QtTest>

Q_DECLARE_METATYPE(TStatementKind)

class TestStatementBuilder : public QObject {
  Q_OBJECT

 private slots:
  void texts_data() {
    QTest::addColumn<TStatementKind>("kind");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("text");
    const QStringList ab{"a", "b"};
    QTest::newRow("select") << TStatementKind::Select << ab << "SELECT \n  a,\n  b\nFROM \n  t\n";
    QTest::newRow("insert") << TStatementKind::Insert << ab
                            << "INSERT INTO \n  t\n(\n  a,\n  b\n)\nVALUES\n(\n  '',\n  ''\n)\n";
    QTest::newRow("update") << TStatementKind::Update << ab << "UPDATE \n  t\nSET\n  a='',\n  b=''\n";
    QTest::newRow("delete") << TStatementKind::Delete << ab << "DELETE FROM\n  t\n";
    // A table whose columns could not be read.
    QTest::newRow("select, no columns") << TStatementKind::Select << QStringList() << "SELECT \nFROM \n  t\n";
    QTest::newRow("insert, no columns") << TStatementKind::Insert << QStringList()
                                        << "INSERT INTO \n  t\n(\n)\nVALUES\n(\n)\n";
    QTest::newRow("update, no columns") << TStatementKind::Update << QStringList() << "UPDATE \n  t\nSET\n";
    QTest::newRow("one column") << TStatementKind::Update << QStringList{"nom"} << "UPDATE \n  t\nSET\n  nom=''\n";
  }
  void texts() {
    QFETCH(TStatementKind, kind);
    QFETCH(QStringList, columns);
    QFETCH(QString, text);
    QCOMPARE(BuildStatement(kind, QStringLiteral("t"), columns), text);
  }
};

QTEST_APPLESS_MAIN(TestStatementBuilder)
#include "TestStatementBuilder.moc"
