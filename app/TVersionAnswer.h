#pragma once

#include "UUpdate.h"

#include <QString>
#include <QStringList>

// The one command-line mode: "/V FILE" (or "/v FILE") writes the version
// into FILE, in the executable's folder, and the program ends.
namespace TVersionAnswer {

// The product's one version text, the one the updater is told too.
inline constexpr const char *Version = UUpdate::Version;

// True when the arguments (program name excluded) ask for the version file.
bool IsRequested(const QStringList &arguments);
// Writes the version file; returns the exit status. On failure, *reason
// receives a one-line explanation.
int Write(const QStringList &arguments, const QString &executableFolder, QString *reason);

}  // namespace TVersionAnswer
