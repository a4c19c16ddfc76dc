// The French sentence put before the usual refusals of MySQL, ws.php and
// the web server, from their texts as MySQL, MariaDB, the client libraries,
// ws.php and the client write them; the text itself follows whole, and any
// other text is left as it is. The texts met through the real ws.php are
// checked again in TestE2eServerErrors.

#include "UServerErrors.h"

#include <QTest>

class TestServerErrors : public QObject {
  Q_OBJECT

 private slots:
  void explained_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("sentence");  // empty: the message stays as it is

    const QString password = QStringLiteral(
        "MySQL refuse le compte ou le mot de passe : vérifiez le compte MySQL et son mot de passe dans la "
        "connexion, et que ce compte a le droit de se connecter depuis le serveur web.");
    const QString tableRights = QStringLiteral(
        "Le compte MySQL n'a pas le droit de faire cette opération sur cette table : faites-lui donner ce "
        "droit (GRANT) ou utilisez un compte qui l'a.");
    const QString syntax = QStringLiteral(
        "Erreur de syntaxe SQL près de « %1 »%2 : corrigez la requête à cet endroit ou juste avant (mot mal "
        "écrit, virgule, guillemet ou parenthèse en trop ou manquant).");
    const QString syntaxStart = QStringLiteral(
        "You have an error in your SQL syntax; check the manual that corresponds to your MariaDB server "
        "version for the right syntax to use near ");
    const QString socket = QStringLiteral(
        "Le serveur web ne trouve pas de serveur MySQL local sur son socket : vérifiez que MySQL est "
        "démarré sur la machine du serveur web, ou indiquez dans la connexion l'adresse et le port du "
        "serveur MySQL (par exemple 127.0.0.1:3306).");
    const QString reach = QStringLiteral(
        "Le serveur web n'a pas pu se connecter au serveur MySQL : vérifiez le nom et le port du serveur "
        "MySQL dans la connexion, tels que le serveur web les voit, que MySQL est démarré et qu'il accepte "
        "les connexions réseau (bind-address, pare-feu).");
    const QString host = QStringLiteral(
        "Le serveur web ne trouve pas le serveur MySQL sous ce nom : corrigez le serveur MySQL dans la "
        "connexion ; ce nom est cherché par le serveur web, pas par cet ordinateur.");
    const QString logins = QStringLiteral(
        "ws.php refuse pour l'instant les connexions venant de votre adresse, après trop d'échecs de "
        "connexion : attendez %1, puis vérifiez le compte et le mot de passe de la connexion avant de "
        "réessayer.");
    const QString url = QStringLiteral(" - 'http://db.exemple.org/app/ws.php?45291,5'");

    // MySQL's refusals, as MariaDB and MySQL word them.
    QTest::newRow("1045") << "Access denied for user 'vantrel_e2e'@'127.0.0.1' (using password: YES)" << password;
    QTest::newRow("1045 without a password") << "Access denied for user 'shop'@'localhost' (using password: NO)"
                                             << password;
    QTest::newRow("1698, no login by password") << "Access denied for user 'root'@'localhost'" << password;
    QTest::newRow("1044") << "Access denied for user 'shop'@'%' to database 'mysql'"
        << QStringLiteral("Le compte MySQL n'a pas accès à la base de données « mysql » : vérifiez son nom "
                          "dans la connexion, ou faites donner à ce compte les droits sur cette base (GRANT).");
    QTest::newRow("1142, MariaDB") << "SELECT command denied to user 'shop'@'127.0.0.1' for table `mysql`.`user`"
                                   << tableRights;
    QTest::newRow("1142, MySQL") << "DELETE command denied to user 'shop'@'localhost' for table 'orders'"
                                 << tableRights;
    QTest::newRow("1143, a column")
        << "SELECT command denied to user 'shop'@'localhost' for column 'price' in table 'items'" << tableRights;
    QTest::newRow("1227")
        << "Access denied; you need (at least one of) the SUPER, CONNECTION ADMIN privilege(s) for this operation"
        << QStringLiteral("Le compte MySQL n'a pas le privilège que demande cette opération : faites-la avec "
                          "un compte d'administration du serveur MySQL.");
    QTest::newRow("1049") << "Unknown database 'shop'"
        << QStringLiteral("La base de données « shop » n'existe pas sur ce serveur MySQL : corrigez son nom "
                          "dans la connexion ou dans la requête.");

    // 1064: the place MySQL names; its "line 1" is where every statement
    // of the client is, and is not repeated.
    QTest::newRow("1064") << syntaxStart + "'SELEC 1' at line 1" << syntax.arg("SELEC 1", "");
    QTest::newRow("1064, MySQL, a later line")
        << "You have an error in your SQL syntax; check the manual that corresponds to your MySQL server "
           "version for the right syntax to use near 'FROM WHERE' at line 3"
        << syntax.arg("FROM WHERE", " (ligne 3)");
    QTest::newRow("1064 at the end") << syntaxStart + "'' at line 1"
        << QStringLiteral("Erreur de syntaxe SQL à la fin de la requête : elle est incomplète ; complétez-la, "
                          "ou fermez le guillemet ou la parenthèse restés ouverts.");
    QTest::newRow("1064, a quote left open") << syntaxStart + "''x' at line 1" << syntax.arg("'x", "");
    // MySQL quotes the statement with its CR, where the line ends.
    QTest::newRow("1064 cut at a carriage return") << syntaxStart + "'SELEC" << syntax.arg("SELEC", "");
    QTest::newRow("1064 quoting another case's words")
        << syntaxStart + "'Access denied for user 'a'@'b' (using password: YES)' at line 1"
        << syntax.arg("Access denied for user 'a'@'b' (using password: YES)", "");

    // The MySQL server not reached from the web server, as ws.php words it
    // after mysqlnd, and as the client libraries do alone.
    QTest::newRow("2002, ws.php") << "Cannot connect to the MySQL server localhost: No such file or directory"
                                  << socket;
    QTest::newRow("2002, libmysqlclient")
        << "Can't connect to local MySQL server through socket '/var/run/mysqld/mysqld.sock' (2)" << socket;
    QTest::newRow("2002, MariaDB's connector")
        << "Can't connect to local server through socket '/run/mysqld/mysqld.sock' (2)" << socket;
    QTest::newRow("2003, ws.php") << "Cannot connect to the MySQL server 127.0.0.1:1: Connection refused" << reach;
    QTest::newRow("2003, ws.php, silent server")
        << "Cannot connect to the MySQL server db.lan:3306: no answer within 5 seconds" << reach;
    QTest::newRow("2003, libmysqlclient") << "Can't connect to MySQL server on 'db.lan:3306' (111)" << reach;
    QTest::newRow("2003, MariaDB's connector") << "Can't connect to server on 'db.lan' (115)" << reach;
    QTest::newRow("2003, mysqlnd") << "Connection refused" << reach;
    QTest::newRow("2005, ws.php")
        << "Cannot connect to the MySQL server db.lan:3306: php_network_getaddresses: getaddrinfo for db.lan "
           "failed: Name or service not known"
        << host;
    QTest::newRow("2005, older mysqlnd")
        << "php_network_getaddresses: getaddrinfo failed: Name or service not known" << host;
    QTest::newRow("2005, libmysqlclient") << "Unknown MySQL server host 'db.lan' (-2)" << host;
    QTest::newRow("2005, MariaDB's connector behind ws.php")
        << "Cannot connect to the MySQL server db.lan: Unknown server host 'db.lan' (-2)" << host;

    // ws.php's own refusals.
    QTest::newRow("server not allowed")
        << "The MySQL server 192.0.2.1:3306 is not in the list of servers allowed by ws.php; no connection was "
           "attempted"
        << QStringLiteral("ws.php n'autorise pas le serveur MySQL « 192.0.2.1:3306 » : ajoutez-le (sous la "
                          "forme « hôte:port ») au réglage allowed_servers de ws-config.php, à côté de ws.php "
                          "sur le serveur web, ou corrigez le serveur MySQL de la connexion.");
    QTest::newRow("too many failed logins")
        << "Too many failed logins from your address: wait 42 seconds before trying again"
        << logins.arg("42 secondes");
    QTest::newRow("too many failed logins, one second")
        << "Too many failed logins from your address: wait 1 second before trying again" << logins.arg("1 seconde");
    QTest::newRow("empty password")
        << "Empty passwords are refused by ws.php: an account without a password must not be reachable from the "
           "web"
        << QStringLiteral("ws.php refuse les mots de passe vides : saisissez dans la connexion le mot de passe "
                          "du compte MySQL, ou donnez-en un à ce compte s'il n'en a pas.");
    QTest::newRow("empty statement") << "No statement to run (WS_query is empty)"
        << QStringLiteral("La requête envoyée est vide : saisissez une instruction SQL avant de l'exécuter.");
    QTest::newRow("post_max_size")
        << "The request (1536123 bytes) is larger than the web server accepts (post_max_size 1M)"
        << QStringLiteral("La requête dépasse la taille que PHP accepte sur le serveur web : raccourcissez-la, "
                          "ou faites relever post_max_size dans la configuration de PHP.");
    QTest::newRow("read time-out")
        << "The MySQL server sent nothing for 60 seconds, the read time-out of ws.php (read_timeout in "
           "ws-config.php); the statement may still be running there"
        << QStringLiteral("Le serveur MySQL n'a pas répondu dans le délai de ws.php : la requête s'exécute "
                          "peut-être encore sur le serveur MySQL ; vérifiez-le avant de la relancer, "
                          "allégez-la, ou faites relever read_timeout dans ws-config.php.");

    // The web server's statuses, in the client's words.
    QTest::newRow("401") << "Unauthorized (401)" + url
        << QStringLiteral("Le serveur web demande un nom d'utilisateur et un mot de passe (authentification "
                          "HTTP) pour le dossier de ws.php, et le programme n'en envoie pas : levez cette "
                          "protection pour ws.php sur le serveur web.");
    QTest::newRow("403") << "Forbidden (403)" + url
        << QStringLiteral("Le serveur web interdit l'accès à ws.php : vérifiez sur le serveur web les droits "
                          "de lecture du fichier et de son dossier, et les règles d'accès de sa configuration "
                          "(ou d'un fichier .htaccess).");
    const QString notFound = QStringLiteral(
        "ws.php est introuvable à cette adresse : vérifiez l'adresse du serveur web dans la connexion, qui "
        "doit être celle du dossier qui contient ws.php (sans « /ws.php » à la fin).");
    QTest::newRow("404") << "Not Found (404)" + url << notFound;
    QTest::newRow("404 over HTTP/2, without a status text") << " (404)" + url << notFound;
    QTest::newRow("405") << "Method Not Allowed (405)" + url
        << QStringLiteral("Le serveur web refuse la requête POST à ws.php : vérifiez que PHP est activé pour "
                          "le dossier de ws.php (sans PHP, le fichier est servi comme une simple page) et que "
                          "l'adresse de la connexion mène bien à ce dossier.");
    QTest::newRow("413") << "Request Entity Too Large (413)" + url
        << QStringLiteral("La requête est trop grande pour le serveur web : raccourcissez-la, ou faites relever "
                          "sa limite de taille des requêtes (client_max_body_size de nginx, LimitRequestBody "
                          "d'Apache, post_max_size de PHP).");
    QTest::newRow("500") << "Internal Server Error (500)" + url
        << QStringLiteral("Le serveur web a échoué en exécutant ws.php (erreur interne) : consultez le journal "
                          "d'erreurs du serveur web et de PHP.");
    QTest::newRow("501") << "Not Implemented (501)" + url
        << QStringLiteral("Le serveur web ne sait pas traiter une requête POST : vérifiez que l'adresse de la "
                          "connexion est celle d'un serveur web où PHP exécute ws.php.");
    QTest::newRow("502") << "Bad Gateway (502)" + url
        << QStringLiteral("Le serveur web n'a pas obtenu de réponse valable de PHP ou du serveur qu'il relaie : "
                          "vérifiez que PHP (PHP-FPM) est démarré, et consultez le journal d'erreurs du serveur "
                          "web.");
    QTest::newRow("503") << "Service Unavailable (503)" + url
        << QStringLiteral("Le serveur web est indisponible pour le moment (surchargé, en maintenance ou PHP "
                          "arrêté) : réessayez dans un moment, et si cela dure, consultez son journal "
                          "d'erreurs.");
    QTest::newRow("504") << "Gateway Timeout (504)" + url
        << QStringLiteral("Le serveur web a attendu PHP trop longtemps et a abandonné : la requête a peut-être "
                          "été exécutée ; vérifiez-le avant de la relancer, allégez-la, ou faites relever les "
                          "délais du serveur web (fastcgi_read_timeout de nginx, Timeout d'Apache).");

    // Everything else as it came.
    QTest::newRow("empty") << "" << "";
    QTest::newRow("another MySQL error") << "Table 'shop.x' doesn't exist" << "";
    QTest::newRow("a case's words inside another error") << "Unknown column 'Unknown database' in 'field list'"
                                                         << "";
    QTest::newRow("refusal without its account") << "Access denied for user 'reader'" << "";
    QTest::newRow("syntax error without its place") << "You have an error in your SQL syntax; " + QString(90, 'x')
                                                    << "";
    QTest::newRow("a status without a sentence") << "Found (302)" + url << "";
    QTest::newRow("418") << "I'm a teapot (418)" + url << "";
    QTest::newRow("status words not at the end") << "Not Found (404)" + url + " later" << "";
    QTest::newRow("the client's own text")
        << "Le serveur web « 127.0.0.1 » refuse la connexion ou ne peut être atteint : vérifiez son adresse et "
           "son port dans la connexion, que le serveur web est démarré et votre accès au réseau - "
           "URL:http://127.0.0.1:1/ws.php?1,5"
        << "";
  }

  void explained() {
    QFETCH(QString, message);
    QFETCH(QString, sentence);
    QCOMPARE(UServerErrors::Sentence(message), sentence);
    QCOMPARE(UServerErrors::Explained(message), sentence.isEmpty() ? message : sentence + u' ' + message);
  }

  // A place longer than MySQL quotes is shortened in the sentence, never
  // in the text after it.
  void longPlace() {
    const QString place = QString(150, QLatin1Char('y'));
    const QString message = "You have an error in your SQL syntax; check the manual for the right syntax to use "
                            "near '" + place + "' at line 1";
    const QString explained = UServerErrors::Explained(message);
    QVERIFY2(explained.startsWith("Erreur de syntaxe SQL près de « " + place.left(100) + QChar(0x2026) + " »"),
             qPrintable(explained));
    QVERIFY(explained.endsWith(u' ' + message));
  }
};

QTEST_GUILESS_MAIN(TestServerErrors)
#include "TestServerErrors.moc"
