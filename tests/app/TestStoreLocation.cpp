#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// Where the programs keep their store, run as an installed copy would be: a
// copy of each in a program folder, and a user with a home of their own.
// Root writes anywhere, so as root the programs run as "nobody"; the folder
// modes then mean what they mean for any user.
class TestStoreLocation : public QObject {
  Q_OBJECT

 private:
  static constexpr uid_t kNobody = 65534;

  QTemporaryDir FDir;
  QString FProgramFolder;
  QString FHome;

  QString DataStore() const { return FHome + QStringLiteral("/.local/share/vantrel/vantrel.adb"); }
  QString BesideStore() const { return FProgramFolder + QStringLiteral("/vantrel.adb"); }

  void SetProgramFolderWritable(bool writable) {
    QVERIFY(::chmod(QFile::encodeName(FProgramFolder).constData(), writable ? 0777 : 0555) == 0);
  }

  // Starts one of the programs as the user, with no display.
  void Start(QProcess &process, const QString &program, const QStringList &arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
      env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), FHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(FHome);
    const QString path = QDir(FProgramFolder).filePath(program);
    if (::geteuid() == 0) {
      process.start(QStringLiteral("setpriv"),
                    QStringList{QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                                QStringLiteral("--clear-groups"), QStringLiteral("--"), path} +
                        arguments);
    } else {
      process.start(path, arguments);
    }
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
  }

  // Starts the main program and waits for the store to appear at `store`;
  // the program must still be running then (a window, not an error).
  void StartsWithStoreAt(const QStringList &arguments, const QString &store) {
    QProcess process;
    Start(process, QStringLiteral("vantrel"), arguments);
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(store), qPrintable(store), 15000);
    QVERIFY2(!process.waitForFinished(500), process.readAllStandardError().constData());
    process.kill();
    process.waitForFinished(5000);
  }

  // Runs vantrel-sql on a stored connection; gives what it wrote on errors.
  QByteArray SqlErrors(const QStringList &arguments) {
    QProcess process;
    Start(process, QStringLiteral("vantrel-sql"), arguments);
    if (!process.waitForFinished(15000)) return "<still running>";
    return process.readAllStandardError();
  }

  void RemoveStores() {
    for (const QString &store : {DataStore(), BesideStore(), FHome + QStringLiteral("/chosen.adb")})
      for (const char *suffix : {"", "-wal", "-shm"}) QFile::remove(store + QLatin1String(suffix));
  }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    QVERIFY(::chmod(QFile::encodeName(FDir.path()).constData(), 0755) == 0);
    FProgramFolder = FDir.filePath(QStringLiteral("bin"));
    FHome = FDir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(FProgramFolder));
    QVERIFY(QDir().mkpath(FHome));
    if (::geteuid() == 0) QVERIFY(::chown(QFile::encodeName(FHome).constData(), kNobody, kNobody) == 0);
    for (const char *name : {"vantrel", "vantrel-sql"}) {
      const QString built = QDir(qEnvironmentVariable("VANTREL_BIN_DIR")).filePath(QLatin1String(name));
      QVERIFY2(QFile::copy(built, QDir(FProgramFolder).filePath(QLatin1String(name))), qPrintable(built));
    }
  }

  void init() {
    SetProgramFolderWritable(true);
    RemoveStores();
  }

  // A program folder the user cannot write (an installed copy): the store
  // goes to the user's data folder, made for them alone; vantrel-sql reads
  // the same one.
  void readOnlyProgramFolderUsesTheDataFolder() {
    SetProgramFolderWritable(false);
    QVERIFY(!QFileInfo::exists(FHome + QStringLiteral("/.local")));
    StartsWithStoreAt({}, DataStore());
    QVERIFY(!QFileInfo::exists(BesideStore()));
    QCOMPARE(QFileInfo(QFileInfo(DataStore()).absolutePath()).permissions() & 0x0077, QFileDevice::Permissions());
    const QByteArray errors = SqlErrors({QStringLiteral("--connection"), QStringLiteral("Nulle part"),
                                         QStringLiteral("SELECT 1")});
    QVERIFY2(errors.contains("no connection \"Nulle part\" in " + QFile::encodeName(DataStore())), errors.constData());
    // Started again, it finds its store there and keeps it.
    struct stat before {};
    QVERIFY(::stat(QFile::encodeName(DataStore()).constData(), &before) == 0);
    StartsWithStoreAt({}, DataStore());
    struct stat after {};
    QVERIFY(::stat(QFile::encodeName(DataStore()).constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);
  }

  // A writable program folder keeps the store beside the program, for both.
  void writableProgramFolderKeepsTheStoreBeside() {
    StartsWithStoreAt({}, BesideStore());
    QVERIFY(!QFileInfo::exists(DataStore()));
    const QByteArray errors = SqlErrors({QStringLiteral("--connection"), QStringLiteral("Nulle part"),
                                         QStringLiteral("SELECT 1")});
    QVERIFY2(errors.contains(" in " + QFile::encodeName(BesideStore())), errors.constData());
  }

  // --store wins over both places, in either spelling.
  void storeOptionWins_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("writable");
    QTest::newRow("two arguments, read-only folder") << QStringList{"--store", "chosen.adb"} << false;
    QTest::newRow("one argument, writable folder") << QStringList{"--store=chosen.adb"} << true;
  }
  void storeOptionWins() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, writable);
    SetProgramFolderWritable(writable);
    StartsWithStoreAt(arguments, FHome + QStringLiteral("/chosen.adb"));  // relative to the current folder
    QVERIFY(!QFileInfo::exists(BesideStore()));
    QVERIFY(!QFileInfo::exists(DataStore()));
  }

  void storeOptionWithoutAFileIsRefused() {
    QProcess process;
    Start(process, QStringLiteral("vantrel"), {QStringLiteral("--store")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("--store needs a file"));
    QVERIFY(!QFileInfo::exists(DataStore()));
  }

  // The version answer still goes beside the program: where it cannot, it
  // fails with one line naming the file, and writes nothing elsewhere.
  void versionAnswerInAReadOnlyFolderFails() {
    SetProgramFolderWritable(false);
    QProcess process;
    Start(process, QStringLiteral("vantrel"), {QStringLiteral("/V"), QStringLiteral("version.txt")});
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(process.exitCode() != 0);
    const QByteArray error = process.readAllStandardError().trimmed();
    QVERIFY2(error.startsWith("vantrel: cannot write the version file") && error.contains("version.txt") &&
                 !error.contains('\n'),
             error.constData());
    QVERIFY(!QFileInfo::exists(FProgramFolder + QStringLiteral("/version.txt")));
    QVERIFY(!QFileInfo::exists(FHome + QStringLiteral("/version.txt")));
  }

  void cleanupTestCase() { SetProgramFolderWritable(true); }
};

QTEST_GUILESS_MAIN(TestStoreLocation)
#include "TestStoreLocation.moc"
