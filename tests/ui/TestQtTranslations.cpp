// Qt's own texts read French as the program's do, whatever the locale
// (CTest runs the tests in C.UTF-8): the context menus of a line edit and
// of the editor (QScintilla's own), and the standard buttons.
#include "UQtTranslations.h"

#include <Qsci/qsciscintilla.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

// A menu's entries as the user reads them: no accelerator marks, no
// shortcut after the tab, no separators.
QStringList Entries(const QMenu &menu) {
  QStringList entries;
  for (const QAction *action : menu.actions())
    if (!action->isSeparator()) entries << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
  return entries;
}

}  // namespace

class TestQtTranslations : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const QStringList missing = InstallQtFrench(*qApp);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
  }

  void contextMenus_data() {
    QTest::addColumn<bool>("editor");  // QsciScintilla, or a line edit
    QTest::newRow("line edit") << false;
    QTest::newRow("editor") << true;
  }
  void contextMenus() {
    QFETCH(bool, editor);
    QLineEdit line;
    QsciScintilla sql;
    std::unique_ptr<QMenu> menu(editor ? sql.createStandardContextMenu() : line.createStandardContextMenu());
    QVERIFY(menu);
    const QStringList entries = Entries(*menu);
    for (const char *french : {"Annuler", "Copier", "Tout sélectionner"})
      QVERIFY2(entries.contains(QString::fromUtf8(french)), qPrintable(entries.join(QStringLiteral(" | "))));
    for (const char *english : {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All", "Select all"})
      QVERIFY2(!entries.contains(QLatin1String(english)), qPrintable(entries.join(QStringLiteral(" | "))));
  }

  void standardButtons_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << "Annuler";
    QTest::newRow("yes") << int(QDialogButtonBox::Yes) << "Oui";
    QTest::newRow("no") << int(QDialogButtonBox::No) << "Non";
    QTest::newRow("close") << int(QDialogButtonBox::Close) << "Fermer";
  }
  void standardButtons() {
    QFETCH(int, button);
    QFETCH(QString, text);
    const auto standard = QDialogButtonBox::StandardButton(button);
    QDialogButtonBox box(standard);
    QCOMPARE(box.button(standard)->text().remove(QLatin1Char('&')), text);
  }
};

QTEST_MAIN(TestQtTranslations)
#include "TestQtTranslations.moc"
