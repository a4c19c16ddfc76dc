#include "MainWindowFixture.h"
#include "RecordingServer.h"
#include "TActionList.h"
#include "TLocalStore.h"
#include "TObjectLists.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <Qsci/qsciscintilla.h>

#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

using Reply = RecordingServer::Reply;

const QByteArray kTableStatus =
    "Name\tEngine\tRows\tData_length\tCreate_time\tUpdate_time\n"
    "clients\tInnoDB\t12\t16384\t2026-01-02 03:04:05\tNULL\n"
    "commandes\tInnoDB\t100\t1048576\t2026-02-03 04:05:06\t2026-12-01 10:00:00\n"
    "produits\tMyISAM\t9\t20\t2025-12-31 23:59:59\t\n";

const QByteArray kColumns =
    "Field\tType\tNull\tKey\tDefault\tExtra\n"
    "id\tint(11)\tNO\tPRI\tNULL\tauto_increment\n"
    "nom\tvarchar(80)\tYES\t\t\t\n";

QStringList Texts(const QTreeWidgetItem *item) {
  QStringList texts;
  for (int c = 0; c < item->columnCount(); ++c) texts << item->text(c);
  return texts;
}

QStringList Column(const QTreeWidget *list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(column);
  return texts;
}

QStringList Children(const QTreeWidgetItem *node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

QStringList PathTexts(const QTreeWidget *path) {
  QStringList texts;
  for (QTreeWidgetItem *node = path->topLevelItem(0); node; node = node->child(0)) texts << node->text(0);
  return texts;
}

QStringList VisiblePages(const QTabWidget *pages) {
  QStringList names;
  for (int i = 0; i < pages->count(); ++i)
    if (pages->isTabVisible(i)) names << pages->widget(i)->objectName();
  return names;
}

}  // namespace

class TestNavigator : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  std::unique_ptr<RecordingServer> FServer;

  QString StorePath() const { return F.StorePath(); }
  void AddConnection(const QString &title, const QString &database) {
    F.AddConnection(title, FServer->Url(), database);
  }
  void AddQuery(qint64 connection, const QString &title, const QString &sql, bool edited) {
    TLocalStore store;
    store.Open(StorePath());
    store.Execute(TStoreStatement::qryInsertQuery, {{"FK_DATABASE", connection}, {"TITRE", title},
                                                    {"DATE_CREATION", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))}});
    if (!edited) return;
    TStoreRows rows = store.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", connection}});
    for (; !rows.Eof(); rows.Next())
      if (rows.AsString("TITRE") == title)
        store.Execute(TStoreStatement::qryUpdateQuerySQL, {{"REQUETE", sql},
                                                           {"DATE_MODIFICATION", QDateTime(QDate(2026, 5, 6), QTime(0, 0))},
                                                           {"PK_REQUETE", rows.AsInteger("PK_REQUETE")}});
  }

  TfrmMain &Start() { return F.Start(); }
  QTreeWidgetItem *Root() const { return F.Root(); }
  // The connection node with that title.
  QTreeWidgetItem *Connection(const QString &title) const {
    for (int i = 0; i < Root()->childCount(); ++i)
      if (Root()->child(i)->text(0) == title) return Root()->child(i);
    return nullptr;
  }
  QStringList Queries() const {
    QStringList sent;
    for (const RecordingServer::Request &request : FServer->Requests()) {
      const QByteArray body = request.body;
      const int at = body.indexOf("WS_query=");
      sent << QUrl::fromPercentEncoding(body.mid(at + 9).replace('+', ' '));
    }
    return sent;
  }
  QString DatabaseOfRequest(int index) const {
    const QByteArray body = FServer->Requests().at(index).body;
    for (const QByteArray &field : body.split('&'))
      if (field.startsWith("WS_database=")) return QString::fromUtf8(field.mid(12));
    return {};
  }

 private slots:
  void init() {
    QVERIFY(F.IsValid());
    FServer = std::make_unique<RecordingServer>();
    TfrmDialog::ClearAnswers();
  }
  void cleanup() {
    F.Stop();
    FServer.reset();
  }

  void rootShowsTheConnections() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("b"));
    TfrmMain &main = Start();
    QCOMPARE(Column(main.lvGene, 0), (QStringList{"Beta", "Alpha"}));
    QCOMPARE(main.PageControl->tabText(0), QStringLiteral("Bases"));
    QCOMPARE(VisiblePages(main.PageControl), (QStringList{"tsGene"}));
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases"}));
    QCOMPARE(main.lvGene->contextMenuPolicy(), Qt::CustomContextMenu);
  }

  void selectingAConnectionListsItsFolders() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha")));
    QCOMPARE(Column(main.lvGene, 0), (QStringList{"Tables", "Requêtes"}));
    QCOMPARE(main.PageControl->tabText(0), QStringLiteral("Alpha"));
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases", "Alpha"}));
    QCOMPARE(FServer->Requests().size(), 0);  // the server is never asked for a connection
  }

  void tablesAreLoadedOnceAndRefreshed() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("shop"));
    TfrmMain &main = Start();
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    FServer->Enqueue(RecordingServer::Ok(kTableStatus));
    main.tvDB->setCurrentItem(tables);
    QCOMPARE(Queries(), (QStringList{"show table status"}));
    QCOMPARE(Children(tables), (QStringList{"clients", "commandes", "produits"}));
    QCOMPARE(TTreeNodes::Kind(tables->child(0)), int(nkTable));
    QVERIFY(TTreeNodes::NeedsLoading(tables->child(0)));
    QCOMPARE(VisiblePages(main.PageControl), (QStringList{"tsTables"}));
    QCOMPARE(main.PageControl->currentWidget(), main.tsTables);
    // Shown exactly as sent, numbered from 0.
    QCOMPARE(main.lvTables->topLevelItemCount(), 3);
    QCOMPARE(Texts(main.lvTables->topLevelItem(0)),
             (QStringList{"0", "clients", "12", "16384", "2026-01-02 03:04:05", "NULL"}));
    QCOMPARE(Texts(main.lvTables->topLevelItem(2)), (QStringList{"2", "produits", "9", "20", "2025-12-31 23:59:59", ""}));
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases", "Alpha", "Tables"}));

    main.tvDB->setCurrentItem(Root());
    main.tvDB->setCurrentItem(tables);
    QCOMPARE(Queries().size(), 1);  // loaded once
    QCOMPARE(main.lvTables->topLevelItemCount(), 3);

    FServer->Enqueue(RecordingServer::Ok("Name\tRows\nseule\t1\n"));
    main.ActionList().Execute(main.actRefresh);
    QCOMPARE(Queries(), (QStringList{"show table status", "show table status"}));
    QCOMPARE(Children(tables), (QStringList{"seule"}));
    QCOMPARE(Column(main.lvTables, 1), (QStringList{"seule"}));
  }

  // Each tables folder shows its own tables when selected again.
  void reselectingShowsTheNodesOwnList() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("b"));
    TfrmMain &main = Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nta1\nta2\n"));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    FServer->Enqueue(RecordingServer::Ok("Name\ntb1\n"));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Beta"))->child(0));
    QCOMPARE(Column(main.lvTables, 1), (QStringList{"tb1"}));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    QCOMPARE(Column(main.lvTables, 1), (QStringList{"ta1", "ta2"}));
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases", "Alpha", "Tables"}));
    QCOMPARE(FServer->Requests().size(), 2);
  }

  void failedTablesRequestShowsItsMessage() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    FServer->Enqueue(RecordingServer::Ok("$ERR Access denied for user 'reader'\n"));
    TfrmDialog::SetNextAnswer(mrOk);
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    main.tvDB->setCurrentItem(tables);
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Access denied for user 'reader'"));
    QCOMPARE(tables->childCount(), 0);
    QCOMPARE(main.lvTables->topLevelItemCount(), 0);
    QVERIFY(!QApplication::overrideCursor());
  }

  void columnsOfATable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    FServer->Enqueue(RecordingServer::Ok(kTableStatus));
    main.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *clients = tables->child(0);

    // Expanded with the mouse, not selected: it loads and the pages follow.
    FServer->Enqueue(RecordingServer::Ok(kColumns));
    clients->setExpanded(true);
    QCOMPARE(main.tvDB->currentItem(), tables);
    QCOMPARE(Queries().last(), QStringLiteral("show columns from clients"));
    QCOMPARE(Children(clients), (QStringList{"id", "nom"}));
    QCOMPARE(Texts(main.lvFields->topLevelItem(0)), (QStringList{"0", "id", "int(11)", "NO", "PRI", "NULL", "auto_increment"}));
    QCOMPARE(Texts(main.lvFields->topLevelItem(1)), (QStringList{"1", "nom", "varchar(80)", "YES", "", "", ""}));
    QCOMPARE(VisiblePages(main.PageControl), (QStringList{"tsFields", "tsDatas"}));
    QCOMPARE(main.PageControl->currentWidget(), main.tsFields);
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases", "Alpha", "Tables", "clients"}));

    // A column shows its table's page and path, and asks nobody.
    main.tvDB->setCurrentItem(clients->child(1));
    QCOMPARE(PathTexts(main.tvPath), (QStringList{"Bases", "Alpha", "Tables", "clients"}));
    QCOMPARE(main.PageControl->currentWidget(), main.tsFields);
    QCOMPARE(main.lvFields->topLevelItemCount(), 2);
    QCOMPARE(FServer->Requests().size(), 2);

    // A table name is sent as it is, and a failed request lists nothing.
    FServer->Enqueue(RecordingServer::Ok("$ERR Table 'a.commandes' doesn't exist\n"));
    TfrmDialog::SetNextAnswer(mrOk);
    main.tvDB->setCurrentItem(tables->child(1));
    QCOMPARE(Queries().last(), QStringLiteral("show columns from commandes"));
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Table 'a.commandes' doesn't exist"));
    QCOMPARE(tables->child(1)->childCount(), 0);
    QCOMPARE(main.lvFields->topLevelItemCount(), 0);
  }

  // The client carries the settings of the connection that owns the node,
  // read again only when another connection or a refresh asks.
  void settingsFollowTheConnection() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("base_a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("base_b"));
    TfrmMain &main = Start();
    for (int i = 0; i < 4; ++i) FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Beta"))->child(0));
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0)->child(0));
    QCOMPARE(DatabaseOfRequest(0), QStringLiteral("base_a"));
    QCOMPARE(DatabaseOfRequest(1), QStringLiteral("base_b"));
    QCOMPARE(DatabaseOfRequest(2), QStringLiteral("base_a"));
    QCOMPARE(main.WebService().Tag, int(TTreeNodes::Key(Connection(QStringLiteral("Alpha")))));
    QCOMPARE(main.WebService().Service, QStringLiteral("SQL"));
    QCOMPARE(main.WebService().SQLServer, QStringLiteral("db.local"));
    QCOMPARE(main.WebService().Account, QStringLiteral("reader"));
    QCOMPARE(main.WebService().Password, QStringLiteral("secret"));
  }

  void savedQueries() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    const qint64 key = TTreeNodes::Key(Connection(QStringLiteral("Alpha")));
    AddQuery(key, QStringLiteral("zz dernière"), QStringLiteral("SELECT 2"), true);
    AddQuery(key, QStringLiteral("aa première"), QString(), false);
    QTreeWidgetItem *folder = Connection(QStringLiteral("Alpha"))->child(1);
    QCOMPARE(TTreeNodes::Key(folder), key);
    main.tvDB->setCurrentItem(folder);
    QCOMPARE(Children(folder), (QStringList{"aa première", "zz dernière"}));
    QCOMPARE(Column(main.lvQueries, 0), (QStringList{"aa première", "zz dernière"}));
    const QLocale locale = QLocale::system();
    QCOMPARE(main.lvQueries->topLevelItem(0)->text(1), TObjectLists::StoreDateText(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
    QVERIFY(main.lvQueries->topLevelItem(0)->text(1).startsWith(locale.toString(QDate(2026, 3, 4), QLocale::ShortFormat)));
    QVERIFY(main.lvQueries->topLevelItem(0)->text(2).isEmpty());  // never changed
    QCOMPARE(main.lvQueries->topLevelItem(1)->text(2), locale.toString(QDate(2026, 5, 6), QLocale::ShortFormat));  // midnight: no time
    QCOMPARE(VisiblePages(main.PageControl), (QStringList{"tsQueries"}));

    // Double click opens the query; its text goes into the editor.
    main.lvQueries->setCurrentItem(main.lvQueries->topLevelItem(1));
    main.lvQueries->topLevelItem(1)->setSelected(true);
    FNavigatorDoubleClick(main);
    QCOMPARE(main.tvDB->currentItem(), folder->child(1));
    QCOMPARE(main.mQuery->text(), QStringLiteral("SELECT 2"));
    QCOMPARE(VisiblePages(main.PageControl), (QStringList{"tsQuery", "tsDatas"}));
    QCOMPARE(main.PageControl->currentWidget(), main.tsQuery);
    QCOMPARE(main.WebService().Tag, int(key));
    QCOMPARE(FServer->Requests().size(), 0);

    main.tvDB->setCurrentItem(folder->child(0));
    QCOMPARE(main.mQuery->text(), QString());
    QVERIFY(!main.mQuery->isUndoAvailable());

    // Selecting the folder again shows its list without reading the store.
    main.tvDB->setCurrentItem(folder);
    QCOMPARE(Column(main.lvQueries, 0), (QStringList{"aa première", "zz dernière"}));
  }

  void onlySavedQueriesAreEditable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    const qint64 key = TTreeNodes::Key(Connection(QStringLiteral("Alpha")));
    AddQuery(key, QStringLiteral("q"), QString(), false);
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc\n"));
    QTreeWidgetItem *connection = Connection(QStringLiteral("Alpha"));
    main.tvDB->setCurrentItem(connection->child(0));
    main.tvDB->setCurrentItem(connection->child(0)->child(0));
    main.tvDB->setCurrentItem(connection->child(1));
    const QList<QTreeWidgetItem *> nodes{Root(), connection, connection->child(0), connection->child(1),
                                         connection->child(0)->child(0), connection->child(0)->child(0)->child(0),
                                         connection->child(1)->child(0)};
    for (QTreeWidgetItem *node : nodes) {
      const bool query = TTreeNodes::Kind(node) == nkQuery;
      QCOMPARE(bool(node->flags() & Qt::ItemIsEditable), query);
    }
  }

  // Enter in the general list selects the item's node; with nothing
  // selected it does nothing, and the list never sees the key.
  void enterInTheGeneralList() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    main.lvGene->clearSelection();
    main.lvGene->setCurrentItem(nullptr);
    QTest::keyClick(main.lvGene, Qt::Key_Return);
    QCOMPARE(main.tvDB->currentItem(), Root());
    main.lvGene->setCurrentItem(main.lvGene->topLevelItem(0));
    QTest::keyClick(main.lvGene, Qt::Key_Return);
    QCOMPARE(main.tvDB->currentItem(), Connection(QStringLiteral("Alpha")));
    // Then "Tables" from the connection's list, by double click.
    main.lvGene->setCurrentItem(main.lvGene->topLevelItem(0));
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    emit main.lvGene->itemDoubleClicked(main.lvGene->topLevelItem(0), 0);
    QCOMPARE(main.tvDB->currentItem(), Connection(QStringLiteral("Alpha"))->child(0));
  }

  void pathBarClickSelectsTheNode() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    main.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha")));
    QTreeWidgetItem *first = main.tvPath->topLevelItem(0);
    main.tvPath->setCurrentItem(first);
    emit main.tvPath->itemClicked(first, 0);
    QCOMPARE(main.tvDB->currentItem(), Root());
  }

  void dataPageIsNeverActiveAfterASelection() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc\n"));
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    main.tvDB->setCurrentItem(tables);
    main.tvDB->setCurrentItem(tables->child(0));
    main.PageControl->setCurrentWidget(main.tsDatas);
    main.tvDB->setCurrentItem(tables->child(0)->child(0));
    QCOMPARE(main.PageControl->currentWidget(), main.tsFields);
  }

  // F5 on a column reloads its table; the lists never keep a deleted node.
  void refreshOfAColumnReloadsItsTable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc1\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc1\nc2\n"));
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    main.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *table = tables->child(0);
    main.tvDB->setCurrentItem(table);
    main.tvDB->setCurrentItem(table->child(0));
    QVERIFY(main.ActionList().Execute(main.actRefresh));
    QCOMPARE(Children(table), (QStringList{"c1", "c2"}));
    QCOMPARE(Queries().count(QStringLiteral("show columns from t")), 2);
    // Every level of the path bar still leads to a live node. A click
    // rebuilds the bar, so each level is looked up afresh.
    const int levels = PathTexts(main.tvPath).size();
    for (int level = levels - 1; level >= 0; --level) {
      QTreeWidgetItem *path = main.tvPath->topLevelItem(0);
      for (int i = 0; i < level && path; ++i) path = path->child(0);
      QVERIFY(path);
      const QString text = path->text(0);
      main.tvPath->setCurrentItem(path);
      emit main.tvPath->itemClicked(path, 0);
      QCOMPARE(main.tvDB->currentItem()->text(0), text);
    }
  }

 private:
  void FNavigatorDoubleClick(TfrmMain &main) {
    emit main.lvQueries->itemDoubleClicked(main.lvQueries->currentItem(), 0);
  }
};

QTEST_MAIN(TestNavigator)
#include "TestNavigator.moc"
