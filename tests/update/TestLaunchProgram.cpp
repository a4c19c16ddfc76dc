// LaunchProgram: the argument text split as a shell splits quoted words, the
// program started from its path as it stands, detached, and what it
// reports when it cannot start anything.
#include "FakeProgram.h"
#include "ULaunchProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

class TestLaunchProgram : public QObject {
  Q_OBJECT

 private slots:
  void splitWords_data();
  void splitWords();
  void startsDetachedWithTheWords();
  void failures_data();
  void failures();
};

void TestLaunchProgram::splitWords_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<QStringList>("words");
  QTest::newRow("nothing") << "" << true << QStringList{};
  QTest::newRow("blanks only") << " \t\n " << true << QStringList{};
  QTest::newRow("plain words, runs of blanks") << "  a\tbc \n d  " << true << QStringList{"a", "bc", "d"};
  QTest::newRow("quoted words, trailing blank") << "\"Vantrel\" \"V1.2.1\" " << true
                                                << QStringList{"Vantrel", "V1.2.1"};
  QTest::newRow("two quotation marks: an empty word") << "\"a\" \"\" " << true << QStringList{"a", ""};
  QTest::newRow("empty words between others") << "'' x \"\"" << true << QStringList{"", "x", ""};
  QTest::newRow("blanks inside quotes") << "\"/opt/mes programmes/v\" ' a  b '" << true
                                        << QStringList{"/opt/mes programmes/v", " a  b "};
  QTest::newRow("quotes glued into one word") << "a\"b c\"'d e'f" << true << QStringList{"ab cd ef"};
  QTest::newRow("empty quotes inside a word add nothing") << "a\"\"b" << true << QStringList{"ab"};
  QTest::newRow("backslash outside quotes") << "a\\ b \\\"c \\\\" << true << QStringList{"a b", "\"c", "\\"};
  QTest::newRow("backslash in double quotes: only before $ ` \" \\")
      << "\"\\$ \\` \\\" \\\\ \\a C:\\x\"" << true << QStringList{"$ ` \" \\ \\a C:\\x"};
  QTest::newRow("backslash in single quotes stays") << "'a\\' b" << true << QStringList{"a\\", "b"};
  QTest::newRow("one quote inside the other") << "\"it's\" 'say \"hi\"'" << true
                                              << QStringList{"it's", "say \"hi\""};
  QTest::newRow("backslash before a line feed joins") << "ab\\\ncd \"e\\\nf\"" << true << QStringList{"abcd", "ef"};
  QTest::newRow("backslash at the very end") << "a\\" << true << QStringList{"a\\"};
  QTest::newRow("no expansion of any kind") << "$HOME * ~ `x` $(y)" << true
                                            << QStringList{"$HOME", "*", "~", "`x`", "$(y)"};
  QTest::newRow("line feed inside quotes kept") << "\"a\nb\"" << true << QStringList{"a\nb"};
  QTest::newRow("double quote left open") << "\"a\" \"b" << false << QStringList{};
  QTest::newRow("single quote left open") << "'a" << false << QStringList{};
  QTest::newRow("escaped closing quote leaves it open") << "\"a\\\"" << false << QStringList{};
}

void TestLaunchProgram::splitWords() {
  QFETCH(QString, text);
  QFETCH(bool, ok);
  QFETCH(QStringList, words);
  const std::optional<QStringList> got = SplitShellWords(text);
  QCOMPARE(got.has_value(), ok);
  if (ok) QCOMPARE(*got, words);
}

// The program starts from a folder whose path holds blanks, gets the words
// of the text, and runs on its own: LaunchProgram has returned while the
// program still waits for the test's go.
void TestLaunchProgram::startsDetachedWithTheWords() {
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantrel lancement XXXXXX"));
  QVERIFY(dir.isValid());
  const QString program = dir.filePath(QStringLiteral("mon programme"));
  QVERIFY(FakeProgram::Write(program, /*gated=*/true));

  QCOMPARE(LaunchProgram(program, QStringLiteral("\"un mot\" \"\" deux 'l''été' "), 1), int(lrStarted));
  QVERIFY(!QFile::exists(FakeProgram::RecordPath(program)));

  QFile go(dir.filePath(QStringLiteral("go")));
  QVERIFY(go.open(QIODevice::WriteOnly));
  go.close();
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(FakeProgram::RecordPath(program)), 15000);
  QCOMPARE(FakeProgram::ReadRecord(program),
           (QStringList{program, QStringLiteral("un mot"), QString(), QStringLiteral("deux"),
                        QStringLiteral("lété")}));
}

void TestLaunchProgram::failures_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("arguments");
  QTest::addColumn<int>("result");
  QTest::newRow("no such file") << "missing" << "\"a\" " << int(lrFileNotFound);
  QTest::newRow("empty path") << "empty" << "" << int(lrFileNotFound);
  QTest::newRow("file not executable") << "plain" << "\"a\" " << int(lrCannotStart);
  QTest::newRow("a folder") << "folder" << "" << int(lrCannotStart);
  QTest::newRow("quote left open: not started") << "script" << "\"a" << int(lrBadArguments);
}

void TestLaunchProgram::failures() {
  QFETCH(QString, what);
  QFETCH(QString, arguments);
  QFETCH(int, result);
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantrel échec XXXXXX"));
  QVERIFY(dir.isValid());
  QString program = dir.filePath(QStringLiteral("prog ") + what);
  if (what == QLatin1String("empty")) program.clear();
  if (what == QLatin1String("plain")) {
    QVERIFY(FakeProgram::Write(program));
    QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  }
  if (what == QLatin1String("folder")) QVERIFY(QDir().mkpath(program));
  if (what == QLatin1String("script")) QVERIFY(FakeProgram::Write(program));

  QCOMPARE(LaunchProgram(program, arguments, 1), result);
  QVERIFY(result <= 31);
}

QTEST_GUILESS_MAIN(TestLaunchProgram)
#include "TestLaunchProgram.moc"
