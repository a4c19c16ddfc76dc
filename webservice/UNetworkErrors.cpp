#include "UNetworkErrors.h"

#include <curl/curl.h>

namespace UNetworkErrors {

namespace {

// ErrorText keeps only the first line of a message: a detail that brought
// a line break along must not cut the advice or the URL off.
QString OneLine(const QString &text) { return text.simplified(); }

// The verification codes of OpenSSL's certificate check that the texts tell
// apart (X509_V_ERR_*); other TLS libraries report none of them.
enum : long {
  kIssuerUnknown = 2,
  kNotYetValid = 9,
  kExpired = 10,
  kSelfSigned = 18,
  kSelfSignedInChain = 19,
  kIssuerUnknownLocally = 20,
  kLeafUnverifiable = 21,
  kRevoked = 23,
};

QString Certificate(const QString &host, long verifyResult, const QString &detail) {
  switch (verifyResult) {
    case kSelfSigned:
    case kSelfSignedInChain:
      return CertificateSelfSigned(host);
    case kIssuerUnknown:
    case kIssuerUnknownLocally:
    case kLeafUnverifiable:
      return CertificateUnknownIssuer(host);
    case kExpired:
      return CertificateExpired(host);
    case kNotYetValid:
      return CertificateNotYetValid(host);
    case kRevoked:
      return CertificateRevoked(host);
    default:
      // A name that is not the certificate's among them: libcurl's words
      // say which.
      return CertificateRefused(host, detail);
  }
}

}  // namespace

QString ForCurl(const QString &host, const TCurlFailure &failure) {
  switch (failure.code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return HostNotFound(host);
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ProxyNotFound();
    case CURLE_PROXY:
      return ProxyFailed(failure.detail);
    case CURLE_URL_MALFORMAT:
      return BadAddress(failure.detail);
    case CURLE_COULDNT_CONNECT:
      return ConnectFailed(host);
    // No bound is set on the whole transfer: only the connect bound (the
    // TLS handshake included) ends one with this code.
    case CURLE_OPERATION_TIMEDOUT:
      return ConnectTimeout(host, failure.connectMs);
    case CURLE_PEER_FAILED_VERIFICATION:
      return Certificate(host, failure.verifyResult, failure.detail);
    // The one file that the user named is far likelier the cause than the
    // system's bundle.
    case CURLE_SSL_CACERT_BADFILE:
      if (!failure.caFile.isEmpty()) return CaFileUnusable(failure.caFile);
      return SecureChannel(host, failure.detail);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
      return SecureChannel(host, failure.detail);
    // An HTTP/0.9 answer is refused with the code of an unknown protocol;
    // the scheme itself was checked before the request.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
      return NotHttp(host);
    case CURLE_GOT_NOTHING:
      return NoAnswer(host);
    // A connection reset before the answer began is no cut answer.
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
      return failure.answered ? CutShort(host) : NoAnswer(host);
    case CURLE_SEND_ERROR:
      return SendFailed(host);
    case CURLE_SEND_FAIL_REWIND:
      return CutAfterSending(host);
    case CURLE_OUT_OF_MEMORY:
      return OutOfMemory(host);
    default:
      return Exchange(host, failure.detail);
  }
}

QString HostNotFound(const QString &host) {
  return QStringLiteral("Le serveur web « %1 » est introuvable : vérifiez son adresse dans la "
                        "connexion et votre accès au réseau")
      .arg(host);
}

QString ProxyNotFound() {
  return QStringLiteral("Le serveur proxy est introuvable : vérifiez les réglages de proxy du "
                        "système (variables http_proxy, https_proxy, all_proxy) et votre accès au "
                        "réseau");
}

QString ProxyFailed(const QString &detail) {
  return OneLine(QStringLiteral("Le serveur proxy a refusé ou interrompu la requête (%1) : "
                                "vérifiez les réglages de proxy du système (variables http_proxy, "
                                "https_proxy, all_proxy)")
                     .arg(detail));
}

QString BadAddress(const QString &detail) {
  return OneLine(QStringLiteral("L'adresse du serveur web est mal formée (%1) : corrigez-la dans "
                                "la connexion")
                     .arg(detail));
}

QString ConnectFailed(const QString &host) {
  return QStringLiteral("Le serveur web « %1 » refuse la connexion ou ne peut être atteint : "
                        "vérifiez son adresse et son port dans la connexion, que le serveur web "
                        "est démarré et votre accès au réseau")
      .arg(host);
}

QString ConnectTimeout(const QString &host, int ms) {
  return QStringLiteral("Le serveur web « %1 » n'a pas répondu en %2 : vérifiez son adresse et "
                        "son port dans la connexion, votre accès au réseau et qu'aucun pare-feu ne "
                        "bloque la connexion")
      .arg(host, Seconds(ms));
}

QString NoData(const QString &host, int ms) {
  return QStringLiteral("Le serveur web « %1 » n'a rien envoyé pendant %2 : la requête est "
                        "abandonnée ; vérifiez que le serveur web et le serveur MySQL répondent, "
                        "ou allégez la requête si elle est longue")
      .arg(host, Seconds(ms));
}

QString OverTime(const QString &host, int ms) {
  return QStringLiteral("La requête au serveur web « %1 » n'a pas abouti dans la durée maximale "
                        "de %2 : elle est abandonnée ; vérifiez que le serveur web et le serveur "
                        "MySQL répondent, allégez la requête ou accordez-lui plus de temps")
      .arg(host, Seconds(ms));
}

QString CertificateSelfSigned(const QString &host) {
  return QStringLiteral("Le certificat du serveur web « %1 » est auto-signé, aucune autorité "
                        "reconnue ne le garantit : faites installer sur le serveur un certificat "
                        "délivré par une autorité reconnue, ou, si ce certificat est bien celui de "
                        "votre serveur, indiquez son fichier au programme (variable "
                        "VANTREL_CA_FILE, option --ca-file de vantrel-sql)")
      .arg(host);
}

QString CertificateUnknownIssuer(const QString &host) {
  return QStringLiteral("Le certificat du serveur web « %1 » est délivré par une autorité "
                        "inconnue de cet ordinateur : faites installer sur le serveur un "
                        "certificat d'une autorité reconnue, avec ses certificats intermédiaires, "
                        "ou, si vous faites confiance à cette autorité (celle de votre entreprise), "
                        "indiquez le fichier de son certificat au programme (variable "
                        "VANTREL_CA_FILE, option --ca-file de vantrel-sql)")
      .arg(host);
}

QString CaFileUnusable(const QString &file) {
  return OneLine(QStringLiteral("Le fichier d'autorités de certification « %1 » est introuvable, "
                                "illisible ou sans certificat au format PEM : vérifiez le fichier "
                                "indiqué par la variable VANTREL_CA_FILE ou l'option --ca-file")
                     .arg(file));
}

QString CertificateExpired(const QString &host) {
  return QStringLiteral("Le certificat du serveur web « %1 » a expiré : faites-le renouveler sur "
                        "le serveur, et vérifiez la date et l'heure de cet ordinateur")
      .arg(host);
}

QString CertificateNotYetValid(const QString &host) {
  return QStringLiteral("Le certificat du serveur web « %1 » n'est pas encore valide : vérifiez "
                        "la date et l'heure de cet ordinateur")
      .arg(host);
}

QString CertificateRevoked(const QString &host) {
  return QStringLiteral("Le certificat du serveur web « %1 » a été révoqué : faites installer un "
                        "nouveau certificat sur le serveur")
      .arg(host);
}

QString CertificateRefused(const QString &host, const QString &detail) {
  return OneLine(QStringLiteral("Le certificat du serveur web « %1 » est refusé (%2) : vérifiez "
                                "que l'adresse dans la connexion porte le nom du certificat, et le "
                                "certificat installé sur le serveur")
                     .arg(host, detail));
}

QString SecureChannel(const QString &host, const QString &detail) {
  return OneLine(QStringLiteral("La connexion sécurisée (https) avec le serveur web « %1 » a "
                                "échoué (%2) : vérifiez que ce serveur web accepte https sur ce "
                                "port, sinon mettez http:// dans l'adresse de la connexion")
                     .arg(host, detail));
}

QString NotHttp(const QString &host) {
  return QStringLiteral("Le serveur « %1 » a répondu autre chose que du HTTP : vérifiez que "
                        "l'adresse et le port dans la connexion sont ceux du serveur web")
      .arg(host);
}

QString NoAnswer(const QString &host) {
  return QStringLiteral("Le serveur web « %1 » a fermé la connexion sans répondre : la requête a "
                        "peut-être été exécutée ; vérifiez-le avant de la relancer, et si cela se "
                        "répète, consultez le journal d'erreurs du serveur web")
      .arg(host);
}

QString CutShort(const QString &host) {
  return QStringLiteral("La réponse du serveur web « %1 » a été coupée avant la fin : réessayez, "
                        "et si cela se répète, consultez le journal d'erreurs du serveur web et "
                        "ses limites de temps et de mémoire pour PHP")
      .arg(host);
}

QString SendFailed(const QString &host) {
  return QStringLiteral("L'envoi de la requête au serveur web « %1 » a été coupé : réessayez, et "
                        "vérifiez votre accès au réseau")
      .arg(host);
}

QString CutAfterSending(const QString &host) {
  return QStringLiteral("La connexion avec le serveur web « %1 » a été coupée après l'envoi de la "
                        "requête, sans réponse : la requête a peut-être été exécutée ; vérifiez-le "
                        "avant de la relancer")
      .arg(host);
}

QString TooLarge(const QString &host, qint64 maxBytes) {
  return QStringLiteral("La réponse du serveur web « %1 » dépasse %2 et a été refusée : limitez "
                        "les lignes ou les colonnes demandées (WHERE, LIMIT)")
      .arg(host, Bytes(maxBytes));
}

QString OutOfMemory(const QString &host) {
  return QStringLiteral("Mémoire insuffisante pour la réponse du serveur web « %1 » : limitez les "
                        "lignes ou les colonnes demandées, ou fermez d'autres programmes")
      .arg(host);
}

QString TooManyRedirects(const QString &host, int most) {
  return QStringLiteral("Le serveur web « %1 » renvoie vers une autre adresse plus de %2 fois de "
                        "suite : vérifiez l'adresse du serveur web dans la connexion et les "
                        "redirections du serveur")
      .arg(host, QString::number(most));
}

QString RedirectScheme(const QString &host, const QString &target) {
  return OneLine(QStringLiteral("Le serveur web « %1 » renvoie vers « %2 », qui n'est pas une "
                                "adresse http ou https : la redirection est refusée ; vérifiez "
                                "l'adresse du serveur web dans la connexion")
                     .arg(host, target));
}

QString RedirectDowngrade(const QString &host, const QString &target) {
  return OneLine(QStringLiteral("Le serveur web « %1 » renvoie de https vers « %2 », une adresse "
                                "non chiffrée : la redirection est refusée pour protéger le mot de "
                                "passe ; vérifiez l'adresse du serveur web dans la connexion")
                     .arg(host, target));
}

QString RedirectOtherOrigin(const QString &host, const QString &target) {
  return OneLine(QStringLiteral("Le serveur web « %1 » renvoie la requête vers « %2 », qui n'a pas "
                                "le même protocole, serveur et port : la redirection est refusée pour "
                                "ne pas y envoyer le mot de passe et la requête ; mettez dans la "
                                "connexion l'adresse du serveur web qui répond")
                     .arg(host, target));
}

QString WebPage(const QString &host) {
  return QStringLiteral("Le serveur web « %1 » a répondu par une page web (HTML) et non par le texte "
                        "de ws.php : vérifiez l'adresse du serveur web dans la connexion (le dossier "
                        "qui contient ws.php) ; ce peut être une page de connexion ou d'erreur du "
                        "serveur")
      .arg(host);
}

QString Exchange(const QString &host, const QString &detail) {
  return OneLine(QStringLiteral("Échec de l'échange avec le serveur web « %1 » : %2").arg(host, detail));
}

QString ClientFailure(const QString &detail) {
  return OneLine(QStringLiteral("Le client HTTP a échoué : %1").arg(detail));
}

QString Cancelled() { return QStringLiteral("Requête annulée"); }

QString TransferUnfinished() {
  return QStringLiteral("Le client HTTP a échoué : l'échange ne s'est pas terminé ; réessayez");
}

QString ClientNotStarted() {
  return QStringLiteral("Le client HTTP n'a pas pu démarrer : mémoire insuffisante ou "
                        "bibliothèque réseau (libcurl) inutilisable ; redémarrez le programme");
}

QString RequestOutOfMemory() {
  return QStringLiteral("Mémoire insuffisante pour la requête ou sa réponse : limitez les lignes "
                        "ou les colonnes demandées, ou fermez d'autres programmes");
}

QString Unexpected(const QString &detail) {
  return OneLine(QStringLiteral("Erreur inattendue pendant la requête : %1").arg(detail));
}

QString Seconds(int ms) {
  // French writes a decimal comma, and the plural from 2 on.
  QString number = QString::number(ms / 1000.0);
  number.replace(QLatin1Char('.'), QLatin1Char(','));
  return number + (ms >= 2000 ? QStringLiteral(" secondes") : QStringLiteral(" seconde"));
}

QString Bytes(qint64 bytes) {
  const struct {
    qint64 unit;
    const char *name;
  } units[] = {{qint64(1) << 30, " Gio"}, {qint64(1) << 20, " Mio"}, {qint64(1) << 10, " Kio"}};
  for (const auto &u : units) {
    if (bytes >= u.unit && bytes % u.unit == 0) return QString::number(bytes / u.unit) + QLatin1String(u.name);
  }
  return QString::number(bytes) + (bytes >= 2 ? QStringLiteral(" octets") : QStringLiteral(" octet"));
}

}  // namespace UNetworkErrors
