// Which texts change data: the reads go without a question, everything
// else is asked about, and an UPDATE or DELETE without a WHERE clause of
// its own is told apart. Strings, quoted names and comments hold no words.
#include "UStatementEffect.h"

#include <QtTest>

class TestStatementEffect : public QObject {
  Q_OBJECT

 private slots:
  void effects_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("updateWithoutWhere");
    QTest::addColumn<bool>("deleteWithoutWhere");
    const auto row = [](const char *name, const char *text, bool read, bool update = false, bool del = false) {
      QTest::newRow(name) << QByteArray(text) << read << update << del;
    };
    row("select", "SELECT * FROM t", true);
    row("select in lower case, after blanks", "\r\n\t select 1", true);
    row("show", "SHOW TABLES", true);
    row("describe", "describe t", true);
    row("desc", "DESC t", true);
    row("explain", "EXPLAIN SELECT * FROM t", true);
    row("explain of a delete", "EXPLAIN DELETE FROM t", true);
    row("explain analyze runs the delete", "EXPLAIN ANALYZE DELETE FROM t", false, false, true);
    row("explain analyze of a select", "EXPLAIN ANALYZE FORMAT=TREE SELECT 1", true);
    row("with leading to a select", "WITH c AS (SELECT 1 AS a) SELECT * FROM c", true);
    row("with recursive", "WITH RECURSIVE c (n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 5) SELECT n FROM c",
        true);
    row("with leading to a delete", "WITH c AS (SELECT id FROM t) DELETE FROM t WHERE id IN (SELECT id FROM c)",
        false);
    row("with leading to an update without where", "WITH c AS (SELECT 1) UPDATE t SET a = 1", false, true);
    row("select in parentheses", "(SELECT 1) UNION (SELECT 2)", true);
    row("after a line comment", "-- l'exemple\nSELECT 1", true);
    row("after a hash comment", "# DELETE\nSELECT 1", true);
    row("after a block comment", "/* UPDATE t SET a = 1 */ SELECT 1", true);
    row("an executable comment is code", "/*!40101 DELETE FROM t */", false, false, true);
    row("a dash pair without blank is no comment", "--1\nSELECT 1", false);
    row("update with where", "UPDATE t SET v = v + 1 WHERE id = 1", false);
    row("update without where", "UPDATE t SET v = v + 1", false, true);
    row("update, where only in a subquery", "UPDATE t SET a = (SELECT b FROM u WHERE u.id = 1)", false, true);
    row("update, where in a string", "UPDATE t SET a = ' WHERE '", false, true);
    row("update, where in a quoted name", "UPDATE t SET `where` = 1", false, true);
    row("update, where in a comment", "UPDATE t SET a = 1 -- WHERE id = 1", false, true);
    row("update, where after an escaped quote", "UPDATE t SET a = 'l\\'x' WHERE id = 1", false);
    row("update, where after a doubled quote", "UPDATE t SET a = 'l''x' WHERE id = 1", false);
    row("the builder's update", "UPDATE \n  t\nSET\n  a='',\n  b=''\n", false, true);
    row("delete with where", "DELETE FROM t WHERE id = 1", false);
    row("delete without where", "delete from t", false, false, true);
    row("the builder's delete", "DELETE FROM\n  t\n", false, false, true);
    row("insert", "INSERT INTO t (a) VALUES ('SELECT')", false);
    row("insert on duplicate key update", "INSERT INTO t VALUES (1) ON DUPLICATE KEY UPDATE a = 2", false);
    row("replace", "REPLACE INTO t VALUES (1)", false);
    row("truncate", "TRUNCATE TABLE t", false);
    row("drop", "DROP TABLE t", false);
    row("call", "CALL p()", false);
    row("set", "SET @a = 1", false);
    row("a select then a delete", "SELECT 1; DELETE FROM t", false, false, true);
    row("a semicolon in a string", "SELECT ';DELETE FROM t'", true);
    row("empty", "", true);
    row("comments only", "-- rien\n/* rien */", true);
    row("a string first", "'DELETE'", false);
  }
  void effects() {
    QFETCH(QByteArray, text);
    QFETCH(bool, readOnly);
    QFETCH(bool, updateWithoutWhere);
    QFETCH(bool, deleteWithoutWhere);
    const TStatementEffect effect = StatementEffect(text);
    QCOMPARE(effect.ReadOnly, readOnly);
    QCOMPARE(effect.UpdateWithoutWhere, updateWithoutWhere);
    QCOMPARE(effect.DeleteWithoutWhere, deleteWithoutWhere);
  }
};

QTEST_APPLESS_MAIN(TestStatementEffect)
#include "TestStatementEffect.moc"
