#include "UUpdate.h"

#include "ULaunchProgram.h"
#include "UShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace UUpdate {

namespace {

// One value of the argument text. Here the text is split as a shell splits
// quoted words, so a backslash or a quotation mark in a value (a program
// path may hold either) is escaped to reach the updater as written; the
// updater of the other platform reads its quoted words itself.
QString Quoted(const QString &value) {
  QString text = value;
#ifndef Q_OS_WIN
  text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  text.replace(QLatin1Char('"'), QLatin1String("\\\""));
#endif
  return QLatin1Char('"') + text + QLatin1String("\" ");
}

}  // namespace

QString UpdaterPath(const QString &programFile) {
  const QString folder = QDir::toNativeSeparators(QFileInfo(programFile).absolutePath());
  const QChar separator = QDir::separator();
  return (folder.endsWith(separator) ? folder : folder + separator) + QLatin1String(UpdaterFileName);
}

QString UpdaterArguments(const QString &programFile, const QString &mode) {
  return Quoted(QLatin1String(ProductName)) + Quoted(QLatin1String(Version)) + Quoted(QLatin1String(WebHost)) +
         Quoted(QLatin1String(VersionPage)) + Quoted(QLatin1String(InstallerPath)) +
         Quoted(QDir::toNativeSeparators(programFile)) + Quoted(mode);
}

void CheckForUpdates(const QString &mode) { CheckForUpdates(mode, QCoreApplication::applicationFilePath()); }

void CheckForUpdates(const QString &mode, const QString &programFile) {
  // A missing updater is the usual case of a copied program: nothing to say.
  LaunchProgram(UpdaterPath(programFile), UpdaterArguments(programFile, mode), kShowNormal);
}

QString WebPageUrl(const QString &page) { return QLatin1String("http://") + QLatin1String(WebHost) + page; }

void OpenWebPage(const QString &page) { ShellOpen(WebPageUrl(page), 1); }

void OpenWebSite() { OpenWebPage(QStringLiteral("/")); }

void OpenForum() { OpenWebPage(QStringLiteral("/forum")); }

void OpenTutorials() { OpenWebPage(QStringLiteral("/site/VantrelTuto.html")); }

}  // namespace UUpdate
