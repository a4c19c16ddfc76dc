// UQtTranslations: the interface is French whatever the locale, and so
// must be the texts Qt and QScintilla bring of their own: the context
// menus of the line edits and of the editor, the standard buttons and
// dialogs.
#pragma once

#include <QStringList>

class QCoreApplication;

// Installs Qt's and QScintilla's French catalogues on the application
// (from Qt's translations folder, where Debian's qt6-translations-l10n and
// libqscintilla2-qt6-l10n put them); the editor's context menu reads as
// the line edit's. The files it could not load, whose texts then stay in
// English; empty when both were.
QStringList InstallQtFrench(QCoreApplication &app);
