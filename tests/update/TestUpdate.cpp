// The update check and the web links: the updater's command line, the
// updater really started with its seven values, silence when it is missing,
// and the addresses the links open (captured: no browser, no network).
#include "FakeProgram.h"
#include "TfrmDialog.h"
#include "TUrlCatcher.h"
#include "UUpdate.h"

#include <QApplication>
#include <QDesktopServices>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <functional>

class TestUpdate : public QObject {
  Q_OBJECT

 private slots:
  void init() { FUrls.Opened.clear(); }

  void commandLine_data();
  void commandLine();
  void updaterReceivesItsSevenValues_data();
  void updaterReceivesItsSevenValues();
  void nothingReportedWithoutUpdater_data();
  void nothingReportedWithoutUpdater();
  void nothingReportedBesideThisProgram();
  void webLinks_data();
  void webLinks();

 private:
  TUrlCatcher FUrls;
};

// The text itself: the path unquoted, each value quoted and followed by a
// blank, the empty mode word as a pair of quotation marks.
void TestUpdate::commandLine_data() {
  QTest::addColumn<QString>("programFile");
  QTest::addColumn<QString>("mode");
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("arguments");
  const QString fixed = QStringLiteral(
      "\"Vantrel\" \"V1.2.1\" \"www.vantrel.example\" \"files/getVersion.php?app=Vantrel\" "
      "\"files/updateVantrel.exe\" ");
  QTest::newRow("start-up, folder with blanks")
      << "/opt/mes programmes/Vantrel" << "check" << "/opt/mes programmes/RenewerV1_1"
      << fixed + "\"/opt/mes programmes/Vantrel\" \"check\" ";
  QTest::newRow("asked by the user: empty mode word")
      << "/opt/mes programmes/Vantrel" << "" << "/opt/mes programmes/RenewerV1_1"
      << fixed + "\"/opt/mes programmes/Vantrel\" \"\" ";
  QTest::newRow("program at the root") << "/Vantrel" << "check" << "/RenewerV1_1"
                                       << fixed + "\"/Vantrel\" \"check\" ";
  QTest::newRow("quotation mark and backslash escaped")
      << "/opt/a\"b\\c/Vantrel" << "" << "/opt/a\"b\\c/RenewerV1_1"
      << fixed + "\"/opt/a\\\"b\\\\c/Vantrel\" \"\" ";
}

void TestUpdate::commandLine() {
  QFETCH(QString, programFile);
  QFETCH(QString, mode);
  QFETCH(QString, path);
  QFETCH(QString, arguments);
  QCOMPARE(QString::fromLatin1(UUpdate::UpdaterFileName), QStringLiteral("RenewerV1_1"));
  QCOMPARE(UUpdate::UpdaterPath(programFile), path);
  QCOMPARE(UUpdate::UpdaterArguments(programFile, mode), arguments);
}

// End to end: a fake updater beside a program in a folder whose path holds
// blanks and accents records what it was started with.
void TestUpdate::updaterReceivesItsSevenValues_data() {
  QTest::addColumn<QString>("programName");
  QTest::addColumn<QString>("mode");
  QTest::newRow("start-up check") << "Vantrel" << "check";
  QTest::newRow("check asked by the user") << "Vantrel" << "";
  QTest::newRow("program name with quotes, backslash, dollar")
      << "Van\"trel\\ l'été $HOME" << "check";
}

void TestUpdate::updaterReceivesItsSevenValues() {
  QFETCH(QString, programName);
  QFETCH(QString, mode);
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/Mes programmes à jour XXXXXX"));
  QVERIFY(dir.isValid());
  const QString updater = dir.filePath(QLatin1String(UUpdate::UpdaterFileName));
  QVERIFY(FakeProgram::Write(updater));
  const QString programFile = dir.filePath(programName);

  UUpdate::CheckForUpdates(mode, programFile);

  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(FakeProgram::RecordPath(updater)), 15000);
  const QStringList expected{updater,
                             QStringLiteral("Vantrel"),
                             QStringLiteral("V1.2.1"),
                             QStringLiteral("www.vantrel.example"),
                             QStringLiteral("files/getVersion.php?app=Vantrel"),
                             QStringLiteral("files/updateVantrel.exe"),
                             programFile,
                             mode};
  QCOMPARE(FakeProgram::ReadRecord(updater), expected);
}

// Missing or unstartable: no message, no warning, no window, and the call
// returns at once.
void TestUpdate::nothingReportedWithoutUpdater_data() {
  QTest::addColumn<QString>("updater");
  QTest::newRow("no updater") << "missing";
  QTest::newRow("updater not executable") << "plain";
  QTest::newRow("a folder in its place") << "folder";
}

void TestUpdate::nothingReportedWithoutUpdater() {
  QFETCH(QString, updater);
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/sans renouveau XXXXXX"));
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QLatin1String(UUpdate::UpdaterFileName));
  if (updater == QLatin1String("plain")) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
  }
  if (updater == QLatin1String("folder")) QVERIFY(QDir().mkpath(path));

  QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
  const int shown = TfrmDialog::ShownCount();
  for (const QString &mode : {QStringLiteral("check"), QString()})
    UUpdate::CheckForUpdates(mode, dir.filePath(QStringLiteral("Vantrel")));
  QCOMPARE(TfrmDialog::ShownCount(), shown);
  QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

// The real default: the test program's own folder holds no updater.
void TestUpdate::nothingReportedBesideThisProgram() {
  QVERIFY(!QFile::exists(UUpdate::UpdaterPath(QCoreApplication::applicationFilePath())));
  QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
  const int shown = TfrmDialog::ShownCount();
  UUpdate::CheckForUpdates(QStringLiteral("check"));
  UUpdate::CheckForUpdates(QString());
  QCOMPARE(TfrmDialog::ShownCount(), shown);
  QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestUpdate::webLinks_data() {
  QTest::addColumn<std::function<void()>>("open");
  QTest::addColumn<QUrl>("url");
  QTest::newRow("web site") << std::function<void()>(UUpdate::OpenWebSite)
                            << QUrl(QStringLiteral("http://www.vantrel.example/"));
  QTest::newRow("forum") << std::function<void()>(UUpdate::OpenForum)
                         << QUrl(QStringLiteral("http://www.vantrel.example/forum"));
  QTest::newRow("tutorials") << std::function<void()>(UUpdate::OpenTutorials)
                             << QUrl(QStringLiteral("http://www.vantrel.example/site/VantrelTuto.html"));
}

void TestUpdate::webLinks() {
  QFETCH(std::function<void()>, open);
  QFETCH(QUrl, url);
  open();
  QCOMPARE(FUrls.Opened, QList<QUrl>{url});
  // The update server is the same host.
  QCOMPARE(url.host(), QString::fromLatin1(UUpdate::WebHost));
}

QTEST_MAIN(TestUpdate)
#include "TestUpdate.moc"
