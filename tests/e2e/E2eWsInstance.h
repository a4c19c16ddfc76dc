#pragma once

// A copy of ws.php on a PHP web server of the test's own, for the e2e tests
// that need settings of their own (ws-config.php, PHP's), and a loopback
// port that never answers.

#include "E2eHttp.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>

#include <csignal>
#endif

// A loopback TCP port that listens and never accepts: the kernel completes
// each handshake into the backlog, where the connection then waits without
// a byte. It tells whether anyone connected.
class SilentPort {
 public:
  SilentPort() {
    FSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(FSocket, 16) != 0 || getsockname(FSocket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
      return;
    FPort = ntohs(address.sin_port);
  }
  ~SilentPort() {
    if (FSocket >= 0) close(FSocket);
  }
  SilentPort(const SilentPort &) = delete;
  SilentPort &operator=(const SilentPort &) = delete;

  quint16 Port() const { return FPort; }

  // Whether a connection came since the last call (it is taken and closed).
  bool Connected() {
    pollfd waiting{FSocket, POLLIN, 0};
    if (poll(&waiting, 1, 200) <= 0) return false;
    const int connection = accept(FSocket, nullptr, nullptr);
    if (connection >= 0) close(connection);
    return true;
  }

 private:
  int FSocket = -1;
  quint16 FPort = 0;
};

// A loopback TCP port that is taken and refuses every connection: bound,
// never listening, so that nobody else may listen on it meanwhile.
class RefusingPort {
 public:
  RefusingPort() {
    FSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        getsockname(FSocket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
      return;
    FPort = ntohs(address.sin_port);
  }
  ~RefusingPort() {
    if (FSocket >= 0) close(FSocket);
  }
  RefusingPort(const RefusingPort &) = delete;
  RefusingPort &operator=(const RefusingPort &) = delete;

  quint16 Port() const { return FPort; }

 private:
  int FSocket = -1;
  quint16 FPort = 0;
};

// PHP's built-in web server serving a copy of ws.php, in a temporary folder
// that also holds its ws-config.php and PHP's temporary folder.
class WsInstance {
 public:
  ~WsInstance() { Stop(); }

  // Empty when it runs, else why not. `phpSettings` are more "-d" settings
  // of PHP (NAME=VALUE).
  QString Start(const QString &wsPhp, const QStringList &phpSettings = {}) {
    if (!FDir.isValid() || !QDir(FDir.path()).mkpath("www") || !QDir(FDir.path()).mkpath("tmp"))
      return QStringLiteral("no temporary folder");
    if (!QFile::copy(wsPhp, Www("ws.php"))) return QStringLiteral("cannot copy %1").arg(wsPhp);
    const QString php = QStandardPaths::findExecutable(QStringLiteral("php"));
    if (php.isEmpty()) return QStringLiteral("php is missing; scripts/packages test installs it");
    // Settings rewritten during a test count at the next request: no
    // opcode cache. Every warning shows, so that one in an answer fails.
    const QStringList arguments{
        "-d", "opcache.enable=0", "-d", "display_errors=1", "-d", "html_errors=1", "-d", "error_reporting=-1",
        "-d", "sys_temp_dir=" + Tmp(), "-d", "mysqli.default_socket=" + FDir.filePath("no-mysql.sock")};
    QStringList more;
    for (const QString &setting : phpSettings) more << "-d" << setting;
    for (int attempt = 0; attempt < 3; ++attempt) {
      quint16 port = 0;
      {
        SilentPort probe;  // a free port, closed again for PHP
        port = probe.Port();
      }
      FFolder = QStringLiteral("http://127.0.0.1:%1").arg(port);
      FUrl = (FFolder + "/ws.php").toUtf8();
      FPhp.setProcessChannelMode(QProcess::MergedChannels);
      FPhp.setStandardOutputFile(FDir.filePath("php.log"), QIODevice::Append);
#ifdef Q_OS_LINUX
      // Gone with the test, even when the test is killed.
      FPhp.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
      FPhp.start(php, arguments + more + QStringList{"-S", QStringLiteral("127.0.0.1:%1").arg(port), "-t", Www({})});
      FPhp.waitForStarted(10000);
      for (int wait = 0; wait < 100 && FPhp.state() == QProcess::Running; ++wait) {
        if (HttpRequest(FUrl).body.contains("alive")) return {};
        QThread::msleep(100);
      }
      Stop();
    }
    QFile log(FDir.filePath("php.log"));
    return "PHP's web server did not start: " +
           QString::fromLocal8Bit(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
  }

  void Stop() {
    if (FPhp.state() == QProcess::NotRunning) return;
    FPhp.terminate();
    if (!FPhp.waitForFinished(5000)) {
      FPhp.kill();
      FPhp.waitForFinished();
    }
  }

  QByteArray Url() const { return FUrl; }
  // The folder of ws.php, as a connection names it.
  QString Folder() const { return FFolder; }

  // ws-config.php: "<?php" and the given code; none when it is null.
  bool WriteSettings(const QByteArray &code) {
    if (code.isNull()) return !QFile::exists(Www("ws-config.php")) || QFile::remove(Www("ws-config.php"));
    QSaveFile file(Www("ws-config.php"));
    return file.open(QIODevice::WriteOnly) && file.write("<?php\n" + code + "\n") >= 0 && file.commit();
  }

  // PHP's temporary folder, where ws.php counts failed logins.
  QString Tmp() const { return FDir.filePath("tmp"); }
  QStringList TmpFiles() const { return QDir(Tmp()).entryList(QDir::Files | QDir::Hidden); }
  void ClearTmp() {
    for (const QString &name : TmpFiles()) QFile::remove(QDir(Tmp()).filePath(name));
  }

 private:
  QString Www(const QString &name) const { return FDir.filePath("www/" + name); }

  QTemporaryDir FDir;
  QProcess FPhp;
  QString FFolder;
  QByteArray FUrl;
};

