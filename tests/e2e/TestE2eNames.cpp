// Tables whose names MySQL reads only between back quotes (a reserved word,
// a blank, a back quote inside) browsed against a real MariaDB behind the
// reference ws.php: their columns listed, their rows on "Données"; and an
// ordinary name whose statements are those it always had.
#include "E2eSettings.h"
#include "MainWindowFixture.h"
#include "NoProxy.h"
#include "TLocalStore.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"
#include "TfrmRequestWait.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestE2eNames : public QObject {
  Q_OBJECT

 private:
  E2eSettings FSettings;
  QTemporaryDir FDir;

  void Run(const QString &sql) {
    TWebService ws;
    FSettings.Apply(ws);
    ws.Execute(sql);
    QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(sql + QStringLiteral(": ") + ws.ErrorText));
  }
  static QTreeWidgetItem *Child(QTreeWidgetItem *node, const QString &text) {
    for (int i = 0; i < node->childCount(); ++i)
      if (node->child(i)->text(0) == text) return node->child(i);
    return nullptr;
  }
  static QStringList Children(const QTreeWidgetItem *node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
    return texts;
  }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY(FDir.isValid());
    Run(QStringLiteral("DROP TABLE IF EXISTS `order`, `ma table`, `nm_x``y`, nm_villes"));
    Run(QStringLiteral("CREATE TABLE `order` (id INT PRIMARY KEY, `key` VARCHAR(20)) ENGINE=InnoDB"));
    Run(QStringLiteral("INSERT INTO `order` VALUES (1, 'un'), (2, 'deux')"));
    Run(QStringLiteral("CREATE TABLE `ma table` (`ma colonne` INT) ENGINE=InnoDB"));
    Run(QStringLiteral("INSERT INTO `ma table` VALUES (7)"));
    Run(QStringLiteral("CREATE TABLE `nm_x``y` (`select` INT) ENGINE=InnoDB"));
    Run(QStringLiteral("INSERT INTO `nm_x``y` VALUES (3)"));
    Run(QStringLiteral("CREATE TABLE nm_villes (id INT PRIMARY KEY, nom VARCHAR(40)) ENGINE=InnoDB"));
    Run(QStringLiteral("INSERT INTO nm_villes VALUES (1, 'Nîmes')"));
    TLocalStore store;
    store.Open(FDir.filePath(QStringLiteral("vantrel.adb")));
    store.Execute(TStoreStatement::qryInsertDataBase,
                  {{"TITRE", QStringLiteral("Réelle")}, {"SERVEUR_WEB", FSettings.WebServer},
                   {"SERVEUR_MYSQL", FSettings.SQLServer}, {"COMPTE_MYSQL", FSettings.Account},
                   {"MDP_MYSQL", FSettings.Password}, {"BASE_DE_DONNEES", FSettings.Database}});
  }

  void browsed_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("firstColumn");
    QTest::addColumn<QStringList>("statements");

    QTest::newRow("reserved word") << "order" << QStringList{"id", "key"} << QStringList{"1", "2"}
                                   << QStringList{"show columns from `order`", "SELECT * FROM `order`"};
    QTest::newRow("blank") << "ma table" << QStringList{"ma colonne"} << QStringList{"7"}
                           << QStringList{"show columns from `ma table`", "SELECT * FROM `ma table`"};
    QTest::newRow("back quote") << "nm_x`y" << QStringList{"select"} << QStringList{"3"}
                                << QStringList{"show columns from `nm_x``y`", "SELECT * FROM `nm_x``y`"};
    QTest::newRow("ordinary, unchanged") << "nm_villes" << QStringList{"id", "nom"} << QStringList{"1"}
                                         << QStringList{"show columns from nm_villes", "SELECT * FROM nm_villes"};
  }

  void browsed() {
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, firstColumn);
    QFETCH(QStringList, statements);
    TfrmDialog::ClearAnswers();
    TfrmMain main(FDir.filePath(QStringLiteral("vantrel.adb")));
    QVERIFY(main.FormCreate());
    main.show();
    TMainWidgets W;
    W.FindAll(main);

    QTreeWidgetItem *tables = W.tvDB->topLevelItem(0)->child(0)->child(0);
    W.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *node = Child(tables, table);
    QVERIFY2(node, qPrintable(Children(tables).join(QLatin1String(", "))));

    // What the program asks from here on, as it gives it to the client.
    QStringList sent;
    TWebService::SetDefaultWaiter(
        [&sent, wait = TfrmRequestWait::Waiter(&main)](TWebService &client, const TWebService::TPendingRequest &request) {
          sent << request.Statement;
          wait(client, request);
        });

    // An error box, should one come, is answered: the test then fails on
    // it rather than waiting.
    TfrmDialog::SetNextAnswer(mrOk);
    const int shown = TfrmDialog::ShownCount();
    W.tvDB->setCurrentItem(node);
    QVERIFY2(TfrmDialog::ShownCount() == shown, qPrintable(TfrmDialog::LastShown().message));
    QCOMPARE(Children(node), columns);
    QCOMPARE(W.lvFields->topLevelItemCount(), int(columns.size()));

    W.PageControl->setCurrentWidget(W.tsDatas);
    auto *grid = qobject_cast<TXGridView *>(W.lvDatasResult);
    QCOMPARE(W.lbDatasInfos->text(), QStringLiteral("%1 enregistrement(s)").arg(firstColumn.size()));
    QCOMPARE(grid->Captions(), columns);
    QStringList cells;
    for (int row = 0; row < grid->RowCount(); ++row) cells << grid->CellText(row, 0);
    QCOMPARE(cells, firstColumn);
    QCOMPARE(sent, statements);
  }
};

QTEST_MAIN(TestE2eNames)
#include "TestE2eNames.moc"
