// ws.php over HTTPS (nginx and PHP-FPM, a certificate for 127.0.0.1 and
// localhost from an authority that the e2e_nginx fixture made): trusted only
// once that authority is given to the client, never by turning the check
// off, and refused with a text that says what to do otherwise.

#include "E2eSettings.h"
#include "NoProxy.h"
#include "SqlProcess.h"
#include "TWebService.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestE2eHttps : public QObject {
  Q_OBJECT

  E2eSettings FSettings;
  QTemporaryDir FDir;

  // A file of the given bytes in the test's folder.
  QString Write(const QString &name, const QByteArray &bytes) {
    const QString path = FDir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return path;
  }

  // The request's URL up to the time that ends it.
  QString Url() const { return FSettings.WebServer + QStringLiteral("/ws.php?"); }

  // The file that a case names: the fixture's authority, another one, none.
  QString CaFile(const QString &which) {
    if (which == QLatin1String("authority")) return FSettings.CaFile;
    if (which == QLatin1String("missing")) return FDir.filePath(QStringLiteral("nowhere.pem"));
    if (which == QLatin1String("not a certificate")) return Write("text.pem", "not a certificate\n");
    if (which == QLatin1String("another authority")) return OtherAuthority();
    return QString();
  }

  // An authority of the test's own, which signed nothing of the server's.
  QString OtherAuthority() {
    const QString key = FDir.filePath(QStringLiteral("other.key"));
    const QString certificate = FDir.filePath(QStringLiteral("other.pem"));
    if (QFile::exists(certificate)) return certificate;
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                   "-keyout", key, "-out", certificate, "-days", "2", "-subj", "/CN=Other authority"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) return QString();
    return certificate;
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    qunsetenv("VANTREL_CA_FILE");
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY2(FSettings.WebServer.startsWith(QLatin1String("https://")), qPrintable(FSettings.WebServer));
    QVERIFY2(!FSettings.CaFile.isEmpty(), "no authority in the fixture's settings");
    QVERIFY(FDir.isValid());
  }

  void trust_data() {
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("host");  // in place of 127.0.0.1, when not empty
    QTest::addColumn<QString>("error");  // empty: the statement runs

    const QString unknown = QStringLiteral(
        "Le certificat du serveur web « %1 » est délivré par une autorité inconnue de cet ordinateur : "
        "faites installer sur le serveur un certificat d'une autorité reconnue, avec ses certificats "
        "intermédiaires, ou, si vous faites confiance à cette autorité (celle de votre entreprise), "
        "indiquez le fichier de son certificat au programme (variable VANTREL_CA_FILE, option --ca-file "
        "de vantrel-sql)");
    const QString unusable = QStringLiteral(
        "Le fichier d'autorités de certification « %1 » est introuvable, illisible ou sans certificat au "
        "format PEM : vérifiez le fichier indiqué par la variable VANTREL_CA_FILE ou l'option --ca-file");
    QTest::newRow("its authority given") << "authority" << "" << "";
    QTest::newRow("its authority, by the name localhost") << "authority" << "localhost" << "";
    QTest::newRow("no authority given") << "" << "" << unknown.arg("127.0.0.1");
    QTest::newRow("another authority given") << "another authority" << "" << unknown.arg("127.0.0.1");
    QTest::newRow("no such file") << "missing" << "" << unusable;
    QTest::newRow("a file that holds no certificate") << "not a certificate" << "" << unusable;
  }

  void trust() {
    QFETCH(QString, caFile);
    QFETCH(QString, host);
    QFETCH(QString, error);
    const QString file = CaFile(caFile);
    QVERIFY(caFile.isEmpty() || !file.isEmpty());
    TWebService ws;
    FSettings.Apply(ws);
    ws.SetCaFile(file);
    if (!host.isEmpty()) {
      QUrl url(ws.Settings.WebServer);
      url.setHost(host);
      ws.Settings.WebServer = url.toString();
    }
    ws.Execute(QStringLiteral("SELECT 'sûr' AS mot"));
    if (error.isEmpty()) {
      QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(ws.ErrorText));
      QCOMPARE(ws.FieldNames(), QStringList{"mot"});
      QCOMPARE(ws.GetValue(0), QStringLiteral("sûr"));
      return;
    }
    // The URL ends with the time of the request.
    const QString expected = (error.contains(QLatin1String("%1")) ? error.arg(file) : error) +
                             QStringLiteral(" - URL:") + Url();
    QVERIFY2(ws.ErrorText.startsWith(expected), qPrintable(ws.ErrorText));
    QCOMPARE(ws.RecordCount(), 1);
    QCOMPARE(ws.FieldCount(), 0);
  }

  // One client: the authority given, dropped, given again; a connection
  // made while it was trusted is not reused once it no longer is.
  void trustChangesOnOneClient() {
    TWebService ws;
    FSettings.Apply(ws);
    ws.Execute(QStringLiteral("SELECT 1"));
    QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(ws.ErrorText));
    ws.SetCaFile(QString());
    ws.Execute(QStringLiteral("SELECT 2"));
    QVERIFY2(ws.ErrorText.contains(QStringLiteral("autorité inconnue")), qPrintable(ws.ErrorText));
    ws.SetCaFile(FSettings.CaFile);
    ws.Execute(QStringLiteral("SELECT 3"));
    QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(ws.ErrorText));
    QCOMPARE(ws.GetValue(0), QStringLiteral("3"));
  }

  // vantrel-sql: --ca-file, else VANTREL_CA_FILE; the option wins.
  void commandLine_data() {
    QTest::addColumn<QString>("option");       // --ca-file's file
    QTest::addColumn<QString>("environment");  // VANTREL_CA_FILE
    QTest::addColumn<QByteArray>("error");     // the start of standard error; empty: success
    QTest::newRow("--ca-file") << "authority" << "" << QByteArray();
    QTest::newRow("VANTREL_CA_FILE") << "" << "authority" << QByteArray();
    QTest::newRow("--ca-file wins") << "authority" << "missing" << QByteArray();
    QTest::newRow("neither") << "" << "" << QByteArray("Le certificat du serveur web « 127.0.0.1 » est délivré par une autorité inconnue");
    QTest::newRow("--ca-file wins, wrong") << "missing" << "authority"
        << QByteArray("Le fichier d'autorités de certification « ");
  }

  void commandLine() {
    QFETCH(QString, option);
    QFETCH(QString, environment);
    QFETCH(QByteArray, error);
    QStringList arguments{"--web-server", FSettings.WebServer, "--sql-server", FSettings.SQLServer,
                          "--database",   FSettings.Database,  "--account",    FSettings.Account,
                          "--password",   FSettings.Password};
    if (!option.isEmpty()) arguments << "--ca-file" << CaFile(option);
    arguments << "SELECT 'oui' AS ok";
    if (!environment.isEmpty()) qputenv("VANTREL_CA_FILE", CaFile(environment).toLocal8Bit());
    const SqlRun run = RunSql(arguments);
    qunsetenv("VANTREL_CA_FILE");
    if (error.isEmpty()) {
      QCOMPARE(run.err, QByteArray());
      QCOMPARE(run.status, 0);
      QCOMPARE(run.out, QByteArray("ok\noui\n"));
      return;
    }
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith(error) && run.err.contains(Url().toUtf8()), run.err.constData());
  }
};

QTEST_GUILESS_MAIN(TestE2eHttps)
#include "TestE2eHttps.moc"
