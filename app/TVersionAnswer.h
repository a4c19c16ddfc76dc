#pragma once

#include <QString>
#include <QStringList>

// The one command-line mode: "/V FILE" (or "/v FILE") writes the version
// into FILE, in the executable's folder, and the program ends.
namespace TVersionAnswer {

inline constexpr const char *Version = "V1.2.1";

// True when the arguments (program name excluded) ask for the version file.
bool IsRequested(const QStringList &arguments);
// Writes the version file; returns the exit status. On failure, *reason
// receives a one-line explanation.
int Write(const QStringList &arguments, const QString &executableFolder, QString *reason);

}  // namespace TVersionAnswer
