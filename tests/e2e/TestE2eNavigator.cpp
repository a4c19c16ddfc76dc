#include "E2eSettings.h"
#include "MainWindowFixture.h"
#include "NoProxy.h"
#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

// The tree and its lists against a real MariaDB behind the reference
// ws.php: what a user sees when he unfolds a connection.
class TestE2eNavigator : public QObject {
  Q_OBJECT

 private:
  E2eSettings FSettings;
  QTemporaryDir FDir;

  void Run(TWebService &ws, const QString &sql) {
    ws.Execute(sql);
    QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(sql + QStringLiteral(": ") + ws.ErrorText));
  }
  static int IndexOf(const QTreeWidgetItem *node, const QString &text) {
    for (int i = 0; i < node->childCount(); ++i)
      if (node->child(i)->text(0) == text) return i;
    return -1;
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY(FDir.isValid());
    TWebService ws;
    FSettings.Apply(ws);
    Run(ws, QStringLiteral("DROP TABLE IF EXISTS nav_lignes, nav_clients"));
    Run(ws, QStringLiteral("CREATE TABLE nav_clients (id INT PRIMARY KEY AUTO_INCREMENT, "
                           "nom VARCHAR(40) NOT NULL DEFAULT 'Zoé', ville VARCHAR(40) NULL) ENGINE=InnoDB"));
    Run(ws, QStringLiteral("CREATE TABLE nav_lignes (client_id INT NOT NULL, quantite INT, "
                           "FOREIGN KEY (client_id) REFERENCES nav_clients (id)) ENGINE=InnoDB"));
    Run(ws, QStringLiteral("INSERT INTO nav_clients (nom, ville) VALUES ('Hélène', 'Nîmes'), ('Noël', NULL)"));

    TLocalStore store;
    store.Open(FDir.filePath(QStringLiteral("vantrel.adb")));
    store.Execute(TStoreStatement::qryInsertDataBase,
                  {{"TITRE", QStringLiteral("Réelle")}, {"SERVEUR_WEB", FSettings.WebServer},
                   {"SERVEUR_MYSQL", FSettings.SQLServer}, {"COMPTE_MYSQL", FSettings.Account},
                   {"MDP_MYSQL", FSettings.Password}, {"BASE_DE_DONNEES", FSettings.Database}});
  }

  void unfoldTablesAndColumns() {
    TfrmDialog::ClearAnswers();
    TfrmMain main(FDir.filePath(QStringLiteral("vantrel.adb")));
    QVERIFY(main.FormCreate());
    TMainWidgets W;
    W.FindAll(main);
    QTreeWidgetItem *connection = W.tvDB->topLevelItem(0)->child(0);
    QCOMPARE(connection->text(0), QStringLiteral("Réelle"));

    QTreeWidgetItem *tables = connection->child(0);
    W.tvDB->setCurrentItem(tables);
    QCOMPARE(TfrmDialog::ShownCount(), 0);  // no error box
    const int clients = IndexOf(tables, QStringLiteral("nav_clients"));
    const int lignes = IndexOf(tables, QStringLiteral("nav_lignes"));
    QVERIFY(clients >= 0 && lignes > clients);
    QTreeWidgetItem *row = W.lvTables->topLevelItem(clients);
    QCOMPARE(row->text(0), QString::number(clients));
    QCOMPARE(row->text(1), QStringLiteral("nav_clients"));
    QVERIFY(!row->text(3).isEmpty());                              // the size, as the server sends it
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                .match(row->text(4)).hasMatch());                   // the date, untouched

    // Unfolding a table lists its columns with their types and keys.
    tables->child(clients)->setExpanded(true);
    QTreeWidgetItem *table = tables->child(clients);
    QCOMPARE(table->childCount(), 3);
    QCOMPARE(table->child(0)->text(0), QStringLiteral("id"));
    QCOMPARE(W.lvFields->topLevelItemCount(), 3);
    const QStringList id{W.lvFields->topLevelItem(0)->text(1), W.lvFields->topLevelItem(0)->text(2),
                         W.lvFields->topLevelItem(0)->text(3), W.lvFields->topLevelItem(0)->text(4),
                         W.lvFields->topLevelItem(0)->text(6)};
    QCOMPARE(id, (QStringList{"id", "int(11)", "NO", "PRI", "auto_increment"}));
    QCOMPARE(W.lvFields->topLevelItem(1)->text(5), QStringLiteral("Zoé"));  // accented default, read back whole
    QCOMPARE(W.PageControl->currentWidget(), W.tsFields);

    // A table that no longer exists: its error is shown, nothing is listed.
    TWebService ws;
    FSettings.Apply(ws);
    Run(ws, QStringLiteral("DROP TABLE nav_lignes"));
    TfrmDialog::SetNextAnswer(mrOk);
    W.tvDB->setCurrentItem(tables->child(lignes));
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QVERIFY2(TfrmDialog::LastShown().message.contains(QStringLiteral("nav_lignes")),
             qPrintable(TfrmDialog::LastShown().message));
    QCOMPARE(W.lvFields->topLevelItemCount(), 0);

    // F5 on the folder asks again: the dropped table is gone.
    W.tvDB->setCurrentItem(tables);
    main.ApplicationEventsIdle();
    QVERIFY(W.actRefresh->isEnabled());
    W.actRefresh->trigger();
    QCOMPARE(IndexOf(tables, QStringLiteral("nav_lignes")), -1);
    QVERIFY(IndexOf(tables, QStringLiteral("nav_clients")) >= 0);
  }
};

QTEST_MAIN(TestE2eNavigator)
#include "TestE2eNavigator.moc"
