// ULaunchProgram: starts another program with a command line, without
// waiting for it.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What LaunchProgram reports, in the manner of the platform's start call:
// above 31 the program was started, otherwise the reason it was not.
enum TLaunchResult : int {
  lrBadArguments = 0,  // the argument text is not well formed (a quote left open): nothing started
  lrFileNotFound = 2,  // there is no file at the program's path
  lrCannotStart = 11,  // there is a file, but it could not be started (not executable, unknown format)
  lrStarted = 33,      // started
};

// Starts `program`, its path taken as it stands (blanks included: it is never
// split nor unquoted), with `arguments` split into words by
// SplitShellWords. The program is detached: it is not waited for, watched or
// ended with this program. showMode is the window state asked for (1: a
// normal window); on this platform the started program chooses its own.
// Returns one of TLaunchResult.
int LaunchProgram(const QString &program, const QString &arguments, int showMode);

// Splits a text into words as a POSIX shell splits a simple command's
// words, without any expansion: unquoted blanks (space, tab, line feed)
// separate words; '...' keeps everything inside as written; "..." keeps
// everything inside except that a backslash before $ ` " \ or a line feed
// escapes it; outside quotes a backslash escapes the next character (and a
// backslash before a line feed joins the lines). A quoted empty text ("" or
// '') is an empty word of its own. Nothing when a quote is left open.
std::optional<QStringList> SplitShellWords(const QString &text);
