// scripts/check-package on a machine where a vantrel package is already
// there: it leaves it as it is and passes over in one line; where none is,
// it goes on to install its own and removes it after. The package lives in
// a throwaway dpkg database (dpkg --root, read by dpkg-query through
// DPKG_ADMINDIR), and apt-get, sudo and the user tools are recorders, so
// that nothing of the machine is touched even by a script gone wrong.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TScriptRun {
  int Status = -1;
  QByteArray Out;
  QByteArray Err;
};

TScriptRun Run(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  TScriptRun run;
  if (!process.waitForStarted()) {
    run.Err = program.toLocal8Bit() + " does not start";
    return run;
  }
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
  }
  run.Out = process.readAllStandardOutput();
  run.Err = process.readAllStandardError();
  if (process.exitStatus() == QProcess::NormalExit) run.Status = process.exitCode();
  return run;
}

bool WriteFile(const QString &path, const QByteArray &text, bool executable = false) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return false;
  file.close();
  return !executable || file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                            QFileDevice::ExeOther);
}

QByteArray ReadFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestCheckPackage : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FWork;
  QString FDeb;    // the user's own "vantrel", a dummy
  QString FTools;  // recorders in front of the real tools
  QString FRoot;   // the throwaway dpkg root of one case
  QString FLog;    // what the recorders were asked, one line a call

  QString AdminDir() const { return FRoot + QStringLiteral("/var/lib/dpkg"); }

  TScriptRun Dpkg(const QStringList &arguments) const {
    // Its log too stays in the throwaway folder.
    const QStringList root{QStringLiteral("--root=") + FRoot, QStringLiteral("--force-not-root"),
                           QStringLiteral("--log=") + FWork.filePath(QStringLiteral("dpkg.log"))};
    return Run(QStringLiteral("dpkg"), root + arguments);
  }
  QString Status() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DPKG_ADMINDIR"), AdminDir());
    return QString::fromUtf8(
        Run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), QStringLiteral("-f=${db:Status-Status}"),
                                           QStringLiteral("vantrel")},
            environment)
            .Out);
  }
  TScriptRun CheckPackage() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), FTools + QStringLiteral(":/usr/sbin:/usr/bin:/sbin:/bin"));
    environment.insert(QStringLiteral("DPKG_ADMINDIR"), AdminDir());
    environment.insert(QStringLiteral("VANTREL_RECORDED"), FLog);
    return Run(QStringLiteral(VANTREL_SOURCE_DIR "/scripts/check-package"), {FDeb}, environment);
  }

 private slots:
  void initTestCase() {
    QVERIFY(FWork.isValid());
    const QString package = FWork.filePath(QStringLiteral("package"));
    QVERIFY(WriteFile(package + QStringLiteral("/DEBIAN/control"),
                      "Package: vantrel\nVersion: 0.0-user\nArchitecture: all\n"
                      "Maintainer: A user <user@example.invalid>\nDescription: the user's own\n"));
    QVERIFY(WriteFile(package + QStringLiteral("/usr/bin/vantrel"), "the user's vantrel\n", true));
    FDeb = FWork.filePath(QStringLiteral("vantrel_0.0-user_all.deb"));
    const TScriptRun built =
        Run(QStringLiteral("dpkg-deb"), {QStringLiteral("--root-owner-group"), QStringLiteral("-b"), package, FDeb});
    QVERIFY2(built.Status == 0, built.Err.constData());

    // Each recorder writes its call; apt-get fails on a .deb as it would on
    // a package it cannot install, so the check stops there.
    FTools = FWork.filePath(QStringLiteral("tools"));
    const QByteArray record = "#!/bin/sh\necho \"$(basename \"$0\") $*\" >>\"$VANTREL_RECORDED\"\n";
    QVERIFY(WriteFile(FTools + QStringLiteral("/apt-get"),
                      record + "for a in \"$@\"; do case $a in *.deb) exit 100 ;; esac; done\nexit 0\n", true));
    QVERIFY(WriteFile(FTools + QStringLiteral("/sudo"), record + "exec \"$@\"\n", true));
    for (const char *tool : {"useradd", "userdel", "runuser", "setsid", "xvfb-run"})
      QVERIFY(WriteFile(FTools + QLatin1Char('/') + QLatin1String(tool), record + "exit 1\n", true));
  }

  void init() {
    const QString tag = QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    FRoot = FWork.filePath(QStringLiteral("root-") + tag);
    FLog = FRoot + QStringLiteral(".calls");
    QVERIFY(QDir(FRoot).removeRecursively());
    QFile::remove(FLog);
    for (const char *folder : {"info", "updates", "triggers"}) QVERIFY(QDir().mkpath(AdminDir() + "/" + folder));
    QVERIFY(WriteFile(AdminDir() + QStringLiteral("/status"), QByteArray()));
  }

  void userPackageIsLeftAlone_data() {
    QTest::addColumn<QString>("dpkgAction");  // how the user's package got there; empty: none
    QTest::addColumn<QString>("status");
    QTest::newRow("none") << QString() << QString();
    QTest::newRow("installed") << "--install" << "installed";
    QTest::newRow("unpacked, not configured") << "--unpack" << "unpacked";
  }
  void userPackageIsLeftAlone() {
    QFETCH(QString, dpkgAction);
    QFETCH(QString, status);
    if (!dpkgAction.isEmpty()) {
      const TScriptRun installed = Dpkg({dpkgAction, FDeb});
      QVERIFY2(installed.Status == 0, (installed.Out + installed.Err).constData());
    }
    QCOMPARE(Status(), status);

    const TScriptRun run = CheckPackage();
    const QStringList calls = QString::fromUtf8(ReadFile(FLog)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (status.isEmpty()) {
      // A machine without one, as CI's: the check installs its package and
      // removes what it installed.
      QVERIFY2(run.Status != 0, (run.Out + run.Err).constData());
      QVERIFY2(!calls.filter(QRegularExpression(QStringLiteral("^apt-get .* install -y ") +
                                                QRegularExpression::escape(FDeb) + QLatin1Char('$')))
                    .isEmpty(),
               qPrintable(calls.join(QLatin1Char('\n'))));
      QVERIFY2(!calls.filter(QRegularExpression(QStringLiteral("^apt-get .* remove -y vantrel$"))).isEmpty(),
               qPrintable(calls.join(QLatin1Char('\n'))));
      return;
    }
    QVERIFY2(run.Status == 0, (run.Out + run.Err).constData());
    QVERIFY2(calls.isEmpty(), qPrintable(calls.join(QLatin1Char('\n'))));
    QCOMPARE(run.Err, QByteArray());
    const QList<QByteArray> lines = run.Out.trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains("vantrel") && lines.first().contains("passed over"), lines.first().constData());
    QCOMPARE(Status(), status);
    QCOMPARE(ReadFile(FRoot + QStringLiteral("/usr/bin/vantrel")), QByteArray("the user's vantrel\n"));
  }
};

QTEST_GUILESS_MAIN(TestCheckPackage)
#include "TestCheckPackage.moc"
