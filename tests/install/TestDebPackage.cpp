// CPack's .deb of the build tree: it holds the installed files under /usr
// and nothing else, and its control fields name the package, its section
// and maintainer, and as dependencies the runtime packages of the libraries
// the binaries load (plus Qt's SQLite driver, a plugin no binary names,
// and the French catalogues of Qt and QScintilla), never a development
// package.
#include "InstalledFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestDebPackage : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FOutput;
  QString FDeb;

  QString Field(const char *name) {
    const TRun run = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), FDeb, QLatin1String(name)});
    return run.Status == 0 ? QString::fromUtf8(run.Output).trimmed() : QString();
  }

 private slots:
  void initTestCase() {
    QVERIFY(FOutput.isValid());
    const TRun run = RunProgram(QStringLiteral(VANTREL_CPACK),
                                {QStringLiteral("--config"), QStringLiteral(VANTREL_BUILD_DIR "/CPackConfig.cmake"),
                                 QStringLiteral("-B"), FOutput.path()},
                                240000);
    QVERIFY2(run.Status == 0, run.Output.constData());
    const QStringList debs = QDir(FOutput.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^vantrel_%1_[a-z0-9]+\\.deb$")
                                    .arg(QRegularExpression::escape(QStringLiteral(VANTREL_VERSION))))
                 .match(debs.first())
                 .hasMatch(),
             qPrintable(debs.first()));
    FDeb = FOutput.filePath(debs.first());
  }

  void contents() {
    const TRun run = RunProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), FDeb});
    QVERIFY2(run.Status == 0, run.Output.constData());
    QStringList files;
    for (const QByteArray &line : run.Output.split('\n')) {
      // "-rwxr-xr-x root/root 123 2026-12-11 08:00 ./usr/bin/vantrel"
      if (!line.startsWith('-')) continue;
      const QString path = QString::fromUtf8(line.mid(line.indexOf(" ./") + 3));
      QVERIFY2(path.startsWith(QStringLiteral("usr/")), qPrintable(path));
      files << path.mid(4);
      if (path.startsWith(QStringLiteral("usr/bin/"))) QVERIFY2(line.startsWith("-rwxr-xr-x"), line.constData());
    }
    files.sort();
    QCOMPARE(files, InstalledFiles());
  }

  void control() {
    QCOMPARE(Field("Package"), QStringLiteral("vantrel"));
    QCOMPARE(Field("Version"), QStringLiteral(VANTREL_VERSION));
    QCOMPARE(Field("Section"), QStringLiteral("database"));
    QVERIFY(Field("Maintainer").contains(QLatin1Char('@')));
    QVERIFY(Field("Description").contains(QStringLiteral("ws.php")));
  }

  void dependencies_data() {
    QTest::addColumn<QString>("package");
    for (const char *package : {"libqt6widgets6", "libqt6gui6", "libqt6sql6", "libqt6sql6-sqlite", "libcurl4",
                                "libsqlite3-0", "libc6", "libstdc++6", "qt6-translations-l10n",
                                "libqscintilla2-qt6-l10n"})
      QTest::newRow(package) << QString::fromLatin1(package);
    QTest::newRow("QScintilla") << QStringLiteral("libqscintilla2-qt6-");
  }
  void dependencies() {
    QFETCH(QString, package);
    const QString depends = Field("Depends");
    QStringList names;
    for (const QString &item : depends.split(QRegularExpression(QStringLiteral("[,|]")), Qt::SkipEmptyParts))
      names << item.trimmed().section(QLatin1Char(' '), 0, 0);
    QVERIFY2(!names.filter(QRegularExpression(QStringLiteral("-dev$"))).size(), qPrintable(depends));
    const bool prefix = package.endsWith(QLatin1Char('-'));
    QVERIFY2(prefix ? !names.filter(QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(package) + QStringLiteral("\\d+$"))).isEmpty()
                    : names.contains(package),
             qPrintable(depends));
  }
};

QTEST_GUILESS_MAIN(TestDebPackage)
#include "TestDebPackage.moc"
