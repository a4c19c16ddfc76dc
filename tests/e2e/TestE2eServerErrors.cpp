// The usual refusals as they really come, from the fixture's MariaDB
// through the real ws.php and its web server, read by the client: a French
// sentence first, then the server's text whole, as MySQL, mysqli, ws.php
// and the client word it. ws.php runs on a web server of the test's own,
// whose settings allow a refusing port and a name that resolves nowhere and
// count no failed logins, save where a case asks for it (the fixture's web
// server serves the other e2e tests from the same address).

#include "E2eSettings.h"
#include "E2eWsInstance.h"
#include "NoProxy.h"
#include "TWebService.h"

#include <QRegularExpression>
#include <QTest>

namespace {

QString Literal(const QString &text) { return QRegularExpression::escape(text); }

const QString kPassword = QStringLiteral(
    "MySQL refuse le compte ou le mot de passe : vérifiez le compte MySQL et son mot de passe dans la "
    "connexion, et que ce compte a le droit de se connecter depuis le serveur web.");
const QString kSyntaxStart = QStringLiteral(
    "You have an error in your SQL syntax; check the manual that corresponds to your MariaDB server version "
    "for the right syntax to use near ");

}  // namespace

class TestE2eServerErrors : public QObject {
  Q_OBJECT

  E2eSettings FSettings;
  WsInstance FInstance;
  RefusingPort FRefusing;
  // A label longer than 63 characters cannot be put into a DNS query: the
  // name fails on the web server without a query leaving it.
  const QString FNowhere = QString(70, QLatin1Char('a')) + QStringLiteral(".example");

  QByteArray Settings(int mostFailures = 0, const QByteArray &more = {}) const {
    return QStringLiteral("return array(\n"
                          "  'allowed_servers' => array('%1', '127.0.0.1:%2', '%3:3306'),\n"
                          "  'connect_timeout' => 2, 'max_failed_logins' => %4,\n")
               .arg(FSettings.SQLServer)
               .arg(FRefusing.Port())
               .arg(FNowhere)
               .arg(mostFailures)
               .toLocal8Bit() +
           more + ");";
  }

  void Aim(TWebService &ws) const {
    FSettings.Apply(ws);
    ws.Settings.WebServer = FInstance.Folder();
  }

  // "user'@'host", as MariaDB names the fixture's account coming from ws.php.
  QString User() const { return Literal("'" + FSettings.Account + "'@'127.0.0.1'"); }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY(FRefusing.Port() != 0);
    // A small post_max_size, reported by ws.php alone: PHP's own report of
    // it must stay out of the answer.
    const QString problem = FInstance.Start(QString::fromLocal8Bit(qgetenv("VANTREL_WS_PHP")),
                                            {"post_max_size=64K", "display_startup_errors=0"});
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
  }

  void init() {
    QVERIFY(FInstance.WriteSettings(Settings()));
    FInstance.ClearTmp();
  }

  void cleanupTestCase() { FInstance.Stop(); }

  void refusals_data() {
    QTest::addColumn<QString>("setting");    // the connection's field to change, if any
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("more");    // more of ws-config.php
    QTest::addColumn<QString>("sentence");   // empty: the server's text alone
    QTest::addColumn<QString>("server");     // the server's whole text, as a pattern

    // The grant on the fixture's database is a pattern, where "_" stands
    // for any character: a name that differs there may be used, and does
    // not exist.
    QString absent = FSettings.Database;
    absent.replace(QLatin1Char('_'), QLatin1Char('x'));
    const QString syntax = QStringLiteral(
        "Erreur de syntaxe SQL près de « %1 » : corrigez la requête à cet endroit ou juste avant (mot mal "
        "écrit, virgule, guillemet ou parenthèse en trop ou manquant).");

    QTest::newRow("1045, wrong password") << "password" << "wrong" << "SELECT 1" << QByteArray() << kPassword
        << "Access denied for user " + User() + Literal(" (using password: YES)");
    QTest::newRow("1044, a database of others") << "database" << "mysql" << "SELECT 1" << QByteArray()
        << QStringLiteral("Le compte MySQL n'a pas accès à la base de données « mysql » : vérifiez son nom dans "
                          "la connexion, ou faites donner à ce compte les droits sur cette base (GRANT).")
        << "Access denied for user " + User() + Literal(" to database 'mysql'");
    QTest::newRow("1142, a table of others") << "" << "" << "SELECT * FROM mysql.user" << QByteArray()
        << QStringLiteral("Le compte MySQL n'a pas le droit de faire cette opération sur cette table : "
                          "faites-lui donner ce droit (GRANT) ou utilisez un compte qui l'a.")
        << "SELECT command denied to user " + User() + Literal(" for table `mysql`.`user`");
    QTest::newRow("1227, an administrator's statement") << "" << "" << "SET GLOBAL max_connections = 100"
        << QByteArray()
        << QStringLiteral("Le compte MySQL n'a pas le privilège que demande cette opération : faites-la avec un "
                          "compte d'administration du serveur MySQL.")
        << Literal("Access denied; you need (at least one of) the ") + ".+" +
               Literal(" privilege(s) for this operation");
    QTest::newRow("1049, no such database")
        << "database" << (absent == FSettings.Database ? QString() : absent) << "SELECT 1" << QByteArray()
        << QStringLiteral("La base de données « %1 » n'existe pas sur ce serveur MySQL : corrigez son nom dans la "
                          "connexion ou dans la requête.")
               .arg(absent)
        << Literal("Unknown database '" + absent + "'");
    QTest::newRow("1064") << "" << "" << "SELEC 1" << QByteArray() << syntax.arg("SELEC 1")
        << Literal(kSyntaxStart + "'SELEC 1' at line 1");
    QTest::newRow("1064 at the end") << "" << "" << "SELECT 1 FROM" << QByteArray()
        << QStringLiteral("Erreur de syntaxe SQL à la fin de la requête : elle est incomplète ; complétez-la, ou "
                          "fermez le guillemet ou la parenthèse restés ouverts.")
        << Literal(kSyntaxStart + "'' at line 1");
    // MySQL quotes the statement with the CR that stays of its CR LF, and
    // the error line ends there.
    QTest::newRow("1064 over lines") << "" << "" << "SELEC\r\n1" << QByteArray() << syntax.arg("SELEC")
        << Literal(kSyntaxStart + "'SELEC");
    QTest::newRow("2002, no local server") << "server" << "localhost" << "SELECT 1" << QByteArray()
        << QStringLiteral("Le serveur web ne trouve pas de serveur MySQL local sur son socket : vérifiez que MySQL "
                          "est démarré sur la machine du serveur web, ou indiquez dans la connexion l'adresse et "
                          "le port du serveur MySQL (par exemple 127.0.0.1:3306).")
        << Literal("Cannot connect to the MySQL server localhost: No such file or directory");
    const QString refusing = "127.0.0.1:" + QString::number(FRefusing.Port());
    QTest::newRow("2003, a port that refuses") << "server" << refusing << "SELECT 1" << QByteArray()
        << QStringLiteral("Le serveur web n'a pas pu se connecter au serveur MySQL : vérifiez le nom et le port du "
                          "serveur MySQL dans la connexion, tels que le serveur web les voit, que MySQL est "
                          "démarré et qu'il accepte les connexions réseau (bind-address, pare-feu).")
        << Literal("Cannot connect to the MySQL server " + refusing + ": Connection refused");
    QTest::newRow("2005, a name found nowhere") << "server" << FNowhere + ":3306" << "SELECT 1" << QByteArray()
        << QStringLiteral("Le serveur web ne trouve pas le serveur MySQL sous ce nom : corrigez le serveur MySQL "
                          "dans la connexion ; ce nom est cherché par le serveur web, pas par cet ordinateur.")
        << Literal("Cannot connect to the MySQL server " + FNowhere + ":3306: php_network_getaddresses: "
                   "getaddrinfo for " + FNowhere + " failed: ") + ".+";
    QTest::newRow("server not allowed") << "server" << "127.0.0.1:2" << "SELECT 1" << QByteArray()
        << QStringLiteral("ws.php n'autorise pas le serveur MySQL « 127.0.0.1:2 » : ajoutez-le (sous la forme "
                          "« hôte:port ») au réglage allowed_servers de ws-config.php, à côté de ws.php sur le "
                          "serveur web, ou corrigez le serveur MySQL de la connexion.")
        << Literal("The MySQL server 127.0.0.1:2 is not in the list of servers allowed by ws.php; no "
                   "connection was attempted");
    QTest::newRow("empty password") << "password" << "" << "SELECT 1" << QByteArray()
        << QStringLiteral("ws.php refuse les mots de passe vides : saisissez dans la connexion le mot de passe du "
                          "compte MySQL, ou donnez-en un à ce compte s'il n'en a pas.")
        << Literal("Empty passwords are refused by ws.php: an account without a password must not be "
                   "reachable from the web");
    QTest::newRow("empty statement") << "" << "" << "" << QByteArray()
        << QStringLiteral("La requête envoyée est vide : saisissez une instruction SQL avant de l'exécuter.")
        << Literal("No statement to run (WS_query is empty)");
    QTest::newRow("larger than post_max_size") << "" << ""
        << "SELECT '" + QString(100 * 1024, QLatin1Char('x')) + "'" << QByteArray()
        << QStringLiteral("La requête dépasse la taille que PHP accepte sur le serveur web : raccourcissez-la, ou "
                          "faites relever post_max_size dans la configuration de PHP.")
        << Literal("The request (") + "\\d+" +
               Literal(" bytes) is larger than the web server accepts (post_max_size 64K)");
    QTest::newRow("longer than the read time-out") << "" << "" << "SELECT SLEEP(3)"
        << QByteArray("'read_timeout' => 1,")
        << QStringLiteral("Le serveur MySQL n'a pas répondu dans le délai de ws.php : la requête s'exécute "
                          "peut-être encore sur le serveur MySQL ; vérifiez-le avant de la relancer, allégez-la, "
                          "ou faites relever read_timeout dans ws-config.php.")
        << Literal("The MySQL server sent nothing for 1 second, the read time-out of ws.php (read_timeout in "
                   "ws-config.php); the statement may still be running there");
    QTest::newRow("wrong folder") << "folder" << "/nowhere" << "SELECT 1" << QByteArray()
        << QStringLiteral("ws.php est introuvable à cette adresse : vérifiez l'adresse du serveur web dans la "
                          "connexion, qui doit être celle du dossier qui contient ws.php (sans « /ws.php » à la "
                          "fin).")
        << Literal("Not Found (404) - '" + FInstance.Folder() + "/nowhere/ws.php?") + "[0-9.,]+'";
    // Any other error as it came.
    QTest::newRow("another error") << "" << "" << "SELECT * FROM nowhere" << QByteArray() << QString()
        << Literal("Table '" + FSettings.Database + ".nowhere' doesn't exist");
  }

  void refusals() {
    QFETCH(QString, setting);
    QFETCH(QString, value);
    QFETCH(QString, statement);
    QFETCH(QByteArray, more);
    QFETCH(QString, sentence);
    QFETCH(QString, server);
    if (setting == QLatin1String("database") && value.isEmpty())
      QSKIP("the fixture's database has no \"_\" to vary");
    if (!more.isEmpty()) QVERIFY(FInstance.WriteSettings(Settings(0, more)));
    TWebService ws;
    Aim(ws);
    if (setting == QLatin1String("password")) ws.Settings.Password = value;
    if (setting == QLatin1String("database")) ws.Settings.Database = value;
    if (setting == QLatin1String("server")) ws.Settings.SQLServer = value;
    if (setting == QLatin1String("folder")) ws.Settings.WebServer += value;
    ws.Execute(statement);
    const QString lead = sentence.isEmpty() ? QString() : sentence + u' ';
    QVERIFY2(ws.ErrorText.startsWith(lead), qPrintable(ws.ErrorText));
    const QString text = ws.ErrorText.mid(lead.size());
    QVERIFY2(QRegularExpression("^(?:" + server + ")$").match(text).hasMatch(), qPrintable(ws.ErrorText));
    QCOMPARE(ws.RecordCount(), 1);
    QCOMPARE(ws.FieldCount(), 0);
  }

  // After too many failed logins ws.php refuses even the right password
  // for a while, and says how long.
  void tooManyFailedLogins() {
    QVERIFY(FInstance.WriteSettings(Settings(1)));
    TWebService ws;
    Aim(ws);
    ws.Settings.Password = QStringLiteral("wrong");
    ws.Execute("SELECT 1");
    QVERIFY2(ws.ErrorText.startsWith(kPassword + " Access denied for user"), qPrintable(ws.ErrorText));

    Aim(ws);
    ws.Execute("SELECT 1");
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^ws\\.php refuse pour l'instant les connexions venant de votre "
                                          "adresse, après trop d'échecs de connexion : attendez (\\d+) "
                                          "secondes?, puis vérifiez le compte et le mot de passe de la "
                                          "connexion avant de réessayer\\. (.*)$"))
            .match(ws.ErrorText);
    QVERIFY2(match.hasMatch(), qPrintable(ws.ErrorText));
    const QString seconds = match.captured(1);
    QCOMPARE(match.captured(2), "Too many failed logins from your address: wait " + seconds +
                                    (seconds == QLatin1String("1") ? " second" : " seconds") +
                                    " before trying again");
  }
};

QTEST_GUILESS_MAIN(TestE2eServerErrors)
#include "TestE2eServerErrors.moc"
