// The failure texts that no loopback server brings about (a name that
// resolves nowhere, a proxy, the certificate problems of a real chain), from
// libcurl's result as the client receives it; and the failures of a request
// outside the exchange. The failures met on the wire are in
// TestWebServiceWire.

#include "THttpClient.h"
#include "TWebService.h"
#include "UNetworkErrors.h"

#include <QTest>

#include <curl/curl.h>

#include <new>
#include <stdexcept>

class TestNetworkErrors : public QObject {
  Q_OBJECT

 private slots:
  void curlFailures_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<long>("verifyResult");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("text");

    const QString unknownIssuer = QStringLiteral(
        "Le certificat du serveur web « db.exemple.org » est délivré par une autorité inconnue de cet "
        "ordinateur : faites installer sur le serveur un certificat d'une autorité reconnue, avec ses "
        "certificats intermédiaires, ou, si vous faites confiance à cette autorité (celle de votre "
        "entreprise), indiquez le fichier de son certificat au programme (variable VANTREL_CA_FILE, "
        "option --ca-file de vantrel-sql)");
    const QString tls = QStringLiteral(
        "La connexion sécurisée (https) avec le serveur web « db.exemple.org » a échoué (%1) : vérifiez "
        "que ce serveur web accepte https sur ce port, sinon mettez http:// dans l'adresse de la "
        "connexion");

    QTest::newRow("name not found") << int(CURLE_COULDNT_RESOLVE_HOST) << 0L
        << "Could not resolve host: db.exemple.org"
        << QStringLiteral("Le serveur web « db.exemple.org » est introuvable : vérifiez son adresse dans "
                          "la connexion et votre accès au réseau");
    QTest::newRow("proxy name not found") << int(CURLE_COULDNT_RESOLVE_PROXY) << 0L
        << "Could not resolve proxy: proxy.lan"
        << QStringLiteral("Le serveur proxy est introuvable : vérifiez les réglages de proxy du système "
                          "(variables http_proxy, https_proxy, all_proxy) et votre accès au réseau");
    QTest::newRow("proxy refuses the tunnel") << int(CURLE_PROXY) << 0L
        << "CONNECT tunnel failed, response 403"
        << QStringLiteral("Le serveur proxy a refusé ou interrompu la requête (CONNECT tunnel failed, "
                          "response 403) : vérifiez les réglages de proxy du système (variables "
                          "http_proxy, https_proxy, all_proxy)");
    QTest::newRow("sending cut") << int(CURLE_SEND_ERROR) << 0L << "Connection reset by peer"
        << QStringLiteral("L'envoi de la requête au serveur web « db.exemple.org » a été coupé : "
                          "réessayez, et vérifiez votre accès au réseau");
    QTest::newRow("kept connection died after sending") << int(CURLE_SEND_FAIL_REWIND) << 0L
        << "seek callback returned error 1"
        << QStringLiteral("La connexion avec le serveur web « db.exemple.org » a été coupée après "
                          "l'envoi de la requête, sans réponse : la requête a peut-être été exécutée ; "
                          "vérifiez-le avant de la relancer");
    QTest::newRow("out of memory") << int(CURLE_OUT_OF_MEMORY) << 0L << ""
        << QStringLiteral("Mémoire insuffisante pour la réponse du serveur web « db.exemple.org » : "
                          "limitez les lignes ou les colonnes demandées, ou fermez d'autres programmes");
    QTest::newRow("certificate expired") << int(CURLE_PEER_FAILED_VERIFICATION) << 10L
        << "SSL certificate problem: certificate has expired"
        << QStringLiteral("Le certificat du serveur web « db.exemple.org » a expiré : faites-le "
                          "renouveler sur le serveur, et vérifiez la date et l'heure de cet ordinateur");
    QTest::newRow("certificate not yet valid") << int(CURLE_PEER_FAILED_VERIFICATION) << 9L
        << "SSL certificate problem: certificate is not yet valid"
        << QStringLiteral("Le certificat du serveur web « db.exemple.org » n'est pas encore valide : "
                          "vérifiez la date et l'heure de cet ordinateur");
    QTest::newRow("certificate revoked") << int(CURLE_PEER_FAILED_VERIFICATION) << 23L
        << "SSL certificate problem: certificate revoked"
        << QStringLiteral("Le certificat du serveur web « db.exemple.org » a été révoqué : faites "
                          "installer un nouveau certificat sur le serveur");
    QTest::newRow("self-signed root in the chain") << int(CURLE_PEER_FAILED_VERIFICATION) << 19L
        << "SSL certificate problem: self-signed certificate in certificate chain"
        << QStringLiteral("Le certificat du serveur web « db.exemple.org » est auto-signé, aucune "
                          "autorité reconnue ne le garantit : faites installer sur le serveur un "
                          "certificat délivré par une autorité reconnue, ou, si ce certificat est "
                          "bien celui de votre serveur, indiquez son fichier au programme (variable "
                          "VANTREL_CA_FILE, option --ca-file de vantrel-sql)");
    QTest::newRow("issuer not known here") << int(CURLE_PEER_FAILED_VERIFICATION) << 20L
        << "SSL certificate problem: unable to get local issuer certificate" << unknownIssuer;
    QTest::newRow("intermediate missing") << int(CURLE_PEER_FAILED_VERIFICATION) << 21L
        << "SSL certificate problem: unable to verify the first certificate" << unknownIssuer;
    // The chain holds; libcurl's own check of the name fails, and says so.
    QTest::newRow("certificate of another name") << int(CURLE_PEER_FAILED_VERIFICATION) << 0L
        << "SSL: no alternative certificate subject name matches target host name 'db.exemple.org'"
        << QStringLiteral("Le certificat du serveur web « db.exemple.org » est refusé (SSL: no "
                          "alternative certificate subject name matches target host name "
                          "'db.exemple.org') : vérifiez que l'adresse dans la connexion porte le nom "
                          "du certificat, et le certificat installé sur le serveur");
    QTest::newRow("https to a plain HTTP port") << int(CURLE_SSL_CONNECT_ERROR) << 0L
        << "error:0A00010B:SSL routines::wrong version number"
        << tls.arg("error:0A00010B:SSL routines::wrong version number");
    QTest::newRow("no trusted authorities on this computer") << int(CURLE_SSL_CACERT_BADFILE) << 0L
        << "error setting certificate file: /etc/ssl/certs/ca-certificates.crt"
        << tls.arg("error setting certificate file: /etc/ssl/certs/ca-certificates.crt");
    QTest::newRow("any other code: libcurl's words") << int(CURLE_BAD_CONTENT_ENCODING) << 0L
        << "Unrecognized content encoding type"
        << QStringLiteral("Échec de l'échange avec le serveur web « db.exemple.org » : Unrecognized "
                          "content encoding type");
    QTest::newRow("libcurl's words on two lines") << int(CURLE_BAD_CONTENT_ENCODING) << 0L
        << "first\r\nsecond\n"
        << QStringLiteral("Échec de l'échange avec le serveur web « db.exemple.org » : first second");
  }

  void curlFailures() {
    QFETCH(int, code);
    QFETCH(long, verifyResult);
    QFETCH(QString, detail);
    QFETCH(QString, text);
    UNetworkErrors::TCurlFailure failure;
    failure.code = code;
    failure.detail = detail;
    failure.verifyResult = verifyResult;
    failure.connectMs = 60000;
    QCOMPARE(UNetworkErrors::ForCurl(QStringLiteral("db.exemple.org"), failure), text);
  }

  // A redirect from https to http: no loopback server speaks https here.
  void redirectDowngrade() {
    QCOMPARE(THttpClient::RedirectRefusal("https://db.exemple.org/ws.php?1", "http://db.exemple.org/ws.php?1", true),
             QStringLiteral("Le serveur web « db.exemple.org » renvoie de https vers "
                            "« http://db.exemple.org/ws.php?1 », une adresse non chiffrée : la redirection "
                            "est refusée pour protéger le mot de passe ; vérifiez l'adresse du serveur web "
                            "dans la connexion"));
  }

  // The bounds of the texts in French: a decimal comma, the plural from 2.
  void measures_data() {
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0.3 s") << true << qint64(300) << "0,3 seconde";
    QTest::newRow("1 s") << true << qint64(1000) << "1 seconde";
    QTest::newRow("1.5 s") << true << qint64(1500) << "1,5 seconde";
    QTest::newRow("2 s") << true << qint64(2000) << "2 secondes";
    QTest::newRow("60 s") << true << qint64(60000) << "60 secondes";
    QTest::newRow("1 byte") << false << qint64(1) << "1 octet";
    QTest::newRow("64 bytes") << false << qint64(64) << "64 octets";
    QTest::newRow("1.5 KiB, in bytes") << false << qint64(1536) << "1536 octets";
    QTest::newRow("16 KiB") << false << qint64(16384) << "16 Kio";
    QTest::newRow("1 GiB") << false << (qint64(1) << 30) << "1 Gio";
    QTest::newRow("3 MiB") << false << qint64(3 << 20) << "3 Mio";
  }

  void measures() {
    QFETCH(bool, seconds);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(seconds ? UNetworkErrors::Seconds(int(value)) : UNetworkErrors::Bytes(value), text);
  }

  // A failure of the request itself, outside the exchange, is an error line
  // like the others, in the user's words.
  void requestFailures_data() {
    QTest::addColumn<bool>("memory");
    QTest::addColumn<QString>("text");
    QTest::newRow("memory runs out")
        << true
        << QStringLiteral("Mémoire insuffisante pour la requête ou sa réponse : limitez les lignes ou les "
                          "colonnes demandées, ou fermez d'autres programmes");
    QTest::newRow("anything else") << false
                                   << QStringLiteral("Erreur inattendue pendant la requête : horloge arrêtée");
  }

  void requestFailures() {
    QFETCH(bool, memory);
    QFETCH(QString, text);
    TWebService ws;
    ws.Settings.WebServer = QStringLiteral("http://127.0.0.1:1");
    ws.SetClock([memory]() -> QDateTime {
      if (memory) throw std::bad_alloc();
      throw std::runtime_error("horloge arrêtée");
    });
    ws.Execute(QStringLiteral("select 1"));
    QCOMPARE(ws.ErrorText, text);
    QCOMPARE(ws.RecordCount(), 1);
    QVERIFY(ws.FieldNames().isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestNetworkErrors)
#include "TestNetworkErrors.moc"
