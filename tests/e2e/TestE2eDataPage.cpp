// The "Données" page against a real MariaDB behind the reference ws.php: a
// table's rows, a saved query with a parameter, a cancelled dialog, a
// doubled colon sent as two colons, and F5 running the statement again.
#include "E2eSettings.h"
#include "MainWindowFixture.h"
#include "ModalHelper.h"
#include "NoProxy.h"
#include "TActionList.h"
#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXGridView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestE2eDataPage : public QObject {
  Q_OBJECT

 private:
  E2eSettings FSettings;
  QTemporaryDir FDir;
  std::unique_ptr<TfrmMain> FMain;
  TMainWidgets W;

  void Run(const QString &sql) {
    TWebService ws;
    FSettings.Apply(ws);
    ws.Execute(sql);
    QVERIFY2(ws.ErrorText.isEmpty(), qPrintable(sql + QStringLiteral(": ") + ws.ErrorText));
  }
  TXGridView *Grid() const { return qobject_cast<TXGridView *>(W.lvDatasResult); }
  QStringList Column(int column) const {
    QStringList cells;
    for (int row = 0; row < Grid()->RowCount(); ++row) cells << Grid()->CellText(row, column);
    return cells;
  }
  QTreeWidgetItem *Child(QTreeWidgetItem *node, const QString &text) const {
    for (int i = 0; i < node->childCount(); ++i)
      if (node->child(i)->text(0) == text) return node->child(i);
    return nullptr;
  }
  void AddQuery(const QString &title, const QString &sql) {
    TLocalStore &store = FMain->Store();
    store.Execute(TStoreStatement::qryInsertQuery,
                  {{"FK_DATABASE", qint64(1)}, {"TITRE", title}, {"DATE_CREATION", QDateTime::currentDateTime()}});
    for (TStoreRows rows = store.Select(TStoreStatement::qrySelectQueries, {{"FK_DATABASE", qint64(1)}});
         !rows.Eof(); rows.Next())
      if (rows.AsString("TITRE") == title)
        store.Execute(TStoreStatement::qryUpdateQuerySQL, {{"REQUETE", sql},
                                                           {"DATE_MODIFICATION", QDateTime::currentDateTime()},
                                                           {"PK_REQUETE", rows.AsInteger("PK_REQUETE")}});
  }
  void ShowDataPage() { W.PageControl->setCurrentWidget(W.tsDatas); }

 private slots:
  void initTestCase() {
    NoProxy::Unset();
    FSettings = E2eSettings::Load();
    QVERIFY2(FSettings.Problem.isEmpty(), qPrintable(FSettings.Problem));
    QVERIFY(FDir.isValid());
    Run(QStringLiteral("DROP TABLE IF EXISTS dp_villes"));
    Run(QStringLiteral("CREATE TABLE dp_villes (id INT PRIMARY KEY, nom VARCHAR(40), note VARCHAR(80) NULL, "
                       "site VARCHAR(80)) ENGINE=InnoDB"));
    Run(QStringLiteral("INSERT INTO dp_villes VALUES (1, 'Nîmes', 'deux\\nlignes', 'http://nimes.example'), "
                       "(2, 'Lyon', NULL, 'https://lyon.example'), (10, 'Besançon', 'a\\tb', '')"));
    TLocalStore store;
    store.Open(FDir.filePath(QStringLiteral("vantrel.adb")));
    store.Execute(TStoreStatement::qryInsertDataBase,
                  {{"TITRE", QStringLiteral("Réelle")}, {"SERVEUR_WEB", FSettings.WebServer},
                   {"SERVEUR_MYSQL", FSettings.SQLServer}, {"COMPTE_MYSQL", FSettings.Account},
                   {"MDP_MYSQL", FSettings.Password}, {"BASE_DE_DONNEES", FSettings.Database}});
  }
  void init() {
    TfrmDialog::ClearAnswers();
    FMain = std::make_unique<TfrmMain>(FDir.filePath(QStringLiteral("vantrel.adb")));
    QVERIFY(FMain->FormCreate());
    FMain->show();
    W.FindAll(*FMain);
  }
  void cleanup() { FMain.reset(); }

  void tableRowsAndRefresh() {
    QTreeWidgetItem *tables = W.tvDB->topLevelItem(0)->child(0)->child(0);
    W.tvDB->setCurrentItem(tables);
    QTreeWidgetItem *villes = Child(tables, QStringLiteral("dp_villes"));
    QVERIFY(villes);
    W.tvDB->setCurrentItem(villes);
    ShowDataPage();
    QCOMPARE(W.lbDatasInfos->text(), QStringLiteral("3 enregistrement(s)"));
    QCOMPARE(Grid()->Captions(), (QStringList{"id", "nom", "note", "site"}));
    QCOMPARE(Column(1), (QStringList{"Nîmes", "Lyon", "Besançon"}));
    QCOMPARE(Column(2), (QStringList{"deux\nlignes", "NULL", "a\tb"}));

    // F5 asks the server again: a row added meanwhile shows.
    Run(QStringLiteral("INSERT INTO dp_villes VALUES (30, 'Zoé', NULL, '')"));
    QVERIFY(FMain->ActionList().Execute(W.actRefresh));
    QCOMPARE(W.lbDatasInfos->text(), QStringLiteral("4 enregistrement(s)"));
    QCOMPARE(Column(1).last(), QStringLiteral("Zoé"));
    Run(QStringLiteral("DELETE FROM dp_villes WHERE id = 30"));
  }

  void savedQueries() {
    AddQuery(QStringLiteral("Par ville"),
             QStringLiteral("SELECT id, nom, 'a::b' AS deux\n-- la ville choisie\nFROM dp_villes\nWHERE nom = :ville"));
    AddQuery(QStringLiteral("Sans paramètre"), QStringLiteral("SELECT 'x::y' AS deux, nom FROM dp_villes ORDER BY id"));
    QTreeWidgetItem *folder = W.tvDB->topLevelItem(0)->child(0)->child(1);
    W.tvDB->setCurrentItem(folder);

    // No parameter: sent at once, its doubled colon as two colons.
    W.tvDB->setCurrentItem(Child(folder, QStringLiteral("Sans paramètre")));
    ShowDataPage();
    QCOMPARE(TfrmDialog::ShownCount(), 0);
    QCOMPARE(Column(0), (QStringList{"x::y", "x::y", "x::y"}));

    // A parameter typed with its quotes.
    W.tvDB->setCurrentItem(Child(folder, QStringLiteral("Par ville")));
    auto watch = ModalHelper::OnNextModal([](QWidget *dialog) {
      dialog->findChild<QLineEdit *>(QStringLiteral("edtParam1"))->setText(QStringLiteral("'Nîmes'"));
      dialog->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    });
    ShowDataPage();
    QVERIFY(watch->acted);
    QCOMPARE(W.lbDatasInfos->text(), QStringLiteral("1 enregistrement(s)"));
    QCOMPARE(Column(1), (QStringList{"Nîmes"}));
    QCOMPARE(Column(2), (QStringList{"a::b"}));  // inside quotes: as written

    // Given up: nothing is sent, the page is emptied, the query page is back.
    W.tvDB->setCurrentItem(Child(folder, QStringLiteral("Sans paramètre")));
    W.tvDB->setCurrentItem(Child(folder, QStringLiteral("Par ville")));
    watch = ModalHelper::ClickOnNextModal(QStringLiteral("Annuler"));
    ShowDataPage();
    QVERIFY(watch->acted);
    QCOMPARE(W.PageControl->currentWidget(), W.tsQuery);
    QCOMPARE(Grid()->RowCount(), 0);
    QCOMPARE(W.lbDatasInfos->text(), QString());
  }
};

QTEST_MAIN(TestE2eDataPage)
#include "TestE2eDataPage.moc"
