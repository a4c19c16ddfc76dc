#include "UServerErrors.h"

#include "UNetworkErrors.h"

#include <QRegularExpression>

#include <vector>

namespace UServerErrors {

namespace {

using TMatch = QRegularExpressionMatch;

QString Password(const TMatch &) {
  return QStringLiteral("MySQL refuse le compte ou le mot de passe : vérifiez le compte MySQL et son "
                        "mot de passe dans la connexion, et que ce compte a le droit de se connecter "
                        "depuis le serveur web.");
}

QString DatabaseRights(const TMatch &match) {
  return QStringLiteral("Le compte MySQL n'a pas accès à la base de données « %1 » : vérifiez son nom "
                        "dans la connexion, ou faites donner à ce compte les droits sur cette base "
                        "(GRANT).")
      .arg(match.captured(1));
}

QString TableRights(const TMatch &) {
  return QStringLiteral("Le compte MySQL n'a pas le droit de faire cette opération sur cette table : "
                        "faites-lui donner ce droit (GRANT) ou utilisez un compte qui l'a.");
}

QString Privilege(const TMatch &) {
  return QStringLiteral("Le compte MySQL n'a pas le privilège que demande cette opération : faites-la "
                        "avec un compte d'administration du serveur MySQL.");
}

QString UnknownDatabase(const TMatch &match) {
  return QStringLiteral("La base de données « %1 » n'existe pas sur ce serveur MySQL : corrigez son nom "
                        "dans la connexion ou dans la requête.")
      .arg(match.captured(1));
}

QString HostNotFound(const TMatch &) {
  return QStringLiteral("Le serveur web ne trouve pas le serveur MySQL sous ce nom : corrigez le serveur "
                        "MySQL dans la connexion ; ce nom est cherché par le serveur web, pas par cet "
                        "ordinateur.");
}

QString NoLocalServer(const TMatch &) {
  return QStringLiteral("Le serveur web ne trouve pas de serveur MySQL local sur son socket : vérifiez "
                        "que MySQL est démarré sur la machine du serveur web, ou indiquez dans la "
                        "connexion l'adresse et le port du serveur MySQL (par exemple 127.0.0.1:3306).");
}

QString NotReached(const TMatch &) {
  return QStringLiteral("Le serveur web n'a pas pu se connecter au serveur MySQL : vérifiez le nom et le "
                        "port du serveur MySQL dans la connexion, tels que le serveur web les voit, que "
                        "MySQL est démarré et qu'il accepte les connexions réseau (bind-address, "
                        "pare-feu).");
}

// The statement travels on one line (its line feeds become blanks), so
// MySQL's "line 1" says nothing there; a later line, from a statement sent
// otherwise, does.
// MySQL quotes at most some 80 characters of the place; a longer quote (a
// server of another kind) is shortened here, and stays whole after.
constexpr int kMostQuoted = 100;

QString Syntax(const TMatch &match) {
  QString near = match.captured(1);
  if (near.size() > kMostQuoted) {
    near.truncate(kMostQuoted);
    if (near.back().isHighSurrogate()) near.chop(1);
    near += QChar(0x2026);
  }
  if (near.isEmpty())
    return QStringLiteral("Erreur de syntaxe SQL à la fin de la requête : elle est incomplète ; "
                          "complétez-la, ou fermez le guillemet ou la parenthèse restés ouverts.");
  const int line = match.captured(2).toInt();
  return QStringLiteral("Erreur de syntaxe SQL près de « %1 »%2 : corrigez la requête à cet endroit ou "
                        "juste avant (mot mal écrit, virgule, guillemet ou parenthèse en trop ou "
                        "manquant).")
      .arg(near, line > 1 ? QStringLiteral(" (ligne %1)").arg(line) : QString());
}

QString NotAllowed(const TMatch &match) {
  const QString server = match.captured(1);
  return QStringLiteral("ws.php n'autorise pas %1 : ajoutez-le (sous la forme « hôte:port ») au réglage "
                        "allowed_servers de ws-config.php, à côté de ws.php sur le serveur web, ou "
                        "corrigez le serveur MySQL de la connexion.")
      .arg(server.isEmpty() ? QStringLiteral("ce serveur MySQL")
                            : QStringLiteral("le serveur MySQL « %1 »").arg(server));
}

QString FailedLogins(const TMatch &match) {
  return QStringLiteral("ws.php refuse pour l'instant les connexions venant de votre adresse, après trop "
                        "d'échecs de connexion : attendez %1, puis vérifiez le compte et le mot de passe "
                        "de la connexion avant de réessayer.")
      .arg(UNetworkErrors::Seconds(match.captured(1).toInt() * 1000));
}

QString EmptyPassword(const TMatch &) {
  return QStringLiteral("ws.php refuse les mots de passe vides : saisissez dans la connexion le mot de "
                        "passe du compte MySQL, ou donnez-en un à ce compte s'il n'en a pas.");
}

QString NoStatement(const TMatch &) {
  return QStringLiteral("La requête envoyée est vide : saisissez une instruction SQL avant de "
                        "l'exécuter.");
}

QString PostMaxSize(const TMatch &) {
  return QStringLiteral("La requête dépasse la taille que PHP accepte sur le serveur web : "
                        "raccourcissez-la, ou faites relever post_max_size dans la configuration de "
                        "PHP.");
}

QString ReadTimeout(const TMatch &) {
  return QStringLiteral("Le serveur MySQL n'a pas répondu dans le délai de ws.php : la requête "
                        "s'exécute peut-être encore sur le serveur MySQL ; vérifiez-le avant de la "
                        "relancer, allégez-la, ou faites relever read_timeout dans ws-config.php.");
}

// The client's own text for a status of 300 or more: the status text, the
// code in parentheses and the URL.
QString HttpStatus(const TMatch &match) {
  switch (match.captured(1).toInt()) {
    case 401:
      return QStringLiteral("Le serveur web demande un nom d'utilisateur et un mot de passe "
                            "(authentification HTTP) pour le dossier de ws.php, et le programme n'en "
                            "envoie pas : levez cette protection pour ws.php sur le serveur web.");
    case 403:
      return QStringLiteral("Le serveur web interdit l'accès à ws.php : vérifiez sur le serveur web les "
                            "droits de lecture du fichier et de son dossier, et les règles d'accès de sa "
                            "configuration (ou d'un fichier .htaccess).");
    case 404:
      return QStringLiteral("ws.php est introuvable à cette adresse : vérifiez l'adresse du serveur web "
                            "dans la connexion, qui doit être celle du dossier qui contient ws.php (sans "
                            "« /ws.php » à la fin).");
    case 405:
      return QStringLiteral("Le serveur web refuse la requête POST à ws.php : vérifiez que PHP est activé "
                            "pour le dossier de ws.php (sans PHP, le fichier est servi comme une simple "
                            "page) et que l'adresse de la connexion mène bien à ce dossier.");
    case 413:
      return QStringLiteral("La requête est trop grande pour le serveur web : raccourcissez-la, ou faites "
                            "relever sa limite de taille des requêtes (client_max_body_size de nginx, "
                            "LimitRequestBody d'Apache, post_max_size de PHP).");
    case 500:
      return QStringLiteral("Le serveur web a échoué en exécutant ws.php (erreur interne) : consultez le "
                            "journal d'erreurs du serveur web et de PHP.");
    case 501:
      return QStringLiteral("Le serveur web ne sait pas traiter une requête POST : vérifiez que l'adresse "
                            "de la connexion est celle d'un serveur web où PHP exécute ws.php.");
    case 502:
      return QStringLiteral("Le serveur web n'a pas obtenu de réponse valable de PHP ou du serveur qu'il "
                            "relaie : vérifiez que PHP (PHP-FPM) est démarré, et consultez le journal "
                            "d'erreurs du serveur web.");
    case 503:
      return QStringLiteral("Le serveur web est indisponible pour le moment (surchargé, en maintenance ou "
                            "PHP arrêté) : réessayez dans un moment, et si cela dure, consultez son "
                            "journal d'erreurs.");
    case 504:
      return QStringLiteral("Le serveur web a attendu PHP trop longtemps et a abandonné : la requête a "
                            "peut-être été exécutée ; vérifiez-le avant de la relancer, allégez-la, ou "
                            "faites relever les délais du serveur web (fastcgi_read_timeout de nginx, "
                            "Timeout d'Apache).");
    default:
      return QString();
  }
}

struct TCase {
  QRegularExpression pattern;
  QString (*sentence)(const TMatch &match);
};

// The first case whose pattern matches, and whose sentence is not empty,
// is the one. The syntax error comes first: the place it quotes is the
// user's own text, which may hold any other case's words.
std::vector<TCase> MakeCases() {
  // ws.php's words for a failure to connect to MySQL put the library's
  // after these (the project's ws.php; older ones give the library's alone).
  const QString connect = QStringLiteral("^(?:Cannot connect to the MySQL server .*: )?");
  return {
      // MySQL 1064, with the place it names; without the line when that
      // was cut at a carriage return of the statement.
      {QRegularExpression("^You have an error in your SQL syntax;.*? near '(.*)' at line (\\d+)$"), &Syntax},
      {QRegularExpression("^You have an error in your SQL syntax;.*? near '(.*)$"), &Syntax},
      // 1044 before 1045: both begin alike.
      {QRegularExpression("^Access denied for user '.*'@'.*' to database '(.*)'$"), &DatabaseRights},
      {QRegularExpression("^Access denied for user '.*'@'.*' \\(using password: (?:YES|NO)\\)$"), &Password},
      // 1698: an account that may not log in with a password at all.
      {QRegularExpression("^Access denied for user '[^']*'@'[^']*'$"), &Password},
      // 1142, and 1143 for a column.
      {QRegularExpression("^[A-Z][A-Z ]* command denied to user '"), &TableRights},
      // 1227.
      {QRegularExpression("^Access denied; you need "), &Privilege},
      // 1049.
      {QRegularExpression("^Unknown database '(.*)'$"), &UnknownDatabase},
      // 2005: libmysqlclient, MariaDB's connector, then mysqlnd.
      {QRegularExpression(connect + "(?:Unknown (?:MySQL )?server host |php_network_getaddresses: )"),
       &HostNotFound},
      // 2002: the socket of "localhost"; mysqlnd says only that the file
      // is not there.
      {QRegularExpression(connect + "Can't connect to local (?:MySQL )?server through socket "),
       &NoLocalServer},
      {QRegularExpression("^(?:Cannot connect to the MySQL server .*: )?No such file or directory$"), &NoLocalServer},
      // 2003, and whatever else keeps ws.php from connecting.
      {QRegularExpression(connect + "Can't connect to (?:MySQL )?server on "), &NotReached},
      {QRegularExpression("^(?:Connection refused|Connection timed out)$"), &NotReached},
      {QRegularExpression("^Cannot connect to the MySQL server "), &NotReached},
      // ws.php's own refusals.
      {QRegularExpression("^The MySQL server (.*) is not in the list of servers allowed by ws\\.php"), &NotAllowed},
      {QRegularExpression("^Too many failed logins from your address: wait (\\d+) seconds? "), &FailedLogins},
      {QRegularExpression("^Empty passwords are refused by ws\\.php"), &EmptyPassword},
      {QRegularExpression("^No statement to run "), &NoStatement},
      {QRegularExpression("^The request \\(\\d+ bytes\\) is larger than the web server accepts \\(post_max_size "),
       &PostMaxSize},
      {QRegularExpression("^The MySQL server sent nothing for .* \\(read_timeout in "), &ReadTimeout},
      // The client's text for an HTTP status (HTTP/2 has no status text).
      {QRegularExpression("^.* \\((\\d{3})\\) - '.*'$"), &HttpStatus},
  };
}

}  // namespace

QString Sentence(const QString &message) {
  // One compiled table per thread: a pattern is not shared between threads.
  static thread_local const std::vector<TCase> cases = MakeCases();
  for (const TCase &each : cases) {
    const TMatch match = each.pattern.match(message);
    if (!match.hasMatch()) continue;
    const QString sentence = each.sentence(match);
    if (!sentence.isEmpty()) return sentence;
  }
  return QString();
}

QString Explained(const QString &message) {
  const QString sentence = Sentence(message);
  return sentence.isEmpty() ? message : sentence + u' ' + message;
}

}  // namespace UServerErrors
