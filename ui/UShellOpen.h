// UShellOpen: documents and web addresses opened with the desktop's own
// programs.
#pragma once

#include <QString>

// Opens the document or web address as the desktop would on a double click
// (a browser for a web address). showMode is the window state the caller
// asks for (1: a normal window); the desktop's program chooses its own.
// False when nothing could open it.
bool ShellOpen(const QString &document, int showMode = 1);
