#include "MainWindowFixture.h"
#include "ModalHelper.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TActionList.h"
#include "TWebService.h"
#include "TLocalStore.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"
#include "UStoreRecords.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

struct TRow {
  QString Title, Web, Server, Account, Password, Database;
};

QStringList Children(const QTreeWidgetItem *node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

// Fills the connection dialog as a user would, then presses the button.
void FillAndPress(QWidget *dialog, const QMap<QString, QString> &edits, const QString &button) {
  for (auto it = edits.begin(); it != edits.end(); ++it) {
    auto *edit = dialog->findChild<QLineEdit *>(it.key());
    if (!edit) qFatal("no edit %s", qPrintable(it.key()));
    edit->clear();
    QTest::keyClicks(edit, it.value());
  }
  auto *push = dialog->findChild<QPushButton *>(button);
  if (!push) qFatal("no button %s", qPrintable(button));
  if (!push->isEnabled()) {
    dialog->close();
    return;
  }
  push->click();
}

}  // namespace

class TestConnectionFlows : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  QString StorePath() const { return F.StorePath(); }
  TfrmMain &Start() { return F.Start(); }
  QTreeWidgetItem *Root() const { return F.Root(); }
  QList<TRow> Stored() const {
    QList<TRow> rows;
    TStoreRows keys = F.Main().Store().Select(TStoreStatement::qrySelectDatabases);
    for (; !keys.Eof(); keys.Next()) {
      TStoreRows row = F.Main().Store().Select(TStoreStatement::qrySelectDatabase, {{"PK_DATABASE", keys.AsInteger("PK_DATABASE")}});
      rows << TRow{keys.AsString("TITRE"), row.AsString("SERVEUR_WEB"), row.AsString("SERVEUR_MYSQL"),
                   row.AsString("COMPTE_MYSQL"), row.AsString("MDP_MYSQL"), row.AsString("BASE_DE_DONNEES")};
    }
    return rows;
  }
  void NewConnection(const QString &title) {
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      FillAndPress(dialog, {{"edtTitle", title}, {"edtWebserver", "http://h"}, {"edtSQLServer", "localhost"},
                            {"edtAccount", "u"}, {"edtPwd", "p"}, {"edtDB", ""}}, QStringLiteral("btnOk"));
    });
    F.Main().ActionList().Execute(F.W.actNewConnect);
    QVERIFY(watch->acted);
  }

 private slots:
  void initTestCase() { NoProxy::Unset(); }
  void init() {
    QVERIFY(F.IsValid());
    TfrmDialog::ClearAnswers();
  }
  void cleanup() { F.Stop(); }

  void newConnectionIsStoredAsTyped() {
    TfrmMain &main = Start();
    QString title;
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      title = dialog->windowTitle();
      QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->isEnabled());  // empty at first
      FillAndPress(dialog, {{"edtTitle", "  Ma base  "}, {"edtWebserver", "https://exemple.fr/ws"},
                            {"edtSQLServer", "localhost:3307"}, {"edtAccount", "lecteur"},
                            {"edtPwd", "mot de passe"}, {"edtDB", ""}},
                   QStringLiteral("btnOk"));
    });
    QVERIFY(main.ActionList().Execute(F.W.actNewConnect));
    QVERIFY(watch->acted);
    QCOMPARE(title, QStringLiteral("Nouvelle connexion"));
    const QList<TRow> rows = Stored();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].Title, QStringLiteral("  Ma base  "));
    QCOMPARE(rows[0].Web, QStringLiteral("https://exemple.fr/ws"));
    QCOMPARE(rows[0].Server, QStringLiteral("localhost:3307"));
    QCOMPARE(rows[0].Account, QStringLiteral("lecteur"));
    QCOMPARE(rows[0].Password, QStringLiteral("mot de passe"));
    QCOMPARE(rows[0].Database, QString());
    QCOMPARE(F.W.tvDB->currentItem(), Root());
    QCOMPARE(Children(Root()), (QStringList{"  Ma base  "}));
  }

  void cancelledNewConnectionStoresNothing() {
    TfrmMain &main = Start();
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      FillAndPress(dialog, {{"edtTitle", "x"}, {"edtWebserver", "y"}, {"edtSQLServer", "z"}, {"edtAccount", "a"},
                            {"edtPwd", "b"}}, QStringLiteral("btnCancel"));
    });
    main.ActionList().Execute(F.W.actNewConnect);
    QVERIFY(watch->acted);
    QCOMPARE(Stored().size(), 0);
  }

  // With the root selected, the connection chosen in the general list is
  // the one edited; the dialog shows its stored settings.
  void editTheConnectionChosenInTheList() {
    TfrmMain &main = Start();
    NewConnection(QStringLiteral("A"));
    NewConnection(QStringLiteral("B"));
    F.W.tvDB->setCurrentItem(Root());
    QCOMPARE(F.W.lvGene->topLevelItem(1)->text(0), QStringLiteral("A"));
    F.W.lvGene->setCurrentItem(F.W.lvGene->topLevelItem(1));
    main.ApplicationEventsIdle();
    QVERIFY(F.W.actEditConnect->isEnabled());
    QMap<QString, QString> shown;
    QString title;
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      title = dialog->windowTitle();
      for (const char *name : {"edtTitle", "edtWebserver", "edtSQLServer", "edtAccount", "edtPwd", "edtDB"})
        shown[QLatin1String(name)] = dialog->findChild<QLineEdit *>(QLatin1String(name))->text();
      FillAndPress(dialog, {{"edtTitle", "A2"}, {"edtDB", "shop"}}, QStringLiteral("btnOk"));
    });
    main.ActionList().Execute(F.W.actEditConnect);
    QVERIFY(watch->acted);
    QCOMPARE(title, QStringLiteral("Propriétés"));
    QCOMPARE(shown.value("edtTitle"), QStringLiteral("A"));
    QCOMPARE(shown.value("edtWebserver"), QStringLiteral("http://h"));
    QCOMPARE(shown.value("edtPwd"), QStringLiteral("p"));
    const QList<TRow> rows = Stored();
    QCOMPARE(rows[0].Title, QStringLiteral("A2"));
    QCOMPARE(rows[0].Database, QStringLiteral("shop"));
    QCOMPARE(rows[1].Title, QStringLiteral("B"));
    QCOMPARE(F.W.tvDB->currentItem(), Root());
    QCOMPARE(Children(Root()), (QStringList{"B", "A2"}));
    QCOMPARE(main.WebService().Settings.Key, TConnectionSettings::kNoKey);  // the next use reads the new settings
  }

  // Testing the connection while editing it uses what is typed; cancelling
  // the dialog then leaves the stored settings and the program's client as
  // they were.
  void connectionTestLeavesTheStoredSettings() {
    RecordingServer server;
    server.Enqueue(RecordingServer::Ok("VERSION()\n11.0\n"));
    TfrmMain &main = Start();
    NewConnection(QStringLiteral("A"));
    F.W.tvDB->setCurrentItem(Root()->child(0));
    main.ApplicationEventsIdle();
    QString said;
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      auto *web = dialog->findChild<QLineEdit *>(QStringLiteral("edtWebserver"));
      web->setText(server.Url());
      TfrmDialog::SetNextAnswer(mrOk);
      dialog->findChild<QPushButton *>(QStringLiteral("btnTest"))->click();
      said = TfrmDialog::LastShown().message;
      dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
    });
    main.ActionList().Execute(F.W.actEditConnect);
    QVERIFY(watch->acted);
    QCOMPARE(said, QStringLiteral("Connexion réussie : 11.0"));
    QCOMPARE(server.Requests().size(), 1);
    QCOMPARE(Stored().value(0).Web, QStringLiteral("http://h"));
    QCOMPARE(main.WebService().Settings.WebServer, QStringLiteral("http://h"));  // the edited connection's, as stored
  }

  // A second copy of the program deleted the connection: editing it says
  // so instead of showing empty settings, and the tree lets it go.
  void editAVanishedConnection() {
    TfrmMain &main = Start();
    NewConnection(QStringLiteral("A"));
    NewConnection(QStringLiteral("B"));
    QTreeWidgetItem *a = Root()->child(1);
    DeleteConnection(main.Store(), TTreeNodes::Key(a));
    F.W.tvDB->setCurrentItem(a);
    main.ApplicationEventsIdle();
    QString shown;
    auto watch = ModalHelper::OnNextModal([&](QWidget *modal) {
      if (auto *label = modal->findChild<QLabel *>(QStringLiteral("lbMsg"))) shown = label->text();
      modal->close();  // the properties dialog, too, if it came instead
    });
    main.ActionList().Execute(F.W.actEditConnect);
    QVERIFY(watch->acted);
    QCOMPARE(shown, QStringLiteral("La connexion « A » n'existe plus dans la base locale."));
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QCOMPARE(F.W.tvDB->currentItem(), Root());
    QCOMPARE(Children(Root()), (QStringList{"B"}));
    QCOMPARE(Stored().size(), 1);
  }

  void deleteAConnection_data() {
    QTest::addColumn<QString>("answer");  // how the question is answered
    QTest::addColumn<bool>("withQuery");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("error");
    QTest::newRow("confirmed") << "ok" << false << QStringList{"B"} << QString();
    QTest::newRow("cancelled") << "cancel" << false << QStringList{"B", "A"} << QString();
    QTest::newRow("close box") << "close" << false << QStringList{"B", "A"} << QString();
    QTest::newRow("still owns queries") << "ok" << true << QStringList{"B", "A"}
                                        << "Il faut d'abord supprimer les requêtes";
  }
  void deleteAConnection() {
    QFETCH(QString, answer);
    QFETCH(bool, withQuery);
    QFETCH(QStringList, left);
    QFETCH(QString, error);
    TfrmMain &main = Start();
    NewConnection(QStringLiteral("A"));
    NewConnection(QStringLiteral("B"));
    QTreeWidgetItem *a = Root()->child(1);
    if (withQuery)
      main.Store().Execute(TStoreStatement::qryInsertQuery, {{"FK_DATABASE", TTreeNodes::Key(a)}, {"TITRE", QStringLiteral("q")},
                                                             {"DATE_CREATION", QDateTime::currentDateTime()}});
    F.W.tvDB->setCurrentItem(a);
    main.ApplicationEventsIdle();
    QString question;
    QStringList buttons;
    QString shownError;
    std::shared_ptr<ModalHelper::TModalWatch> errorWatch;
    auto watch = ModalHelper::OnNextModal([&](QWidget *dialog) {
      question = dialog->findChild<QLabel *>(QStringLiteral("lbMsg"))->text();
      buttons = ModalHelper::ButtonTexts(dialog);
      if (!error.isEmpty())  // the refusal comes in a second box, after the question
        errorWatch = ModalHelper::OnNextModal([&](QWidget *box) {
          shownError = box->findChild<QLabel *>(QStringLiteral("lbMsg"))->text();
          ModalHelper::ClickButton(box, QStringLiteral("&Ok"));
        });
      if (answer == QLatin1String("close")) dialog->close();
      else ModalHelper::ClickButton(dialog, answer == QLatin1String("ok") ? QStringLiteral("&Ok") : QStringLiteral("&Annuler"));
    });
    const int before = TfrmDialog::ShownCount();
    main.ActionList().Execute(F.W.actDeleteConnect);
    QVERIFY(watch->acted);
    QCOMPARE(question, QStringLiteral("Confirmez-vous la suppression de la connexion à la base de données : A?"));
    QCOMPARE(buttons, (QStringList{"&Ok", "&Annuler"}));
    QCOMPARE(Children(Root()), left);
    QStringList stored;
    for (const TRow &row : Stored()) stored.prepend(row.Title);
    QCOMPARE(stored, left);
    if (!error.isEmpty()) {
      QVERIFY(errorWatch && errorWatch->acted);
      QCOMPARE(shownError, error);
      QCOMPARE(TfrmDialog::ShownCount(), before + 2);
      QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    }
    // Refreshed only when the user went on: the root is then selected.
    QCOMPARE(F.W.tvDB->currentItem() == Root(), answer == QLatin1String("ok"));
  }
};

QTEST_MAIN(TestConnectionFlows)
#include "TestConnectionFlows.moc"
