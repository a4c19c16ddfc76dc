#include "TActionList.h"
#include "TLocalStore.h"
#include "TStoreStatements.h"
#include "TTreeNodes.h"
#include "TXListView.h"
#include "UDesignScale.h"
#include "TfrmDialog.h"
#include "TfrmMain.h"
#include "MainWindowFixture.h"
#include "ModalHelper.h"
#include "TUrlCatcher.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QDesktopServices>
#include <QHeaderView>
#include <QUrl>
#include <QtTest>

#include <cmath>

#include <memory>

namespace {


QStringList ChildTexts(const QTreeWidgetItem *node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}


QStringList Captions(const QList<QAction *> &actions) {
  QStringList captions;
  for (const QAction *action : actions) captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return captions;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private:
  TMainWindowFixture F;
  QString StorePath() const { return F.StorePath(); }
  TfrmMain &Start() { return F.Start(); }
  void AddConnection(const QString &title) {
    F.AddConnection(title, QStringLiteral("http://127.0.0.1:9"), QStringLiteral("b"));
  }

 private slots:
  void init() {
    QVERIFY(F.IsValid());
    TfrmDialog::ClearAnswers();
  }
  void cleanup() { F.Stop(); }

  void startsWithTheRootSelectedAndTheConnectionsBelow() {
    for (const char *title : {"B", "A", "C"}) AddConnection(QString::fromLatin1(title));
    TfrmMain &main = Start();
    QCOMPARE(main.FormTitle(), QStringLiteral("Vantrel"));
    QCOMPARE(main.windowTitle(), QStringLiteral("Vantrel"));
    QCOMPARE(F.W.tvDB->topLevelItemCount(), 1);
    QTreeWidgetItem *root = F.W.tvDB->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Bases"));
    QCOMPARE(TTreeNodes::Kind(root), int(nkRoot));
    QCOMPARE(F.W.tvDB->currentItem(), root);
    QVERIFY(root->isExpanded());
    QCOMPARE(ChildTexts(root), (QStringList{"C", "B", "A"}));
    QCOMPARE(ChildTexts(root->child(0)), (QStringList{"Tables", "Requêtes"}));
    QCOMPARE(TTreeNodes::Key(root->child(0)->child(1)), TTreeNodes::Key(root->child(0)));
  }

  void firstStartCreatesTheStore() {
    QVERIFY(!QFileInfo::exists(StorePath()));
    Start();
    QVERIFY(QFileInfo::exists(StorePath()));
    QCOMPARE(F.W.tvDB->topLevelItem(0)->childCount(), 0);
  }

  void unusableStoreEndsTheStartUp() {
    QVERIFY(QDir().mkpath(StorePath()));  // a folder where the file should be
    TfrmDialog::SetNextAnswer(mrOk);
    TfrmMain main(StorePath());
    QVERIFY(!main.FormCreate());
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QCOMPARE(TfrmDialog::LastShown().buttons, TMsgDlgButtons(mbOK));
    QVERIFY(TfrmDialog::LastShown().message.contains(StorePath()));
    QDir(StorePath()).removeRecursively();
  }

  void pagesInOrder() {
    Start();
    const QStringList names{"tsGene", "tsTables", "tsFields", "tsQueries", "tsQuery", "tsDatas"};
    const QStringList captions{"", "Tables", "Colonnes", "Requêtes", "Requête", "Données"};
    QCOMPARE(F.W.PageControl->count(), names.size());
    for (int i = 0; i < names.size(); ++i) {
      QCOMPARE(F.W.PageControl->widget(i)->objectName(), names[i]);
      if (i > 0) {
        QCOMPARE(F.W.PageControl->tabText(i), captions[i]);
        QVERIFY(!F.W.PageControl->tabIcon(i).isNull());
      }
    }
    const auto headers = [](const TXListView *list) {
      QStringList texts;
      for (int c = 0; c < list->columnCount(); ++c) texts << list->headerItem()->text(c);
      return texts;
    };
    QCOMPARE(headers(F.W.lvTables), (QStringList{"N°", "Nom", "Lignes", "Taille", "Créé le", "Modifiée le"}));
    QCOMPARE(F.W.lvTables->ColumnAlignment(2), Qt::AlignRight);
    QCOMPARE(headers(F.W.lvFields), (QStringList{"N°", "Nom", "Type", "Nul autorisé", "Clé", "Défaut", "Extra"}));
    QCOMPARE(F.W.lvFields->ColumnAlignment(4), Qt::AlignHCenter);
    QCOMPARE(headers(F.W.lvQueries), (QStringList{"Nom", "Date création", "Date modification"}));
    QCOMPARE(F.W.lvFields->columnWidth(1), ScaledWidth(F.W.lvFields, 180));
  }

  // The designed widths grow with the interface font, all alike, so that
  // a date and the widest caption show in full.
  void columnWidthsFollowTheFont() {
    Start();
    const double scale = DesignScale(F.W.lvQueries->font());
    QVERIFY(scale >= 1.0);
    QCOMPARE(F.W.lvQueries->columnWidth(0), int(std::lround(300 * scale)));
    QCOMPARE(F.W.lvTables->columnWidth(0), int(std::lround(35 * scale)));
    F.W.lvQueries->AddItem({QStringLiteral("q"), QStringLiteral("2026-12-10 14:05:31"), QStringLiteral("2026-12-10 14:05:31")});
    auto *view = static_cast<QAbstractItemView *>(F.W.lvQueries);
    QVERIFY2(view->sizeHintForColumn(1) <= F.W.lvQueries->columnWidth(1),
             qPrintable(QStringLiteral("%1 > %2").arg(view->sizeHintForColumn(1)).arg(F.W.lvQueries->columnWidth(1))));
    QVERIFY(view->sizeHintForColumn(2) <= F.W.lvQueries->columnWidth(2));
    QVERIFY(F.W.lvFields->header()->sectionSizeHint(3) <= F.W.lvFields->columnWidth(3));
    // A bigger font, bigger columns, in the same proportions.
    QFont big = F.W.lvQueries->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    QVERIFY(DesignScale(big) > 1.5 * scale);
  }

  // Screen readers and test robots find the widgets a user sees by these
  // (the data page's label is named by what it shows: TestDataPage).
  void accessibleNames_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");
    QTest::newRow("tree") << "tvDB" << "Connexions";
    QTest::newRow("path bar") << "tvPath" << "Chemin";
    QTest::newRow("pages") << "PageControl" << "Pages";
    QTest::newRow("general list") << "lvGene" << "Contenu";
    QTest::newRow("tables") << "lvTables" << "Tables";
    QTest::newRow("columns") << "lvFields" << "Colonnes";
    QTest::newRow("queries") << "lvQueries" << "Requêtes";
    QTest::newRow("editor") << "mQuery" << "Éditeur SQL";
    QTest::newRow("assistant tables") << "lvTablesForAssist" << "Tables de l'assistant";
    QTest::newRow("assistant columns") << "lvFieldsForAssist" << "Colonnes de l'assistant";
    QTest::newRow("data") << "lvDatasResult" << "Données";
  }
  void accessibleNames() {
    QFETCH(QString, object);
    QFETCH(QString, name);
    TfrmMain &main = Start();
    const QWidget *widget = main.findChild<QWidget *>(object);
    QVERIFY(widget);
    QCOMPARE(widget->accessibleName(), name);
  }

  void actions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("hasImage");
    QTest::newRow("actNewConnect") << "actNewConnect" << "Nouvelle connexion" << "Connexions" << QKeySequence() << true;
    QTest::newRow("actEditConnect") << "actEditConnect" << "Propriétés..." << "Connexions" << QKeySequence(Qt::Key_F4) << true;
    QTest::newRow("actDeleteConnect") << "actDeleteConnect" << "Supprimer connexion" << "Connexions" << QKeySequence() << true;
    QTest::newRow("actQuit") << "actQuit" << "&Quitter" << "Connexions" << QKeySequence() << true;
    QTest::newRow("actNewQuery") << "actNewQuery" << "Nouvelle requête" << "Requêtes" << QKeySequence() << true;
    QTest::newRow("actRenameQuery") << "actRenameQuery" << "Renommer la requête" << "Requêtes" << QKeySequence(Qt::Key_F2) << false;
    QTest::newRow("actDeleteQuery") << "actDeleteQuery" << "Supprimer la requête" << "Requêtes" << QKeySequence() << true;
    QTest::newRow("actRefresh") << "actRefresh" << "Rafraichir" << "Affichage" << QKeySequence(Qt::Key_F5) << false;
    QTest::newRow("actSelectGene") << "actSelectGene" << "Sélectionner" << "Affichage" << QKeySequence() << false;
    QTest::newRow("actAbout") << "actAbout" << "A propos..." << "Aide" << QKeySequence(Qt::Key_F1) << true;
    QTest::newRow("actUpdateProg") << "actUpdateProg" << "Vérifier les mises à jours" << "Aide" << QKeySequence() << true;
    QTest::newRow("actwww") << "actwww" << "Visiter le site web" << "Aide" << QKeySequence() << true;
    QTest::newRow("actTutorials") << "actTutorials" << "Tutoriels" << "Aide" << QKeySequence() << true;
    QTest::newRow("actForum") << "actForum" << "Le forum" << "Aide" << QKeySequence() << true;
  }
  void actions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, category);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, hasImage);
    TfrmMain &main = Start();
    QAction *action = main.findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(main.ActionList().Category(action), category);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(!action->icon().isNull(), hasImage);
  }

  void menus() {
    TfrmMain &main = Start();
    QStringList menus;
    for (QAction *item : main.menuBar()->actions()) {
      menus << item->text();
      menus << Captions(item->menu()->actions());
    }
    QCOMPARE(menus, (QStringList{"&Connexions", "Nouvelle connexion", "Propriétés...", "Supprimer connexion", "&Quitter",
                                 "Requêtes", "Nouvelle requête", "Renommer la requête", "Supprimer la requête",
                                 "Affichage", "Rafraichir",
                                 "Aide", "A propos...", "Vérifier les mises à jours", "Visiter le site web", "Tutoriels", "Le forum"}));
    QCOMPARE(Captions(F.W.pmlvDB->actions()),
             (QStringList{"Rafraichir", "-", "Nouvelle connexion", "Propriétés...", "Supprimer connexion", "-",
                          "Nouvelle requête", "Renommer la requête", "Supprimer la requête"}));
    QCOMPARE(Captions(F.W.pmlvQueries->actions()), (QStringList{"Nouvelle requête", "Renommer la requête", "Supprimer la requête"}));
    QCOMPARE(Captions(F.W.pmDB->actions()), (QStringList{"Selectionner", "-", "Nouvelle connexion", "Propriétés...", "Supprimer connexion"}));
    QCOMPARE(Captions(F.W.pmlvGene->actions()), (QStringList{"Sélectionner"}));
    QCOMPARE(Captions(F.W.pmAssist->actions()),
             (QStringList{"Construire SELECT", "Construire INSERT", "Construire UPDATE", "Construire DELETE"}));
    QCOMPARE(F.W.actQuit->toolTip(), QStringLiteral("Quitter"));
    QCOMPARE(F.W.actQuit->statusTip(), QStringLiteral("Quitter l'application"));
  }

  // Which actions are enabled, for a selection of the tree and of the lists.
  void enablingRules_data() {
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("enabled");  // of the actions that have a rule
    QTest::newRow("nothing") << "none" << QStringList{};
    QTest::newRow("root") << "root" << QStringList{"actRefresh"};
    QTest::newRow("root and a listed connection") << "root+list" << QStringList{"actEditConnect", "actDeleteConnect", "actRefresh"};
    QTest::newRow("connection") << "connection" << QStringList{"actEditConnect", "actDeleteConnect"};
    QTest::newRow("queries folder") << "queries" << QStringList{"actNewQuery", "actRefresh"};
    QTest::newRow("a listed query") << "queries+list" << QStringList{"actNewQuery", "actRenameQuery", "actDeleteQuery", "actRefresh"};
  }
  void enablingRules() {
    QFETCH(QString, selection);
    QFETCH(QStringList, enabled);
    AddConnection(QStringLiteral("A"));
    Start();
    QTreeWidgetItem *root = F.W.tvDB->topLevelItem(0);
    if (selection == QLatin1String("none")) {
      F.W.tvDB->setCurrentItem(nullptr);
    } else if (selection.startsWith(QLatin1String("root"))) {
      F.W.tvDB->setCurrentItem(root);
      if (selection.endsWith(QLatin1String("list"))) F.W.lvGene->setCurrentItem(F.W.lvGene->AddItem({"A"}));
    } else if (selection == QLatin1String("connection")) {
      F.W.tvDB->setCurrentItem(root->child(0));
    } else {
      F.W.tvDB->setCurrentItem(root->child(0)->child(1));
      if (selection.endsWith(QLatin1String("list"))) F.W.lvQueries->setCurrentItem(F.W.lvQueries->AddItem({"q"}));
    }
    // The rules follow the selection as soon as the program is idle.
    Idle();
    QStringList on;
    for (QAction *action : {F.W.actEditConnect, F.W.actDeleteConnect, F.W.actNewQuery, F.W.actRenameQuery,
                            F.W.actDeleteQuery, F.W.actRefresh})
      if (action->isEnabled()) on << action->objectName();
    QCOMPARE(on, enabled);
    for (QAction *always : {F.W.actNewConnect, F.W.actQuit, F.W.actSelectGene, F.W.actAbout, F.W.actForum})
      QVERIFY(always->isEnabled());
  }

  // F5 reloads the root's connections; with nothing selected it does nothing,
  // even when run from code while still marked enabled.
  void refresh() {
    AddConnection(QStringLiteral("A"));
    TfrmMain &main = Start();
    QTreeWidgetItem *root = F.W.tvDB->topLevelItem(0);
    AddConnection(QStringLiteral("B"));  // written behind the window's back
    QCOMPARE(ChildTexts(root), (QStringList{"A"}));

    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    Idle();
    QVERIFY(F.W.actRefresh->isEnabled());
    QTest::keyClick(F.W.tvDB, Qt::Key_F5);
    QCOMPARE(ChildTexts(root), (QStringList{"B", "A"}));
    QVERIFY(root->isExpanded());

    F.W.tvDB->setCurrentItem(nullptr);
    F.W.actRefresh->setEnabled(true);  // stale: the rule is evaluated again before running
    AddConnection(QStringLiteral("C"));
    QVERIFY(!main.ActionList().Execute(F.W.actRefresh));
    QVERIFY(!F.W.actRefresh->isEnabled());
    QTest::keyClick(F.W.tvDB, Qt::Key_F5);
    QCOMPARE(ChildTexts(root), (QStringList{"B", "A"}));
  }

  void failuresOfAnActionAreShownAndTheProgramGoesOn() {
    TfrmMain &main = Start();
    main.Store().Close();  // the next reload of the root fails
    TfrmDialog::SetNextAnswer(mrOk);
    QVERIFY(main.ActionList().Execute(F.W.actRefresh));
    QCOMPARE(TfrmDialog::PendingAnswers(), 0);
    QCOMPARE(TfrmDialog::LastShown().kind, mtError);
    QVERIFY(main.isVisible());
  }

  // The help menu: the three pages of the web site in the browser, the
  // About box, and the update check that says nothing when no updater lies
  // beside the program.
  void helpMenu() {
    TfrmMain &main = Start();
    TUrlCatcher urls;
    for (QAction *action : {F.W.actwww, F.W.actForum, F.W.actTutorials}) QVERIFY(main.ActionList().Execute(action));
    QCOMPARE(urls.Opened, (QList<QUrl>{QUrl(QStringLiteral("http://www.vantrel.example/")),
                                       QUrl(QStringLiteral("http://www.vantrel.example/forum")),
                                       QUrl(QStringLiteral("http://www.vantrel.example/site/VantrelTuto.html"))}));

    QString title;
    auto watch = ModalHelper::OnNextModal([&title](QWidget *box) {
      title = box->windowTitle();
      ModalHelper::ClickButton(box, QStringLiteral("Ok"));
    });
    QVERIFY(main.ActionList().Execute(F.W.actAbout));
    QVERIFY(watch->acted);
    QCOMPARE(title, QStringLiteral("A propos..."));

    const int shown = TfrmDialog::ShownCount();
    QVERIFY(main.ActionList().Execute(F.W.actUpdateProg));
    QCOMPARE(TfrmDialog::ShownCount(), shown);
    QVERIFY(!QApplication::activeModalWidget());
  }

  void timerRefreshIsAOneShot() {
    Start();
    QCOMPARE(F.W.TimerRefresh->interval(), 25);
    QVERIFY(!F.W.TimerRefresh->isActive());
    AddConnection(QStringLiteral("Z"));
    F.W.TimerRefresh->start();
    QTRY_COMPARE(ChildTexts(F.W.tvDB->topLevelItem(0)), (QStringList{"Z"}));
    QVERIFY(!F.W.TimerRefresh->isActive());
  }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
