// ULaunchProgram: starts another program with a command line, without
// waiting for it.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What LaunchProgram reports: a value above 31 means the program was
// started, any other value is the reason it was not.
enum TLaunchResult : int {
  lrBadArguments = 0,  // the argument text is not well formed (a quote left open): nothing started
  lrFileNotFound = 2,  // there is no file at the program's path
  lrCannotStart = 11,  // there is a file, but it could not be started (not executable, unknown format)
  lrStarted = 33,      // started
};

// The window state LaunchProgram is asked for: a normal window.
constexpr int kShowNormal = 1;

// Starts `program`, its path taken as it stands (blanks included: it is never
// split nor unquoted), with `arguments` split into words by
// SplitShellWords. The program is detached: it is not waited for, watched or
// ended with this program. showMode is the window state asked for
// (kShowNormal); on this platform the started program chooses its own.
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
