// UUpdate: the update check through the separate updater, and the product's
// web pages.
#pragma once

#include "UVersion.h"

#include <QString>

namespace UUpdate {

inline constexpr const char *ProductName = "Vantrel";
// The version the updater is told is installed; the program's version
// answer gives the same text.
inline constexpr const char *Version = UVersion::Text;
// The product's web site and update server: one host for all of them.
// A reserved name until the product has a domain of its own.
inline constexpr const char *WebHost = "www.vantrel.example";
// Paths on the update server: the page that answers the current version,
// and the installer to fetch.
inline constexpr const char *VersionPage = "files/getVersion.php?app=Vantrel";
inline constexpr const char *InstallerPath = "files/updateVantrel.exe";
// The updater, looked for beside the program. Executables carry no
// extension on this platform.
#ifdef Q_OS_WIN
inline constexpr const char *UpdaterFileName = "RenewerV1_1.exe";
#else
inline constexpr const char *UpdaterFileName = "RenewerV1_1";
#endif
// The mode word of the check run when the main window is shown; the check
// the user asks for passes an empty one.
inline constexpr const char *StartupMode = "check";

// The updater's path: the directory of programFile, with its separator,
// followed by UpdaterFileName. Not quoted.
QString UpdaterPath(const QString &programFile);
// The updater's argument text: product, version, host, version page,
// installer, programFile and mode, each in quotation marks and followed by
// one blank.
QString UpdaterArguments(const QString &programFile, const QString &mode);

// Starts the updater beside the running program with the mode word ("check"
// at start-up, empty when the user asks), without waiting for it. Nothing
// is reported when the updater is missing or cannot be started.
void CheckForUpdates(const QString &mode);
// The same for the program whose full file name is programFile.
void CheckForUpdates(const QString &mode, const QString &programFile);

// The address of a page of the web site: "http://", the host and the page
// path ("" for the home page, "/forum"...).
QString WebPageUrl(const QString &page);
// Opens a page of the web site in the user's browser; a failure to open it
// is not reported.
void OpenWebPage(const QString &page);
void OpenWebSite();    // the home page
void OpenForum();      // "/forum"
void OpenTutorials();  // "/site/VantrelTuto.html"

}  // namespace UUpdate
