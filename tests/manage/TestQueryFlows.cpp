// Saved queries from the main window: created beside the selection,
// renamed in place in the tree and in the list with the user's own keys and
// clicks, deleted after the question; one refresh after a rename.
#include "MainWindowFixture.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TActionList.h"
#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList Children(const QTreeWidgetItem *node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}


// The in-place editor open in a view, if any.
QLineEdit *OpenEditor(QAbstractItemView *view) {
  for (QLineEdit *editor : view->viewport()->findChildren<QLineEdit *>())
    if (editor->isVisible()) return editor;
  return nullptr;
}

struct TStoredQuery {
  QString Title;
  QString Sql;
  QDateTime Created;
  QDateTime Modified;
};

}  // namespace

class TestQueryFlows : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  qint64 FConnection = 0;

  QTreeWidgetItem *Root() const { return F.Root(); }
  QTreeWidgetItem *Folder() const { return Root()->child(0)->child(1); }
  QTreeWidgetItem *Query(const QString &title) const {
    for (int i = 0; i < Folder()->childCount(); ++i)
      if (Folder()->child(i)->text(0) == title) return Folder()->child(i);
    return nullptr;
  }
  void AddQuery(const QString &title) {
    F.Main().Store().Execute(TStoreStatement::qryInsertQuery,
                             {{"FK_DATABASE", FConnection}, {"TITRE", title},
                              {"DATE_CREATION", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))}});
  }
  QList<TStoredQuery> Stored() const {
    QList<TStoredQuery> queries;
    TStoreRows rows = F.Main().Store().Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", FConnection}});
    for (; !rows.Eof(); rows.Next()) {
      const TStoreRows sql =
          F.Main().Store().Select(TStoreStatement::qrySelectQuerySQL, {{"PK_REQUETE", rows.AsInteger("PK_REQUETE")}});
      queries << TStoredQuery{rows.AsString("TITRE"), sql.AsString("REQUETE"), rows.AsDateTime("DATE_CREATION"),
                              rows.AsDateTime("DATE_MODIFICATION")};
    }
    return queries;
  }
  QStringList StoredTitles() const {
    QStringList titles;
    for (const TStoredQuery &query : Stored()) titles << query.Title;
    return titles;
  }
  // A window with one connection "Base" holding the queries, its folder
  // selected and loaded.
  void StartWith(const QStringList &titles, const QString &webServer = QStringLiteral("http://127.0.0.1:9")) {
    F.AddConnection(QStringLiteral("Base"), webServer, QStringLiteral("b"));
    TfrmMain &main = F.Start();
    FConnection = TTreeNodes::Key(Root()->child(0));
    for (const QString &title : titles) AddQuery(title);
    F.W.tvDB->setCurrentItem(Folder());
    Folder()->setExpanded(true);
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
  }
  void Run(QAction *action) { QVERIFY(F.Main().ActionList().Execute(action)); }
  void SetSql(const QString &title, const QString &sql) {
    for (TStoreRows rows = F.Main().Store().Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", FConnection}});
         !rows.Eof(); rows.Next())
      if (rows.AsString("TITRE") == title)
        F.Main().Store().Execute(TStoreStatement::qryUpdateQuerySQL, {{"REQUETE", sql},
                                                                      {"DATE_MODIFICATION", QDateTime::currentDateTime()},
                                                                      {"PK_REQUETE", rows.AsInteger("PK_REQUETE")}});
  }

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  void init() {
    QVERIFY(F.IsValid());
    TfrmDialog::ClearAnswers();
  }
  void cleanup() { F.Stop(); }

  // From a query or from its folder, the new query goes into the same
  // connection, titled with the moment it was made.
  void newQuery_data() {
    QTest::addColumn<bool>("fromQuery");
    QTest::newRow("a query selected") << true;
    QTest::newRow("the folder selected") << false;
  }
  void newQuery() {
    QFETCH(bool, fromQuery);
    StartWith({QStringLiteral("Ventes")});
    if (fromQuery) F.W.tvDB->setCurrentItem(Query(QStringLiteral("Ventes")));
    Idle();
    QVERIFY(F.W.actNewQuery->isEnabled());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Run(F.W.actNewQuery);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QList<TStoredQuery> stored = Stored();
    QCOMPARE(stored.size(), 2);
    const TStoredQuery &made = stored[0];  // "Nouvelle ..." sorts before "Ventes"
    QVERIFY(made.Created >= before && made.Created <= after);
    QCOMPARE(made.Title, QStringLiteral("Nouvelle requête (") + TLocalStore::DateTimeText(made.Created) + ")");
    QVERIFY(made.Sql.isEmpty());
    QVERIFY(!made.Modified.isValid());
    QCOMPARE(Children(Folder()), (QStringList{made.Title, "Ventes"}));
  }

  void newQueryNeedsAFolderOrAQuery() {
    StartWith({});
    F.W.tvDB->setCurrentItem(Root()->child(0));
    Idle();
    QVERIFY(!F.W.actNewQuery->isEnabled());
    QVERIFY(!F.Main().ActionList().Execute(F.W.actNewQuery));
    QVERIFY(Stored().isEmpty());
  }

  // F2 on the selected query opens its editor; Enter saves the title as
  // typed, with a modification date, and one refresh follows the timer.
  void renameInTheTreeWithF2() {
    StartWith({QStringLiteral("Ventes")});
    QTreeWidgetItem *query = Query(QStringLiteral("Ventes"));
    F.W.tvDB->setCurrentItem(query);
    F.W.tvDB->setFocus();
    Idle();
    QSignalSpy refreshes(F.W.TimerRefresh, &QTimer::timeout);
    QTest::keyClick(F.W.tvDB, Qt::Key_F2);
    QLineEdit *editor = OpenEditor(F.W.tvDB);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("Ventes"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("  Ventes 2026 "));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits its editor from the event loop
    // Saved at once, refreshed only once the edit is over.
    QCOMPARE(StoredTitles(), (QStringList{"  Ventes 2026 "}));
    QVERIFY(Stored()[0].Modified.isValid());
    QVERIFY(F.W.TimerRefresh->isActive());
    QCOMPARE(refreshes.size(), 0);
    QTRY_COMPARE(refreshes.size(), 1);
    QCOMPARE(Children(Folder()), (QStringList{"  Ventes 2026 "}));
    QTest::qWait(100);
    QCOMPARE(refreshes.size(), 1);
    QVERIFY(!F.W.TimerRefresh->isActive());
  }

  // A second, slow click on the selected query edits it too; Escape leaves
  // it as it was.
  void slowSecondClickAndEscape() {
    StartWith({QStringLiteral("Ventes")});
    QTreeWidgetItem *query = Query(QStringLiteral("Ventes"));
    const QPoint at = F.W.tvDB->visualItemRect(query).center();
    QTest::mouseClick(F.W.tvDB->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(F.W.tvDB->currentItem(), query);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(F.W.tvDB->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(OpenEditor(F.W.tvDB));
    QLineEdit *editor = OpenEditor(F.W.tvDB);
    QTest::keyClicks(editor, QStringLiteral("autre"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!OpenEditor(F.W.tvDB));
    QCOMPARE(StoredTitles(), (QStringList{"Ventes"}));
    QVERIFY(!Stored()[0].Modified.isValid());
    QVERIFY(!F.W.TimerRefresh->isActive());
  }

  // In the list, the selected item's caption is edited; the tree shows the
  // new title after the deferred refresh. Only the caption can be edited.
  void renameInTheList() {
    StartWith({QStringLiteral("A"), QStringLiteral("B")});
    F.W.lvQueries->setFocus();
    QTreeWidgetItem *item = F.W.lvQueries->topLevelItem(1);
    const QPoint dateCell = F.W.lvQueries->visualItemRect(item).topLeft() +
                            QPoint(F.W.lvQueries->columnViewportPosition(1) + 5, 5);
    QTest::mouseClick(F.W.lvQueries->viewport(), Qt::LeftButton, {}, dateCell);
    QCOMPARE(F.W.lvQueries->currentItem(), item);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(F.W.lvQueries->viewport(), Qt::LeftButton, {}, dateCell);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QVERIFY(!OpenEditor(F.W.lvQueries));  // a date is not a name

    Idle();
    QVERIFY(F.W.actRenameQuery->isEnabled());
    QTest::keyClick(F.W.lvQueries, Qt::Key_F2);
    QLineEdit *editor = OpenEditor(F.W.lvQueries);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("B"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Clients"));
    QTest::keyClick(editor, Qt::Key_Enter);
    QTRY_COMPARE(StoredTitles(), (QStringList{"A", "Clients"}));
    QTRY_COMPARE(Children(Folder()), (QStringList{"A", "Clients"}));
    QCOMPARE(F.W.tvDB->currentItem(), Folder());
  }

  // Folders, connections, tables and the root are never edited in place.
  void otherNodesAreNotEdited() {
    StartWith({QStringLiteral("Ventes")});
    for (QTreeWidgetItem *node : {Root(), Root()->child(0), Folder()}) {
      F.W.tvDB->setCurrentItem(node);
      F.W.tvDB->setFocus();
      Idle();
      QTest::keyClick(F.W.tvDB, Qt::Key_F2);
      const QPoint at = F.W.tvDB->visualItemRect(node).center();
      QTest::qWait(QApplication::doubleClickInterval() + 50);
      QTest::mouseClick(F.W.tvDB->viewport(), Qt::LeftButton, {}, at);
      QTest::qWait(QApplication::doubleClickInterval() + 50);
      QVERIFY2(!OpenEditor(F.W.tvDB), qPrintable(node->text(0)));
    }
  }

  void deleteAQuery_data() {
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("confirmed in the tree") << false << int(mrOk) << QStringList{"A"};
    QTest::newRow("cancelled") << false << int(mrCancel) << QStringList{"A", "B"};
    QTest::newRow("confirmed in the list") << true << int(mrOk) << QStringList{"A"};
    QTest::newRow("cancelled in the list") << true << int(mrCancel) << QStringList{"A", "B"};
  }
  void deleteAQuery() {
    QFETCH(bool, fromList);
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    StartWith({QStringLiteral("A"), QStringLiteral("B")});
    if (fromList)
      F.W.lvQueries->setCurrentItem(F.W.lvQueries->topLevelItem(1));
    else
      F.W.tvDB->setCurrentItem(Query(QStringLiteral("B")));
    TfrmDialog::SetNextAnswer(answer);
    Run(F.W.actDeleteQuery);
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Confirmez-vous la suppression de la requête <B> ?"));
    QCOMPARE(TfrmDialog::LastShown().kind, mtConfirmation);
    QCOMPARE(TfrmDialog::LastShown().buttons, (TMsgDlgButtons{mbOK, mbCancel}));
    QCOMPARE(StoredTitles(), left);
    QCOMPARE(Children(Folder()), left);
  }

  // With "Données" in front showing a saved UPDATE, the flows reload the
  // tree and the list and send nothing: the new query shows, the renamed
  // one carries its title, the deleted one goes, and typing afterwards goes
  // to the query on show.
  void flowsWithTheDataPageInFront_data() {
    QTest::addColumn<QString>("flow");
    QTest::addColumn<QStringList>("after");  // "*" stands for the new query's title
    QTest::newRow("new") << "new" << QStringList{"*", "Plus un", "Zeta"};
    QTest::newRow("rename") << "rename" << QStringList{"Encore plus un", "Zeta"};
    QTest::newRow("delete") << "delete" << QStringList{"Zeta"};
  }
  void flowsWithTheDataPageInFront() {
    QFETCH(QString, flow);
    QFETCH(QStringList, after);
    RecordingServer server;
    StartWith({QStringLiteral("Plus un"), QStringLiteral("Zeta")}, server.Url());
    const QString update = QStringLiteral("UPDATE t SET v = v + 1 WHERE id = 1");
    SetSql(QStringLiteral("Plus un"), update);
    F.W.tvDB->setCurrentItem(Query(QStringLiteral("Plus un")));
    server.Enqueue(RecordingServer::Ok("affected_rows\n1\n"));
    TfrmDialog::SetNextAnswer(mrYes);
    F.W.PageControl->setCurrentWidget(F.W.tsDatas);  // as the user's click on the tab
    QCOMPARE(server.Requests().size(), 1);
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("1 ligne(s) modifiée(s)"));
    Idle();

    if (flow == QLatin1String("new")) {
      Run(F.W.actNewQuery);
    } else if (flow == QLatin1String("rename")) {
      F.W.tvDB->setFocus();
      Run(F.W.actRenameQuery);
      QLineEdit *editor = OpenEditor(F.W.tvDB);
      QVERIFY(editor);
      editor->selectAll();
      QTest::keyClicks(editor, QStringLiteral("Encore plus un"));
      QTest::keyClick(editor, Qt::Key_Return);
      QTRY_VERIFY(!F.W.TimerRefresh->isActive());
      QTest::qWait(50);
    } else {
      TfrmDialog::SetNextAnswer(mrOk);
      Run(F.W.actDeleteQuery);
    }
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(server.Requests().size(), 1);  // nothing sent again
    QStringList expected = after;
    if (flow == QLatin1String("new")) expected[0] = StoredTitles().value(0);
    QCOMPARE(StoredTitles(), expected);
    QTRY_COMPARE(Children(Folder()), expected);
    QCOMPARE(F.W.lvQueries->topLevelItemCount(), expected.size());

    // Typing goes to the query that is shown, and to no other.
    QTreeWidgetItem *shown = Query(expected.last());
    F.W.tvDB->setCurrentItem(shown);
    F.W.PageControl->setCurrentWidget(F.W.tsQuery);
    QCOMPARE(F.W.mQuery->text(), QString());
    F.W.mQuery->setFocus();
    QTest::keyClicks(F.W.mQuery, QStringLiteral("SELECT 1"));
    for (const TStoredQuery &query : Stored())
      QCOMPARE(query.Sql, query.Title == expected.last() ? QStringLiteral("SELECT 1")
                          : query.Title == QLatin1String("Plus un") || query.Title == QLatin1String("Encore plus un")
                              ? update
                              : QString());
    QCOMPARE(server.Requests().size(), 1);
  }

  // After a query was opened from the list, the tree's selection comes
  // first; once the tree has moved to another kind of node, the list's old
  // selection is off screen and no target.
  void targetFollowsWhatIsOnShow() {
    StartWith({QStringLiteral("A"), QStringLiteral("B")});
    F.W.lvQueries->setCurrentItem(F.W.lvQueries->topLevelItem(1));
    emit F.W.lvQueries->itemDoubleClicked(F.W.lvQueries->topLevelItem(1), 0);
    F.W.tvDB->setCurrentItem(Query(QStringLiteral("A")));
    TfrmDialog::SetNextAnswer(mrCancel);
    Run(F.W.actDeleteQuery);
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Confirmez-vous la suppression de la requête <A> ?"));

    F.W.tvDB->setCurrentItem(Folder());
    F.W.lvQueries->setCurrentItem(F.W.lvQueries->topLevelItem(1));
    F.W.tvDB->setCurrentItem(Root()->child(0));
    Idle();
    QVERIFY(!F.W.actRenameQuery->isEnabled());
    QVERIFY(!F.W.actDeleteQuery->isEnabled());
  }
};

QTEST_MAIN(TestQueryFlows)
#include "TestQueryFlows.moc"
