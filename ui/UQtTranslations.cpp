#include "UQtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Debian's French catalogue of QScintilla has nothing for the editor's
// context menu; its entries are the line edit's own source texts ("&Undo",
// "Select All"), so they are read from Qt's French line edit and the two
// menus match.
class TEditorMenuTranslator : public QTranslator {
 public:
  TEditorMenuTranslator(const QTranslator &qtBase, QObject *parent) : QTranslator(parent), FQtBase(qtBase) {}

  QString translate(const char *context, const char *sourceText, const char *disambiguation,
                    int n) const override {
    if (qstrcmp(context, "QsciScintilla") != 0) return QString();
    return FQtBase.translate("QLineEdit", sourceText, disambiguation, n);
  }
  bool isEmpty() const override { return false; }

 private:
  const QTranslator &FQtBase;
};

// A catalogue of Qt's translations folder, installed; null when it cannot
// be loaded.
QTranslator *Install(QCoreApplication &app, const QString &folder, const QString &catalogue) {
  auto *translator = new QTranslator(&app);
  if (translator->load(catalogue, folder) && QCoreApplication::installTranslator(translator)) return translator;
  delete translator;
  return nullptr;
}

}  // namespace

QStringList InstallQtFrench(QCoreApplication &app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  QStringList missing;
  const auto note = [&](const QString &catalogue) {
    missing << QDir(folder).filePath(catalogue + QStringLiteral(".qm"));
  };
  // Qt's widgets and dialogs; then the editor's menu from them; then
  // QScintilla's own catalogue, installed last so that it comes first
  // where it has a text.
  if (const QTranslator *qtBase = Install(app, folder, QStringLiteral("qtbase_fr")))
    QCoreApplication::installTranslator(new TEditorMenuTranslator(*qtBase, &app));
  else
    note(QStringLiteral("qtbase_fr"));
  if (!Install(app, folder, QStringLiteral("qscintilla_fr"))) note(QStringLiteral("qscintilla_fr"));
  return missing;
}
