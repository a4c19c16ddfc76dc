#include "MainWindowFixture.h"
#include "NoProxy.h"
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

  void rootShowsTheConnections() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("b"));
    Start();
    QCOMPARE(Column(F.W.lvGene, 0), (QStringList{"Beta", "Alpha"}));
    QCOMPARE(F.W.PageControl->tabText(0), QStringLiteral("Bases"));
    QCOMPARE(VisiblePages(F.W.PageControl), (QStringList{"tsGene"}));
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases"}));
    QCOMPARE(F.W.lvGene->contextMenuPolicy(), Qt::CustomContextMenu);
  }

  void selectingAConnectionListsItsFolders() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha")));
    QCOMPARE(Column(F.W.lvGene, 0), (QStringList{"Tables", "Requêtes"}));
    QCOMPARE(F.W.PageControl->tabText(0), QStringLiteral("Alpha"));
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases", "Alpha"}));
    QCOMPARE(FServer->Requests().size(), 0);  // the server is never asked for a connection
  }

  void tablesAreLoadedOnceAndRefreshed() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("shop"));
    TfrmMain &main = Start();
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    FServer->Enqueue(RecordingServer::Ok(kTableStatus));
    F.W.tvDB->setCurrentItem(tables);
    QCOMPARE(Queries(), (QStringList{"show table status"}));
    QCOMPARE(Children(tables), (QStringList{"clients", "commandes", "produits"}));
    QCOMPARE(TTreeNodes::Kind(tables->child(0)), int(nkTable));
    QVERIFY(TTreeNodes::NeedsLoading(tables->child(0)));
    QCOMPARE(VisiblePages(F.W.PageControl), (QStringList{"tsTables"}));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsTables);
    // Shown exactly as sent, numbered from 0.
    QCOMPARE(F.W.lvTables->topLevelItemCount(), 3);
    QCOMPARE(Texts(F.W.lvTables->topLevelItem(0)),
             (QStringList{"0", "clients", "12", "16384", "2026-01-02 03:04:05", "NULL"}));
    QCOMPARE(Texts(F.W.lvTables->topLevelItem(2)), (QStringList{"2", "produits", "9", "20", "2025-12-31 23:59:59", ""}));
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases", "Alpha", "Tables"}));

    F.W.tvDB->setCurrentItem(Root());
    F.W.tvDB->setCurrentItem(tables);
    QCOMPARE(Queries().size(), 1);  // loaded once
    QCOMPARE(F.W.lvTables->topLevelItemCount(), 3);

    FServer->Enqueue(RecordingServer::Ok("Name\tRows\nseule\t1\n"));
    main.ActionList().Execute(F.W.actRefresh);
    QCOMPARE(Queries(), (QStringList{"show table status", "show table status"}));
    QCOMPARE(Children(tables), (QStringList{"seule"}));
    QCOMPARE(Column(F.W.lvTables, 1), (QStringList{"seule"}));
  }

  // Each tables folder shows its own tables when selected again.
  void reselectingShowsTheNodesOwnList() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("b"));
    Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nta1\nta2\n"));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    FServer->Enqueue(RecordingServer::Ok("Name\ntb1\n"));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Beta"))->child(0));
    QCOMPARE(Column(F.W.lvTables, 1), (QStringList{"tb1"}));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    QCOMPARE(Column(F.W.lvTables, 1), (QStringList{"ta1", "ta2"}));
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases", "Alpha", "Tables"}));
    QCOMPARE(FServer->Requests().size(), 2);
  }

  void failedTablesRequestShowsItsMessage() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    FServer->Enqueue(RecordingServer::Ok("$ERR Access denied for user 'reader'\n"));
    TfrmDialog::SetNextAnswer(mrOk);
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    F.W.tvDB->setCurrentItem(tables);
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Access denied for user 'reader'"));
    QCOMPARE(tables->childCount(), 0);
    QCOMPARE(F.W.lvTables->topLevelItemCount(), 0);
    QVERIFY(!QApplication::overrideCursor());
  }

  void columnsOfATable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    FServer->Enqueue(RecordingServer::Ok(kTableStatus));
    F.W.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *clients = tables->child(0);

    // Expanded with the mouse, not selected: it loads and the pages follow.
    FServer->Enqueue(RecordingServer::Ok(kColumns));
    clients->setExpanded(true);
    QCOMPARE(F.W.tvDB->currentItem(), tables);
    QCOMPARE(Queries().last(), QStringLiteral("show columns from clients"));
    QCOMPARE(Children(clients), (QStringList{"id", "nom"}));
    QCOMPARE(Texts(F.W.lvFields->topLevelItem(0)), (QStringList{"0", "id", "int(11)", "NO", "PRI", "NULL", "auto_increment"}));
    QCOMPARE(Texts(F.W.lvFields->topLevelItem(1)), (QStringList{"1", "nom", "varchar(80)", "YES", "", "", ""}));
    QCOMPARE(VisiblePages(F.W.PageControl), (QStringList{"tsFields", "tsDatas"}));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsFields);
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases", "Alpha", "Tables", "clients"}));

    // A column shows its table's page and path, and asks nobody.
    F.W.tvDB->setCurrentItem(clients->child(1));
    QCOMPARE(PathTexts(F.W.tvPath), (QStringList{"Bases", "Alpha", "Tables", "clients"}));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsFields);
    QCOMPARE(F.W.lvFields->topLevelItemCount(), 2);
    QCOMPARE(FServer->Requests().size(), 2);

    // An ordinary table name is sent as it is, and a failed request lists
    // nothing.
    FServer->Enqueue(RecordingServer::Ok("$ERR Table 'a.commandes' doesn't exist\n"));
    TfrmDialog::SetNextAnswer(mrOk);
    F.W.tvDB->setCurrentItem(tables->child(1));
    QCOMPARE(Queries().last(), QStringLiteral("show columns from commandes"));
    QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("Table 'a.commandes' doesn't exist"));
    QCOMPARE(tables->child(1)->childCount(), 0);
    QCOMPARE(F.W.lvFields->topLevelItemCount(), 0);
  }

  // The client carries the settings of the connection that owns the node,
  // read again only when another connection or a refresh asks.
  void settingsFollowTheConnection() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("base_a"));
    AddConnection(QStringLiteral("Beta"), QStringLiteral("base_b"));
    TfrmMain &main = Start();
    for (int i = 0; i < 4; ++i) FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Beta"))->child(0));
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha"))->child(0)->child(0));
    QCOMPARE(DatabaseOfRequest(0), QStringLiteral("base_a"));
    QCOMPARE(DatabaseOfRequest(1), QStringLiteral("base_b"));
    QCOMPARE(DatabaseOfRequest(2), QStringLiteral("base_a"));
    QCOMPARE(main.WebService().Settings.Key, TTreeNodes::Key(Connection(QStringLiteral("Alpha"))));
    QCOMPARE(main.WebService().Service, QStringLiteral("SQL"));
    QCOMPARE(main.WebService().Settings.SQLServer, QStringLiteral("db.local"));
    QCOMPARE(main.WebService().Settings.Account, QStringLiteral("reader"));
    QCOMPARE(main.WebService().Settings.Password, QStringLiteral("secret"));
  }

  // The context menu acts on the selected node: a right click leaves the
  // selection alone and asks nobody, where a left click selects and loads.
  void rightClickKeepsTheSelection() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    QTreeWidgetItem *connection = Connection(QStringLiteral("Alpha"));
    F.W.tvDB->setCurrentItem(connection);
    connection->setExpanded(true);
    QTreeWidgetItem *tables = connection->child(0);
    const QPoint at = F.W.tvDB->visualItemRect(tables).center();
    QTest::mouseClick(F.W.tvDB->viewport(), Qt::RightButton, {}, at);
    QCOMPARE(F.W.tvDB->currentItem(), connection);
    QCOMPARE(FServer->Requests().size(), 0);
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsGene);

    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    QTest::mouseClick(F.W.tvDB->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(F.W.tvDB->currentItem(), tables);
    QCOMPARE(Queries(), (QStringList{"show table status"}));
  }

  void savedQueries() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    const qint64 key = TTreeNodes::Key(Connection(QStringLiteral("Alpha")));
    AddQuery(key, QStringLiteral("zz dernière"), QStringLiteral("SELECT 2"), true);
    AddQuery(key, QStringLiteral("aa première"), QString(), false);
    QTreeWidgetItem *folder = Connection(QStringLiteral("Alpha"))->child(1);
    QCOMPARE(TTreeNodes::Key(folder), key);
    F.W.tvDB->setCurrentItem(folder);
    QCOMPARE(Children(folder), (QStringList{"aa première", "zz dernière"}));
    QCOMPARE(Column(F.W.lvQueries, 0), (QStringList{"aa première", "zz dernière"}));
    const QLocale locale = QLocale::system();
    QCOMPARE(F.W.lvQueries->topLevelItem(0)->text(1), TLocalStore::DateTimeText(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
    QVERIFY(F.W.lvQueries->topLevelItem(0)->text(1).startsWith(locale.toString(QDate(2026, 3, 4), QLocale::ShortFormat)));
    QVERIFY(F.W.lvQueries->topLevelItem(0)->text(2).isEmpty());  // never changed
    QCOMPARE(F.W.lvQueries->topLevelItem(1)->text(2), locale.toString(QDate(2026, 5, 6), QLocale::ShortFormat));  // midnight: no time
    QCOMPARE(VisiblePages(F.W.PageControl), (QStringList{"tsQueries"}));

    // Double click opens the query; its text goes into the editor.
    F.W.lvQueries->setCurrentItem(F.W.lvQueries->topLevelItem(1));
    F.W.lvQueries->topLevelItem(1)->setSelected(true);
    FNavigatorDoubleClick();
    QCOMPARE(F.W.tvDB->currentItem(), folder->child(1));
    QCOMPARE(F.W.mQuery->text(), QStringLiteral("SELECT 2"));
    QCOMPARE(VisiblePages(F.W.PageControl), (QStringList{"tsQuery", "tsDatas"}));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);
    QCOMPARE(main.WebService().Settings.Key, key);
    QCOMPARE(FServer->Requests().size(), 0);

    F.W.tvDB->setCurrentItem(folder->child(0));
    QCOMPARE(F.W.mQuery->text(), QString());
    QVERIFY(!F.W.mQuery->isUndoAvailable());

    // Selecting the folder again shows its list without reading the store.
    F.W.tvDB->setCurrentItem(folder);
    QCOMPARE(Column(F.W.lvQueries, 0), (QStringList{"aa première", "zz dernière"}));
  }

  void onlySavedQueriesAreEditable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    const qint64 key = TTreeNodes::Key(Connection(QStringLiteral("Alpha")));
    AddQuery(key, QStringLiteral("q"), QString(), false);
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc\n"));
    QTreeWidgetItem *connection = Connection(QStringLiteral("Alpha"));
    F.W.tvDB->setCurrentItem(connection->child(0));
    F.W.tvDB->setCurrentItem(connection->child(0)->child(0));
    F.W.tvDB->setCurrentItem(connection->child(1));
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
    Start();
    F.W.lvGene->clearSelection();
    F.W.lvGene->setCurrentItem(nullptr);
    QTest::keyClick(F.W.lvGene, Qt::Key_Return);
    QCOMPARE(F.W.tvDB->currentItem(), Root());
    F.W.lvGene->setCurrentItem(F.W.lvGene->topLevelItem(0));
    QTest::keyClick(F.W.lvGene, Qt::Key_Return);
    QCOMPARE(F.W.tvDB->currentItem(), Connection(QStringLiteral("Alpha")));
    // Then "Tables" from the connection's list, by double click.
    F.W.lvGene->setCurrentItem(F.W.lvGene->topLevelItem(0));
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    emit F.W.lvGene->itemDoubleClicked(F.W.lvGene->topLevelItem(0), 0);
    QCOMPARE(F.W.tvDB->currentItem(), Connection(QStringLiteral("Alpha"))->child(0));
  }

  void pathBarClickSelectsTheNode() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    F.W.tvDB->setCurrentItem(Connection(QStringLiteral("Alpha")));
    QTreeWidgetItem *first = F.W.tvPath->topLevelItem(0);
    F.W.tvPath->setCurrentItem(first);
    emit F.W.tvPath->itemClicked(first, 0);
    QCOMPARE(F.W.tvDB->currentItem(), Root());
  }

  void dataPageIsNeverActiveAfterASelection() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc\n"));
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    F.W.tvDB->setCurrentItem(tables);
    F.W.tvDB->setCurrentItem(tables->child(0));
    F.W.PageControl->setCurrentWidget(F.W.tsDatas);
    F.W.tvDB->setCurrentItem(tables->child(0)->child(0));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsFields);
  }

  // F5 on a column reloads its table; the lists never keep a deleted node.
  void refreshOfAColumnReloadsItsTable() {
    AddConnection(QStringLiteral("Alpha"), QStringLiteral("a"));
    TfrmMain &main = Start();
    FServer->Enqueue(RecordingServer::Ok("Name\nt\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc1\n"));
    FServer->Enqueue(RecordingServer::Ok("Field\nc1\nc2\n"));
    QTreeWidgetItem *tables = Connection(QStringLiteral("Alpha"))->child(0);
    F.W.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *table = tables->child(0);
    F.W.tvDB->setCurrentItem(table);
    F.W.tvDB->setCurrentItem(table->child(0));
    QVERIFY(main.ActionList().Execute(F.W.actRefresh));
    QCOMPARE(Children(table), (QStringList{"c1", "c2"}));
    QCOMPARE(Queries().count(QStringLiteral("show columns from t")), 2);
    // Every level of the path bar still leads to a live node. A click
    // rebuilds the bar, so each level is looked up afresh.
    const int levels = PathTexts(F.W.tvPath).size();
    for (int level = levels - 1; level >= 0; --level) {
      QTreeWidgetItem *path = F.W.tvPath->topLevelItem(0);
      for (int i = 0; i < level && path; ++i) path = path->child(0);
      QVERIFY(path);
      const QString text = path->text(0);
      F.W.tvPath->setCurrentItem(path);
      emit F.W.tvPath->itemClicked(path, 0);
      QCOMPARE(F.W.tvDB->currentItem()->text(0), text);
    }
  }

 private:
  void FNavigatorDoubleClick() {
    emit F.W.lvQueries->itemDoubleClicked(F.W.lvQueries->currentItem(), 0);
  }
};

QTEST_MAIN(TestNavigator)
#include "TestNavigator.moc"
