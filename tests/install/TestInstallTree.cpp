// `cmake --install` of the build tree into a fresh prefix: every file in its
// place and nothing else, the icons of the sizes their folders claim, the
// desktop entry and the AppStream description valid and pointing at what
// was installed, and the installed command-line client runnable.
#include "InstalledFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

class TestInstallTree : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FPrefix;

  QString Installed(const QString &relative) const { return FPrefix.filePath(relative); }

 private slots:
  void initTestCase() {
    QVERIFY(FPrefix.isValid());
    const TRun run = RunProgram(QStringLiteral(VANTREL_CMAKE),
                                {QStringLiteral("--install"), QStringLiteral(VANTREL_BUILD_DIR),
                                 QStringLiteral("--prefix"), FPrefix.path()});
    QVERIFY2(run.Status == 0, run.Output.constData());
  }

  void everyFileAndNothingElse() {
    QStringList found;
    for (QDirIterator it(FPrefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
      found << QDir(FPrefix.path()).relativeFilePath(it.next());
    found.sort();
    QCOMPARE(found, InstalledFiles());
  }

  void programsRun() {
    for (const QString &program : InstalledPrograms())
      QVERIFY2(QFileInfo(Installed(program)).isExecutable(), qPrintable(program));
    const TRun run = RunProgram(Installed(QStringLiteral("bin/vantrel-sql")), {QStringLiteral("--help")});
    QVERIFY2(run.Status == 0, run.Output.constData());
    QVERIFY2(run.Output.contains("--web-server"), run.Output.constData());
  }

  void iconSizes_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    for (const auto &icon : InstalledIcons()) QTest::newRow(qPrintable(icon.first)) << icon.first << icon.second;
  }
  void iconSizes() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QImage image(Installed(file));
    QVERIFY2(!image.isNull(), qPrintable(file));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
  }

  void desktopEntry() {
    const QString file = Installed(kDesktopFile);
    const TRun run = RunProgram(QStringLiteral("desktop-file-validate"), {file});
    QVERIFY2(run.Status == 0 && run.Output.isEmpty(), run.Output.constData());

    // QSettings would take ';' for a comment and ',' for a list.
    QFile text(file);
    QVERIFY(text.open(QIODevice::ReadOnly));
    QHash<QString, QString> entry;
    for (const QByteArray &line : text.readAll().split('\n')) {
      const int equals = line.indexOf('=');
      if (equals > 0) entry.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    // It starts the program the package puts on the path, under the icon it
    // installs, and says in French what it is.
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("vantrel"));
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("vantrel"));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Vantrel"));
    QVERIFY(entry.value(QStringLiteral("Comment")).contains(QStringLiteral("à travers un serveur web")));
    QVERIFY(entry.value(QStringLiteral("Categories")).startsWith(QStringLiteral("Development;Database")));
  }

  void appStreamDescription() {
    const QString file = Installed(kAppStreamFile);
    const TRun run = RunProgram(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), file});
    QVERIFY2(run.Status == 0, run.Output.constData());

    QFile xml(file);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(xml.readAll());
    // The desktop entry it launches is the installed one, its release is
    // this build's version, and it is described in both languages.
    QVERIFY(text.contains(QStringLiteral("<launchable type=\"desktop-id\">%1</launchable>")
                              .arg(QFileInfo(kDesktopFile).fileName())));
    const QRegularExpressionMatch release =
        QRegularExpression(QStringLiteral("<release version=\"([^\"]+)\" date=\"\\d{4}-\\d{2}-\\d{2}\"")).match(text);
    QVERIFY(release.hasMatch());
    QCOMPARE(release.captured(1), QStringLiteral(VANTREL_VERSION));
    QVERIFY(text.contains(QStringLiteral("<p xml:lang=\"fr\">")));
    QVERIFY(text.contains(QStringLiteral("<summary>")));
  }

  void serverScript() {
    // The copy a user takes to their web server is the project's ws.php.
    QFile installed(Installed(QStringLiteral("share/vantrel/server/ws.php")));
    QFile source(QStringLiteral(VANTREL_SOURCE_DIR "/server/ws.php"));
    QVERIFY(installed.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
    QCOMPARE(installed.readAll(), source.readAll());
  }
};

QTEST_GUILESS_MAIN(TestInstallTree)
#include "TestInstallTree.moc"
