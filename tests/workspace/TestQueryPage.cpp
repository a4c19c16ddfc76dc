// The query page in the main window: opening a query saves nothing and
// leaves nothing to undo; every change saves the whole text; the line
// numbers and the colours; the assistant's tables and columns from the
// tests' loopback server, names quoted where MySQL needs it; the statements
// written at the caret; and a store that cannot be written, said once while
// typing goes on.
#include "MainWindowFixture.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TLocalStore.h"
#include "TExpandPanel.h"
#include "TQueryPage.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <Qsci/qsciscintilla.h>

#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList Column(const QTreeWidget *list) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(0);
  return texts;
}

// The text of the line-number margin on that line.
QString MarginText(QsciScintilla *editor, int line) {
  const long length = editor->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, line, static_cast<const char *>(nullptr));
  QByteArray text(int(length) + 1, '\0');
  editor->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, line, text.data());
  return QString::fromUtf8(text.constData());
}

// The colour the editor draws the character at that position in.
QColor ColourAt(QsciScintilla *editor, int position) {
  editor->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
  const long style = editor->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position);
  const long bgr = editor->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style);
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace

class TestQueryPage : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  std::unique_ptr<RecordingServer> FServer;
  qint64 FQuery = 0;
  const QDateTime FLongAgo = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));

  TQueryPage *Page() const { return qobject_cast<TQueryPage *>(F.W.tsQuery); }
  QsciScintilla *Editor() const { return F.W.mQuery; }
  TXListView *Tables() const { return F.Main().findChild<TXListView *>(QStringLiteral("lvTablesForAssist")); }
  TXListView *Fields() const { return F.Main().findChild<TXListView *>(QStringLiteral("lvFieldsForAssist")); }
  QString StoredText() const {
    return F.Main().Store().Select(TStoreStatement::qrySelectQuerySQL, {{"PK_REQUETE", FQuery}}).AsString("REQUETE");
  }
  QDateTime StoredDate() const {
    for (TStoreRows rows = F.Main().Store().Select(TStoreStatement::qrySelectQueries,
                                                   {{"FK_DATABASE", TTreeNodes::Key(F.Root()->child(0))}});
         !rows.Eof(); rows.Next())
      if (rows.AsInteger("PK_REQUETE") == FQuery) return rows.AsDateTime("DATE_MODIFICATION");
    return {};
  }
  // One connection with one saved query holding the text, opened.
  void OpenQuery(const QString &text) {
    F.AddConnection(QStringLiteral("Base"), FServer->Url(), QStringLiteral("b"));
    TfrmMain &main = F.Start();
    TLocalStore &store = main.Store();
    const qint64 connection = TTreeNodes::Key(F.Root()->child(0));
    store.Execute(TStoreStatement::qryInsertQuery,
                  {{"FK_DATABASE", connection}, {"TITRE", QStringLiteral("q")}, {"DATE_CREATION", FLongAgo}});
    FQuery = store.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", connection}}).AsInteger("PK_REQUETE");
    store.Execute(TStoreStatement::qryUpdateQuerySQL,
                  {{"REQUETE", text}, {"DATE_MODIFICATION", FLongAgo}, {"PK_REQUETE", FQuery}});
    QTreeWidgetItem *folder = F.Root()->child(0)->child(1);
    F.W.tvDB->setCurrentItem(folder);
    F.W.tvDB->setCurrentItem(folder->child(0));
  }
  TExpandPanel *Panel() const { return Page()->pnAssist(); }
  // Unfolds the assistant with a click on its grip, its tables and the
  // first table's columns answered by the server.
  void LoadAssistant(const QByteArray &tables, const QByteArray &columns) {
    FServer->Enqueue(RecordingServer::Ok(tables));
    FServer->Enqueue(RecordingServer::Ok(columns));
    const int before = FServer->Requests().size();
    QSignalSpy expanded(Panel(), &TExpandPanel::OnExpanded);
    QTest::mouseClick(Panel(), Qt::LeftButton, {}, Panel()->GripRect().center());
    QTRY_COMPARE_WITH_TIMEOUT(expanded.size(), 1, 5000);
    QTRY_COMPARE(FServer->Requests().size(), before + 2);
  }

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  void init() {
    QVERIFY(F.IsValid());
    FServer = std::make_unique<RecordingServer>();
    TfrmDialog::ClearAnswers();
  }
  void cleanup() {
    F.Stop();
    FServer.reset();
  }

  void openingSavesNothingAndLeavesNothingToUndo() {
    OpenQuery(QStringLiteral("SELECT 1"));
    // The assistant is folded at once, its lists hidden, nothing asked.
    QCOMPARE(Panel()->ExpandState(), TExpandPanel::esCollapsed);
    QCOMPARE(Panel()->width(), 9);
    QVERIFY(!Tables()->isVisibleTo(Panel()));
    QCOMPARE(FServer->Requests().size(), 0);
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);
    QCOMPARE(Editor()->text(), QStringLiteral("SELECT 1"));
    QCOMPARE(StoredDate(), FLongAgo);
    QVERIFY(!Editor()->isUndoAvailable());
    int line = -1, index = -1;
    Editor()->getCursorPosition(&line, &index);
    QCOMPARE(line, 0);
    QCOMPARE(index, 0);
  }

  // Each keystroke saves the whole text with a new date; undo is an edit too.
  void everyChangeSavesTheWholeText() {
    OpenQuery(QStringLiteral("SELECT 1\nFROM t"));
    Editor()->setFocus();
    Editor()->setCursorPosition(1, 6);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QTest::keyClick(Editor(), Qt::Key_X);
    QCOMPARE(Editor()->text(), QStringLiteral("SELECT 1\nFROM tx"));
    QCOMPARE(StoredText(), Editor()->text());
    QVERIFY(StoredDate() >= before);
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(StoredText(), QStringLiteral("SELECT 1\nFROM t"));
  }

  // Numbered from 0 with leading zeros, the margin growing with the lines,
  // in readable fonts (the editor's 13 pixels, the margin's 11).
  void lineNumbers() {
    OpenQuery(QStringLiteral("a\nb\nc"));
    QVERIFY(Editor()->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0) >= 13);
    // The numbers are drawn: dark pixels in the margin beside the first line.
    QCoreApplication::processEvents();
    const QImage drawn = Editor()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < Editor()->marginWidth(0); ++x) dark += qGray(drawn.pixel(x + 2, y + 2)) < 100;
    QVERIFY2(dark >= 10, qPrintable(QString::number(dark)));
    QVERIFY(Editor()->marginWidth(0) >= 14);
    QCOMPARE(MarginText(Editor(), 0), QStringLiteral("00"));
    QCOMPARE(MarginText(Editor(), 2), QStringLiteral("02"));
    QStringList lines;
    for (int i = 0; i < 101; ++i) lines << QStringLiteral("x");
    Editor()->setText(lines.join(QLatin1Char('\n')));
    QCOMPARE(MarginText(Editor(), 0), QStringLiteral("000"));
    QCOMPARE(MarginText(Editor(), 100), QStringLiteral("100"));
  }

  // Comments green, numbers fuchsia, strings blue (MySQL's # comments too).
  void colours() {
    const QString text = QStringLiteral("-- note\nSELECT 42, 'abc', \"def\" # fin\n");
    OpenQuery(text);
    QCOMPARE(ColourAt(Editor(), text.indexOf(QLatin1String("note"))), QColor(0x00, 0x80, 0x00));
    QCOMPARE(ColourAt(Editor(), text.indexOf(QLatin1String("42"))), QColor(0xFF, 0x00, 0xFF));
    QCOMPARE(ColourAt(Editor(), text.indexOf(QLatin1String("abc"))), QColor(0x00, 0x00, 0xFF));
    QCOMPARE(ColourAt(Editor(), text.indexOf(QLatin1String("def"))), QColor(0x00, 0x00, 0xFF));
    QCOMPARE(ColourAt(Editor(), text.indexOf(QLatin1String("fin"))), QColor(0x00, 0x80, 0x00));
  }

  // The tables in the list's order, the first one selected with its columns
  // in the list's order; the statement replaces the selection as one edit.
  void assistantAndBuilders() {
    OpenQuery(QStringLiteral("-- ici\nXXX\n"));
    LoadAssistant("Tables_in_b\nzeta\nalpha\n", "Field\tType\nb\tint\nA\tint\na\tint\n");
    QCOMPARE(Column(Tables()), (QStringList{"alpha", "zeta"}));
    QCOMPARE(Tables()->currentItem()->text(0), QStringLiteral("alpha"));
    QCOMPARE(FServer->Requests().size(), 2);
    QVERIFY(FServer->Requests().at(1).body.contains("WS_query=show+columns+from+alpha"));
    QCOMPARE(Column(Fields()), (QStringList{"A", "a", "b"}));

    Editor()->setSelection(1, 0, 1, 3);  // "XXX"
    QAction *select = F.Main().findChild<QAction *>(QStringLiteral("mnuBuildSelect"));
    select->trigger();
    const QString built = QStringLiteral("-- ici\nSELECT \n  A,\n  a,\n  b\nFROM \n  alpha\n\n");
    QCOMPARE(Editor()->text(), built);
    QCOMPARE(StoredText(), built);
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Editor()->text(), QStringLiteral("-- ici\nXXX\n"));

    // Another table: its columns are read; nothing selected: nothing written.
    FServer->Enqueue(RecordingServer::Ok("Field\nid\n"));
    Tables()->setCurrentItem(Tables()->topLevelItem(1));
    QCOMPARE(Column(Fields()), (QStringList{"id"}));
    // Columns that cannot be read: an empty list, no message, and a
    // statement without columns.
    FServer->Enqueue(RecordingServer::Ok("$ERR Table 'b.alpha' doesn't exist\n"));
    Tables()->setCurrentItem(Tables()->topLevelItem(0));
    QCOMPARE(Fields()->topLevelItemCount(), 0);
    Editor()->setText(QString());
    F.Main().findChild<QAction *>(QStringLiteral("mnuBuildUpdate"))->trigger();
    QCOMPARE(Editor()->text(), QStringLiteral("UPDATE \n  alpha\nSET\n"));
    Tables()->clearSelection();
    const QString unchanged = Editor()->text();
    for (const char *name : {"mnuBuildSelect", "mnuBuildInsert", "mnuBuildUpdate", "mnuBuildDelete"})
      F.Main().findChild<QAction *>(QLatin1String(name))->trigger();
    QCOMPARE(Editor()->text(), unchanged);
  }

  // A name MySQL would not read as a name is quoted in the columns' request
  // and in the statements written; an ordinary one goes as it is (above).
  void assistantQuotesNames() {
    OpenQuery(QString());
    LoadAssistant("Tables_in_b\norder\n", "Field\nma colonne\nid\n");
    QVERIFY(FServer->Requests().at(1).body.contains("WS_query=show+columns+from+%60order%60"));
    F.Main().findChild<QAction *>(QStringLiteral("mnuBuildSelect"))->trigger();
    QCOMPARE(Editor()->text(), QStringLiteral("SELECT \n  id,\n  `ma colonne`\nFROM \n  `order`\n"));
  }

  // A failed "show tables" is said once and the lists keep what they had.
  void failedTablesKeepTheLists() {
    OpenQuery(QString());
    LoadAssistant("Tables_in_b\nt\n", "Field\nc\n");
    FServer->Enqueue(RecordingServer::Ok("$ERR Access denied\n"));
    TfrmDialog::SetNextAnswer(mrOk);
    const int shown = TfrmDialog::ShownCount();
    // Folded and unfolded again by the user: the tables are asked anew.
    Panel()->SetExpandState(TExpandPanel::esCollapsed);
    QSignalSpy expanded(Panel(), &TExpandPanel::OnExpanded);
    Panel()->SetExpandState(TExpandPanel::esExpanded);
    QTRY_COMPARE_WITH_TIMEOUT(expanded.size(), 1, 5000);
    QCOMPARE(TfrmDialog::ShownCount(), shown + 1);
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Access denied"));
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QCOMPARE(Column(Tables()), (QStringList{"t"}));
    QCOMPARE(Column(Fields()), (QStringList{"c"}));
    QVERIFY(!QApplication::overrideCursor());
  }

  // A store that cannot be written: one message, typing goes on, and the
  // next save that succeeds writes the whole text.
  void unwritableStoreSaidOnce() {
    OpenQuery(QStringLiteral("SELECT"));
    Editor()->setFocus();
    Editor()->setCursorPosition(0, 6);
    F.Main().Store().Close();
    TfrmDialog::SetNextAnswer(mrOk);
    const int shown = TfrmDialog::ShownCount();
    QTest::keyClicks(Editor(), QStringLiteral(" 1,"));
    QCOMPARE(TfrmDialog::ShownCount(), shown + 1);
    QVERIFY(TfrmDialog::LastShown().message.startsWith(
        QStringLiteral("Le texte de la requête ne peut pas être enregistré dans la base locale")));
    QCOMPARE(Editor()->text(), QStringLiteral("SELECT 1,"));
    F.Main().Store().Open(F.StorePath());
    QTest::keyClick(Editor(), Qt::Key_2);
    QCOMPARE(StoredText(), QStringLiteral("SELECT 1,2"));
    QCOMPARE(TfrmDialog::ShownCount(), shown + 1);
  }
};

QTEST_MAIN(TestQueryPage)
#include "TestQueryPage.moc"
