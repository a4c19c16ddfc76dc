// The "Données" page in the main window, against the tests' loopback
// server: what it sends for a table, a column and a saved query, when it
// sends it (only when the user brings the page forward, or refreshes it),
// the parameters asked first, a cancelled dialog, the label as a screen
// reader reads it, and the double click on an address.
#include "MainWindowFixture.h"
#include "ModalHelper.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TUrlCatcher.h"
#include "TActionList.h"
#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

class TestDataPage : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  std::unique_ptr<RecordingServer> FServer;
  TUrlCatcher FUrls;

  TXGridView *Grid() const { return qobject_cast<TXGridView *>(F.W.lvDatasResult); }
  QTreeWidgetItem *Connection(int index) const { return F.Root()->child(index); }
  QStringList Statements() const {
    QStringList sent;
    for (const RecordingServer::Request &request : FServer->Requests()) {
      QByteArray query;
      for (const QByteArray &field : request.body.split('&'))
        if (field.startsWith("WS_query=")) query = field.mid(9);
      sent << QString::fromUtf8(QByteArray::fromPercentEncoding(query.replace('+', ' ')));
    }
    return sent;
  }
  QString DatabaseOf(int request) const {
    for (const QByteArray &field : FServer->Requests().at(request).body.split('&'))
      if (field.startsWith("WS_database=")) return QString::fromUtf8(field.mid(12));
    return {};
  }
  QStringList Row(int row) const {
    QStringList cells;
    for (int c = 0; c < Grid()->ColumnCount(); ++c) cells << Grid()->CellText(row, c);
    return cells;
  }
  qint64 AddQuery(QTreeWidgetItem *connection, const QString &title, const QString &sql) {
    TLocalStore &store = F.Main().Store();
    const qint64 key = TTreeNodes::Key(connection);
    store.Execute(TStoreStatement::qryInsertQuery,
                  {{"FK_DATABASE", key}, {"TITRE", title}, {"DATE_CREATION", QDateTime::currentDateTime()}});
    qint64 query = 0;
    for (TStoreRows rows = store.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", key}}); !rows.Eof();
         rows.Next())
      if (rows.AsString("TITRE") == title) query = rows.AsInteger("PK_REQUETE");
    store.Execute(TStoreStatement::qryUpdateQuerySQL,
                  {{"REQUETE", sql}, {"DATE_MODIFICATION", QDateTime::currentDateTime()}, {"PK_REQUETE", query}});
    return query;
  }
  // Selects the saved query of that title under the connection.
  QTreeWidgetItem *OpenQuery(QTreeWidgetItem *connection, const QString &title) {
    QTreeWidgetItem *folder = connection->child(1);
    F.W.tvDB->setCurrentItem(folder);
    for (int i = 0; i < folder->childCount(); ++i)
      if (folder->child(i)->text(0) == title) {
        F.W.tvDB->setCurrentItem(folder->child(i));
        return folder->child(i);
      }
    return nullptr;
  }
  // Selects the first table of the connection (loading its tables and its
  // columns from the server).
  QTreeWidgetItem *OpenTable(QTreeWidgetItem *connection, const QByteArray &table) {
    FServer->Enqueue(RecordingServer::Ok("Name\n" + table + "\n"));
    F.W.tvDB->setCurrentItem(connection->child(0));
    FServer->Enqueue(RecordingServer::Ok("Field\nid\n"));
    F.W.tvDB->setCurrentItem(connection->child(0)->child(0));
    return connection->child(0)->child(0);
  }
  // As the user brings the page forward with a click on its tab.
  void ShowDataPage() { F.W.PageControl->setCurrentWidget(F.W.tsDatas); }

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  void init() {
    QVERIFY(F.IsValid());
    FServer = std::make_unique<RecordingServer>();
    TfrmDialog::ClearAnswers();
    FUrls.Opened.clear();
    F.AddConnection(QStringLiteral("B"), FServer->Url(), QStringLiteral("base_b"));
    F.AddConnection(QStringLiteral("A"), FServer->Url(), QStringLiteral("base_a"));
    F.Start();
  }
  void cleanup() {
    F.Stop();
    FServer.reset();
  }

  // A table's rows come when the page is brought forward, every time, and
  // on F5 while it is in front; a column shows its table's rows.
  void tableRowsOnDemand() {
    QTreeWidgetItem *table = OpenTable(Connection(1), "clients");  // "A"
    QCOMPARE(Statements(), (QStringList{"show table status", "show columns from clients"}));
    QVERIFY(F.W.PageControl->isTabVisible(F.W.PageControl->indexOf(F.W.tsDatas)));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsFields);

    FServer->Enqueue(RecordingServer::Ok("id\tnom\n1\tHélène\n2\tNoël\n"));
    ShowDataPage();
    QCOMPARE(Statements().last(), QStringLiteral("SELECT * FROM clients"));
    QCOMPARE(DatabaseOf(2), QStringLiteral("base_a"));
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("2 enregistrement(s)"));
    QCOMPARE(Grid()->Captions(), (QStringList{"id", "nom"}));
    QCOMPARE(Row(1), (QStringList{"2", "Noël"}));

    FServer->Enqueue(RecordingServer::Ok("id\tnom\n1\tHélène\n"));
    QVERIFY(F.Main().ActionList().Execute(F.W.actRefresh));
    QCOMPARE(Statements().size(), 4);
    QCOMPARE(Statements().last(), QStringLiteral("SELECT * FROM clients"));
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("1 enregistrement(s)"));

    // Selecting a column fetches nothing; the page shows its table's rows.
    F.W.tvDB->setCurrentItem(table->child(0));
    QCOMPARE(Statements().size(), 4);
    FServer->Enqueue(RecordingServer::Ok("id\tnom\n"));
    ShowDataPage();
    QCOMPARE(Statements().size(), 5);
    QCOMPARE(Statements().last(), QStringLiteral("SELECT * FROM clients"));
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("0 enregistrement(s)"));
  }

  // The statement goes to the connection of the selected node.
  void rowsOfTheNodesConnection() {
    OpenTable(Connection(0), "tb");  // "B"
    OpenTable(Connection(1), "ta");  // "A"
    FServer->Enqueue(RecordingServer::Ok("x\n1\n"));
    ShowDataPage();
    QCOMPARE(Statements().last(), QStringLiteral("SELECT * FROM ta"));
    QCOMPARE(DatabaseOf(FServer->Requests().size() - 1), QStringLiteral("base_a"));
  }

  // Without parameters a saved query runs at once, cleaned of its comment
  // lines, tabs and empty lines, its doubled colon sent as it stands.
  void savedQueryWithoutParameters() {
    AddQuery(Connection(1), QStringLiteral("Heures"),
             QStringLiteral("-- les heures\nSELECT\theure, 'a::b'\n\n  FROM t WHERE x = 'a:b'"));
    OpenQuery(Connection(1), QStringLiteral("Heures"));
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);
    QCOMPARE(FServer->Requests().size(), 0);
    FServer->Enqueue(RecordingServer::Ok("heure\n10:30\n"));
    ShowDataPage();
    QCOMPARE(TfrmDialog::ShownCount(), 0);
    QCOMPARE(Statements(), (QStringList{"SELECT heure, 'a::b'\r   FROM t WHERE x = 'a:b'\r "}));
    QCOMPARE(Row(0), (QStringList{"10:30"}));
  }

  // The parameters are asked for first (also one in a comment line), in a
  // dialog titled with the query, put in as typed (a name's first field
  // for all its references), and offered again next time.
  void savedQueryWithParameters() {
    AddQuery(Connection(1), QStringLiteral("Ventes"),
             QStringLiteral("SELECT * FROM ventes\n-- :ville\nWHERE ville = :ville AND n > :n"));
    OpenQuery(Connection(1), QStringLiteral("Ventes"));
    QString title;
    QStringList offered;
    const auto answer = [&](const QStringList &values, const QString &button) {
      return ModalHelper::OnNextModal([&, values, button](QWidget *dialog) {
        title = dialog->windowTitle();
        offered.clear();
        for (int i = 1; i <= values.size(); ++i) {
          auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("edtParam%1").arg(i));
          offered << edit->text();
          edit->setText(values[i - 1]);
        }
        dialog->findChild<QPushButton *>(button)->click();
      });
    };
    FServer->Enqueue(RecordingServer::Ok("n\n1\n"));
    auto watch = answer({QStringLiteral("'Lyon'"), QStringLiteral("'x'"), QStringLiteral("3")},
                        QStringLiteral("BitBtn1"));
    ShowDataPage();
    QVERIFY(watch->acted);
    QCOMPARE(title, QStringLiteral("Paramètres [Ventes]"));
    QCOMPARE(offered, (QStringList{"", "", ""}));
    QCOMPARE(Statements(), (QStringList{"SELECT * FROM ventes\r WHERE ville = 'Lyon' AND n > 3\r "}));
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("1 enregistrement(s)"));

    // Next time the values last given are offered again.
    FServer->Enqueue(RecordingServer::Ok("n\n"));
    watch = answer({QStringLiteral("'Nice'"), QStringLiteral("'x'"), QStringLiteral("4")}, QStringLiteral("BitBtn1"));
    QVERIFY(F.Main().ActionList().Execute(F.W.actRefresh));
    QVERIFY(watch->acted);
    QCOMPARE(offered, (QStringList{"'Lyon'", "'Lyon'", "3"}));
    QCOMPARE(Statements().last(), QStringLiteral("SELECT * FROM ventes\r WHERE ville = 'Nice' AND n > 4\r "));
  }

  // A cancelled dialog sends nothing, leaves the page empty and brings the
  // query page back.
  void cancelledParameters() {
    AddQuery(Connection(1), QStringLiteral("Ventes"), QStringLiteral("SELECT * FROM t WHERE a = :a"));
    OpenTable(Connection(1), "t");
    FServer->Enqueue(RecordingServer::Ok("a\n1\n2\n"));
    ShowDataPage();
    QCOMPARE(Grid()->RowCount(), 2);
    const int sent = FServer->Requests().size();
    OpenQuery(Connection(1), QStringLiteral("Ventes"));
    auto watch = ModalHelper::ClickOnNextModal(QStringLiteral("Annuler"));
    ShowDataPage();
    QVERIFY(watch->acted);
    QCOMPARE(FServer->Requests().size(), sent);
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);
    QCOMPARE(F.W.lbDatasInfos->text(), QString());
    QCOMPARE(Grid()->RowCount(), 0);
    QCOMPARE(Grid()->ColumnCount(), 0);
  }

  // A saved query that is not a plain read goes only after "Oui", asked
  // at each look at the page (F5 too); "Non", or Enter on the question,
  // sends nothing and brings the query page back. Without a WHERE clause
  // the question says what the statement will do to the table. A change
  // shows its count of changed rows on the label.
  void changesAreAsked_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("question");  // empty: none asked
    const QString base = QStringLiteral("Cette requête modifie des données. L'exécuter ?");
    QTest::newRow("select") << "SELECT * FROM t WHERE ville = 'x'" << QString();
    QTest::newRow("with ... select") << "WITH c AS (SELECT 1 AS a) SELECT a FROM c" << QString();
    QTest::newRow("show, after a comment") << "-- la liste d'abord\nSHOW TABLES" << QString();
    QTest::newRow("describe") << "DESCRIBE t" << QString();
    QTest::newRow("explain") << "EXPLAIN SELECT * FROM t" << QString();
    QTest::newRow("update with where") << "UPDATE t SET v = v + 1 WHERE id = 1" << base;
    QTest::newRow("insert") << "INSERT INTO t (a) VALUES (1)" << base;
    QTest::newRow("update without where")
        << "UPDATE \n  t\nSET\n  a=''\n"
        << "Cette requête modifie des données. Elle n'a pas de clause WHERE : toutes les lignes de la table "
           "seront modifiées. L'exécuter ?";
    QTest::newRow("delete without where")
        << "DELETE FROM\n  t\n"
        << "Cette requête modifie des données. Elle n'a pas de clause WHERE : toutes les lignes de la table "
           "seront supprimées. L'exécuter ?";
    QTest::newRow("delete with where") << "DELETE FROM t WHERE id = 2" << base;
    QTest::newRow("truncate") << "TRUNCATE TABLE t" << base;
  }
  void changesAreAsked() {
    QFETCH(QString, sql);
    QFETCH(QString, question);
    AddQuery(Connection(1), QStringLiteral("Q"), sql);
    OpenQuery(Connection(1), QStringLiteral("Q"));
    const int shown = TfrmDialog::ShownCount();
    if (question.isEmpty()) {
      FServer->Enqueue(RecordingServer::Ok("a\n1\n"));
      ShowDataPage();
      QCOMPARE(TfrmDialog::ShownCount(), shown);
      QCOMPARE(FServer->Requests().size(), 1);
      QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("1 enregistrement(s)"));
      return;
    }
    // Non: nothing goes, the query page comes back, the page stays empty.
    TfrmDialog::SetNextAnswer(mrNo);
    ShowDataPage();
    QCOMPARE(TfrmDialog::LastShown().message, question);
    QCOMPARE(TfrmDialog::LastShown().kind, mtConfirmation);
    QCOMPARE(TfrmDialog::LastShown().buttons, (TMsgDlgButtons{mbYes, mbNo}));
    QCOMPARE(TfrmDialog::LastShown().defaultButton, int(mbNo));
    QCOMPARE(FServer->Requests().size(), 0);
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);
    QCOMPARE(F.W.lbDatasInfos->text(), QString());
    QCOMPARE(Grid()->ColumnCount(), 0);

    // Enter takes the default answer, Non.
    auto watch = ModalHelper::OnNextModal([](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    ShowDataPage();
    QVERIFY(watch->acted);
    QCOMPARE(FServer->Requests().size(), 0);
    QCOMPARE(F.W.PageControl->currentWidget(), F.W.tsQuery);

    // Oui: sent once, its count on the label.
    FServer->Enqueue(RecordingServer::Ok("affected_rows\n3\n"));
    TfrmDialog::SetNextAnswer(mrYes);
    ShowDataPage();
    QCOMPARE(FServer->Requests().size(), 1);
    QCOMPARE(Statements().last(), QString(sql).replace(QLatin1Char('\n'), QLatin1String("\r ")).trimmed() + "\r ");
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("3 ligne(s) modifiée(s)"));
    QCOMPARE(F.W.lbDatasInfos->toolTip(), F.W.lbDatasInfos->text());

    // F5 on the page asks again.
    TfrmDialog::SetNextAnswer(mrNo);
    QVERIFY(F.Main().ActionList().Execute(F.W.actRefresh));
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(FServer->Requests().size(), 1);
  }

  // Only a change's own answer reads as changed rows: a read whose one
  // column happens to be named so is a row like any other.
  void changedRowsOnlyForAChange() {
    AddQuery(Connection(1), QStringLiteral("Q"), QStringLiteral("SELECT 3 AS affected_rows"));
    AddQuery(Connection(1), QStringLiteral("R"), QStringLiteral("DELETE FROM t WHERE id = 1"));
    OpenQuery(Connection(1), QStringLiteral("Q"));
    FServer->Enqueue(RecordingServer::Ok("affected_rows\n3\n"));
    ShowDataPage();
    QCOMPARE(F.W.lbDatasInfos->text(), QStringLiteral("1 enregistrement(s)"));
    // A change whose answer is an error keeps the error.
    OpenQuery(Connection(1), QStringLiteral("R"));
    FServer->Enqueue(RecordingServer::Ok("$ERR Table 'b.t' doesn't exist\n"));
    TfrmDialog::SetNextAnswer(mrYes);
    ShowDataPage();
    QVERIFY(F.W.lbDatasInfos->text().endsWith(QStringLiteral("Table 'b.t' doesn't exist")));
  }

  // A failed request shows its message above an empty list, no box; a
  // long one is cut at the page's edge, whole in the hint, and leaves the
  // window as wide as it was.
  void failureInTheLabel() {
    OpenTable(Connection(1), "t");
    const QByteArray message = "You have an error in your SQL syntax; " + QByteArray(900, 'x');
    FServer->Enqueue(RecordingServer::Ok("$ERR " + message + "\n"));
    const QSize before = F.Main().size();
    const int shown = TfrmDialog::ShownCount();
    ShowDataPage();
    QCoreApplication::processEvents();
    QCOMPARE(F.W.lbDatasInfos->text(), QString::fromLatin1(message));
    QCOMPARE(F.W.lbDatasInfos->toolTip(), F.W.lbDatasInfos->text());
    QCOMPARE(F.Main().size(), before);
    QVERIFY(F.W.PageControl->minimumSizeHint().width() < before.width());
    QCOMPARE(Grid()->RowCount(), 0);
    QCOMPARE(TfrmDialog::ShownCount(), shown);
    QVERIFY(!QApplication::overrideCursor());
  }

  // A screen reader reads the label as it shows: its name is the count
  // after a load and the error after a failure; what it is for is its
  // description.
  void labelReadsAsShown() {
    const auto text = [](QWidget *widget, QAccessible::Text kind) {
      QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
      return accessible ? accessible->text(kind) : QStringLiteral("(none)");
    };
    QLabel *label = F.W.lbDatasInfos;
    OpenTable(Connection(1), "t");
    FServer->Enqueue(RecordingServer::Ok("id\n1\n2\n"));
    ShowDataPage();
    QCOMPARE(text(label, QAccessible::Name), QStringLiteral("2 enregistrement(s)"));
    QCOMPARE(text(label, QAccessible::Description), QStringLiteral("Informations sur les données"));

    FServer->Enqueue(RecordingServer::Ok("$ERR Table 'base_a.t' doesn't exist\n"));
    QVERIFY(F.Main().ActionList().Execute(F.W.actRefresh));
    QVERIFY2(label->text().endsWith(QStringLiteral("Table 'base_a.t' doesn't exist")), qPrintable(label->text()));
    QCOMPARE(text(label, QAccessible::Name), label->text());
  }

  // A double click opens a first cell that is an "http://" address, and
  // nothing else.
  void doubleClickOpensAnAddress() {
    OpenTable(Connection(1), "liens");
    FServer->Enqueue(RecordingServer::Ok("site\tautre\nhttp://exemple.fr/a?b=1\tx\nhttps://exemple.fr\thttp://y\n"
                                         "HTTP://exemple.fr\tz\n"));
    ShowDataPage();
    QCOMPARE(Grid()->RowCount(), 3);
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 2; ++column) {
        const QRect cell = Grid()->visualRect(Grid()->model()->index(row, column));
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
      }
    }
    QCOMPARE(FUrls.Opened.size(), 2);  // the first row, from either of its cells
    QCOMPARE(FUrls.Opened.value(0), QUrl(QStringLiteral("http://exemple.fr/a?b=1")));
    QCOMPARE(FUrls.Opened.value(1), QUrl(QStringLiteral("http://exemple.fr/a?b=1")));
  }
};

QTEST_MAIN(TestDataPage)
#include "TestDataPage.moc"
