#pragma once

#include "TWebService.h"

#include <QFile>
#include <QString>
#include <QTest>

// Where the e2e_services fixture put the servers (the env file of
// scripts/services/start, or one of scripts/services/web for the same cases
// through Apache or nginx) and the account it made.
struct E2eSettings {
  QString WebServer;
  QString SQLServer;
  QString Database;
  QString Account;
  QString Password;
  QString CaFile;   // the authority of a web server's test certificate, if any
  // The HTTP status with which the web server itself refuses a request
  // larger than PHP's post_max_size; 0: it passes it on to ws.php.
  int OversizeStatus = 0;
  QString Problem;  // why the settings are unusable; empty when they are fine

  static E2eSettings Load() {
    E2eSettings settings;
    const QString path = QString::fromLocal8Bit(qgetenv("VANTREL_SERVICES_ENV"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      settings.Problem = QStringLiteral("no %1: the e2e_services fixture did not run").arg(path);
      return settings;
    }
    while (!file.atEnd()) {
      const QByteArray line = file.readLine().trimmed();
      const qsizetype equals = line.indexOf('=');
      if (equals < 0) continue;
      const QByteArray name = line.left(equals);
      const QString value = QString::fromLocal8Bit(line.mid(equals + 1));
      if (name == "VANTREL_WEB_SERVER") settings.WebServer = value;
      if (name == "VANTREL_SQL_SERVER") settings.SQLServer = value;
      if (name == "VANTREL_E2E_CA_FILE") settings.CaFile = value;
      if (name == "VANTREL_E2E_OVERSIZE_STATUS") settings.OversizeStatus = value.toInt();
    }
    settings.Database = QString::fromLocal8Bit(qgetenv("VANTREL_E2E_DATABASE"));
    settings.Account = QString::fromLocal8Bit(qgetenv("VANTREL_E2E_ACCOUNT"));
    settings.Password = QString::fromLocal8Bit(qgetenv("VANTREL_E2E_PASSWORD"));
    if (settings.WebServer.isEmpty() || settings.SQLServer.isEmpty() || settings.Database.isEmpty())
      settings.Problem = QStringLiteral("incomplete settings in %1").arg(path);
    return settings;
  }

  void Apply(TWebService &ws) const {
    ws.Settings.WebServer = WebServer;
    ws.Settings.SQLServer = SQLServer;
    ws.Service = QStringLiteral("SQL");
    ws.Settings.Database = Database;
    ws.Settings.Account = Account;
    ws.Settings.Password = Password;
    ws.SetCaFile(CaFile);
  }
};
