#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Runs a copy of the program in a folder of its own, as a user would find
// it, with no display at all unless the case asks for one.
class TestVersionAnswer : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  QString FProgram;

  QProcessEnvironment Headless() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
    return env;
  }
  QByteArray Read(const QString &name) const {
    QFile file(FDir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
  }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    const QString built = QDir(qEnvironmentVariable("VANTREL_BIN_DIR")).filePath(QStringLiteral("vantrel"));
    QVERIFY2(QFileInfo::exists(built), qPrintable(built));
    FProgram = FDir.filePath(QStringLiteral("vantrel"));
    QVERIFY(QFile::copy(built, FProgram));
  }

  void writesTheVersionBesideTheProgram_data() {
    QTest::addColumn<QString>("flag");
    QTest::newRow("upper case") << "/V";
    QTest::newRow("lower case") << "/v";
  }
  void writesTheVersionBesideTheProgram() {
    QFETCH(QString, flag);
    QFile old(FDir.filePath(QStringLiteral("version.txt")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("a much longer earlier content that must disappear\r\n");
    old.close();
    for (int run = 0; run < 2; ++run) {  // running it twice overwrites
      QProcess process;
      process.setProcessEnvironment(Headless());
      process.setWorkingDirectory(QDir::tempPath());  // the folder is the program's, not the current one
      process.start(FProgram, {flag, QStringLiteral("version.txt")});
      QVERIFY(process.waitForFinished(10000));
      QCOMPARE(process.exitStatus(), QProcess::NormalExit);
      QCOMPARE(process.exitCode(), 0);
      QCOMPARE(Read(QStringLiteral("version.txt")), QByteArray("V1.2.1\r\n"));
    }
    QVERIFY(!QFileInfo::exists(FDir.filePath(QStringLiteral("vantrel.adb"))));  // nothing else started
  }

  void unwritableTargetFails_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("a folder") << "afolder";
    QTest::newRow("inside a missing folder") << "missing/version.txt";
  }
  void unwritableTargetFails() {
    QFETCH(QString, name);
    QDir(FDir.path()).mkdir(QStringLiteral("afolder"));
    QProcess process;
    process.setProcessEnvironment(Headless());
    process.start(FProgram, {QStringLiteral("/V"), name});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);
    const QByteArray error = process.readAllStandardError().trimmed();
    QVERIFY2(error.contains(name.toLocal8Bit()), error.constData());
    QVERIFY2(!error.contains('\n'), error.constData());
  }

  // Without a file name the program starts as usual: it opens its store
  // beside itself and keeps running until closed.
  void otherCommandLinesStartNormally_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("flag alone") << QStringList{QStringLiteral("/V")};
    QTest::newRow("empty name") << QStringList{QStringLiteral("/V"), QString()};
    QTest::newRow("other flag") << QStringList{QStringLiteral("/X"), QStringLiteral("version.txt")};
  }
  void otherCommandLinesStartNormally() {
    QFETCH(QStringList, arguments);
    QFile::remove(FDir.filePath(QStringLiteral("version.txt")));
    for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(FDir.filePath(QStringLiteral("vantrel.adb") + suffix));
    QProcess process;
    QProcessEnvironment env = Headless();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(FProgram, arguments);
    QVERIFY(process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(FDir.filePath(QStringLiteral("vantrel.adb"))), 15000);
    QVERIFY(!process.waitForFinished(500));  // still running: a window, not an answer
    process.kill();
    process.waitForFinished(5000);
    QVERIFY(!QFileInfo::exists(FDir.filePath(QStringLiteral("version.txt"))));
  }
};

QTEST_GUILESS_MAIN(TestVersionAnswer)
#include "TestVersionAnswer.moc"
