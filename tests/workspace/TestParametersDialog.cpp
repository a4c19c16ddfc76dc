// The parameters dialog on a real store file: one row per reference with its
// remembered value, the values put in as typed on OK and remembered per
// connection, Cancel changing nothing, the layout rules, and the failures
// that reach the caller.
#include "ModalHelper.h"
#include "TLocalStore.h"
#include "TStoreError.h"
#include "TfrmParameters.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

using S = TStoreStatement;

QList<QLabel *> Labels(QWidget *form) {
  QList<QLabel *> labels;
  for (QLabel *label : form->findChildren<QLabel *>())
    if (label->objectName().startsWith(QLatin1String("lbParam"))) labels << label;
  return labels;
}

QList<QLineEdit *> Edits(QWidget *form) {
  QList<QLineEdit *> edits;
  for (QLineEdit *edit : form->findChildren<QLineEdit *>())
    if (edit->objectName().startsWith(QLatin1String("edtParam"))) edits << edit;
  return edits;
}

QStringList Texts(const QList<QLineEdit *> &edits) {
  QStringList texts;
  for (const QLineEdit *edit : edits) texts << edit->text();
  return texts;
}

}  // namespace

class TestParametersDialog : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  TLocalStore FStore;
  qint64 FShop = 0;   // two connections of the store
  qint64 FOther = 0;

  qint64 AddConnection(const QString &title) {
    FStore.Execute(S::qryInsertDataBase, {{"TITRE", title},
                                          {"SERVEUR_WEB", QStringLiteral("http://127.0.0.1:1")},
                                          {"SERVEUR_MYSQL", QStringLiteral("localhost")},
                                          {"COMPTE_MYSQL", QStringLiteral("u")},
                                          {"MDP_MYSQL", QStringLiteral("p")},
                                          {"BASE_DE_DONNEES", QStringLiteral("shop")}});
    qint64 key = 0;
    for (TStoreRows rows = FStore.Select(S::qrySelectDatabases); !rows.Eof(); rows.Next())
      if (rows.AsString("TITRE") == title) key = rows.AsInteger("PK_DATABASE");
    return key;
  }

  // The values remembered for that connection and name, one per row.
  QStringList Remembered(qint64 connection, const QString &name) {
    QStringList values;
    for (TStoreRows rows = FStore.Select(S::qrySelectParameter, {{"FK_DATABASE", connection}, {"NOM", name}});
         !rows.Eof(); rows.Next())
      values << rows.AsString("VALEUR");
    return values;
  }

  void Remember(qint64 connection, const QString &name, const QString &value) {
    FStore.Execute(S::qryInsertParameter, {{"FK_DATABASE", connection}, {"NOM", name}, {"VALEUR", value}});
  }

  // Runs the dialog on that text; `act` works on it while it is shown and
  // closes it. The watch closes a dialog that `act` left open, so that a
  // fault fails the test instead of hanging it.
  int Run(TfrmParameters &form, qint64 connection, const QByteArray &sql,
          const std::function<void(TfrmParameters &)> &act) {
    form.DatabaseId = connection;
    form.SQLText = sql;
    auto watch = ModalHelper::OnNextModal([&form, &act](QWidget *) { act(form); });
    const int result = form.Execute();
    if (!watch->found || watch->forcedClose) QTest::qFail("the dialog was not answered", __FILE__, __LINE__);
    return result;
  }

  static void Ok(TfrmParameters &form) { ModalHelper::ClickButton(&form, QStringLiteral("OK")); }

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    FStore.Open(FDir.filePath(QStringLiteral("vantrel.adb")));
    FShop = AddConnection(QStringLiteral("Boutique"));
    FOther = AddConnection(QStringLiteral("Autre"));
    QVERIFY(FShop > 0 && FOther > 0 && FShop != FOther);
  }
  void init() {
    if (!FStore.IsOpen()) FStore.Open(FDir.filePath(QStringLiteral("vantrel.adb")));
    for (const qint64 connection : {FShop, FOther})
      for (const char *name : {"ville", "age", "v"})
        FStore.Execute(S::qryDeleteParameter, {{"FK_DATABASE", connection}, {"NOM", QString::fromLatin1(name)}});
  }

  void rowsAndValuesAsTyped();
  void valuesGoInAsTyped_data();
  void valuesGoInAsTyped();
  void repeatedName();
  void rememberedPerConnection();
  void cancelChangesNothing_data();
  void cancelChangesNothing();
  void okByEnter();
  void heights_data();
  void heights();
  void editsReadableWithATallFont();
  void buttonsAnchoredTopRight();
  void tooManyReferences();
  void storeFailureOnOk();
};

void TestParametersDialog::rowsAndValuesAsTyped() {
  TfrmParameters form(FStore);
  form.SetFormTitle(QStringLiteral("Paramètres [Ventes]"));
  const int result = Run(form, FShop, "SELECT * FROM clients WHERE ville = :ville AND age > :age", [](TfrmParameters &f) {
    QCOMPARE(f.windowTitle(), QStringLiteral("Paramètres [Ventes]"));
    const QList<QLabel *> labels = Labels(&f);
    const QList<QLineEdit *> edits = Edits(&f);
    QCOMPARE(labels.size(), 2);
    QCOMPARE(edits.size(), 2);
    QCOMPARE(labels[0]->text(), QStringLiteral("ville :"));
    QCOMPARE(labels[1]->text(), QStringLiteral("age :"));
    // Rows 24 apart, each edit two pixels above its label.
    QCOMPARE(labels[0]->y(), 5);
    QCOMPARE(labels[1]->y(), 29);
    QCOMPARE(edits[0]->y(), 3);
    QCOMPARE(edits[1]->y(), 27);
    for (int i = 0; i < 2; ++i) {
      // One right-aligned column: the captions end on one line; the edits
      // start 5 pixels right of it.
      QVERIFY(labels[i]->alignment() & Qt::AlignRight);
      QCOMPARE(labels[i]->x(), 5);
      QCOMPARE(labels[i]->geometry().right(), labels[0]->geometry().right());
      QCOMPARE(edits[i]->x(), labels[i]->x() + labels[i]->width() + 5);
      QVERIFY(labels[i]->width() >= labels[i]->sizeHint().width());
      // Readable, and clear of the next row.
      QVERIFY(edits[i]->height() >= std::max(21, edits[i]->sizeHint().height()) && edits[i]->height() <= 24);
      QVERIFY(edits[i]->isVisible());
    }
    QCOMPARE(labels[0]->width(), std::max(labels[0]->sizeHint().width(), labels[1]->sizeHint().width()));
    QCOMPARE(edits[0]->toolTip(), QStringLiteral("ville"));
    QCOMPARE(edits[1]->accessibleName(), QStringLiteral("age"));
    QCOMPARE(Texts(edits), (QStringList{"", ""}));
    QTest::keyClicks(edits[0], QStringLiteral("'Paris'"));
    edits[1]->setText(QStringLiteral("30"));
    Ok(f);
  });
  QCOMPARE(result, 1);
  QCOMPARE(form.SQLText, QByteArray("SELECT * FROM clients WHERE ville = 'Paris' AND age > 30"));
  QCOMPARE(Remembered(FShop, QStringLiteral("ville")), QStringList{"'Paris'"});
  QCOMPARE(Remembered(FShop, QStringLiteral("age")), QStringList{"30"});
}

void TestParametersDialog::valuesGoInAsTyped_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QByteArray>("sql");
  QTest::newRow("no quotes added") << "Paris" << QByteArray("WHERE ville = Paris;");
  QTest::newRow("apostrophe not doubled") << "'l'eau'" << QByteArray("WHERE ville = 'l'eau';");
  QTest::newRow("comma kept") << "1,5" << QByteArray("WHERE ville = 1,5;");
  QTest::newRow("empty") << "" << QByteArray("WHERE ville = ;");
  QTest::newRow("accented") << "Orléans" << QByteArray("WHERE ville = Orl\xC3\xA9" "ans;");
}

void TestParametersDialog::valuesGoInAsTyped() {
  QFETCH(QString, typed);
  QFETCH(QByteArray, sql);
  TfrmParameters form(FStore);
  const int result = Run(form, FShop, "WHERE ville = :ville;", [&typed](TfrmParameters &f) {
    Edits(&f).value(0)->setText(typed);
    Ok(f);
  });
  QCOMPARE(result, 1);
  QCOMPARE(form.SQLText, sql);
  QCOMPARE(Remembered(FShop, QStringLiteral("ville")), QStringList{typed});
}

// Both rows offer the remembered value; on OK both references take the
// first field's text, and the name is remembered once.
void TestParametersDialog::repeatedName() {
  Remember(FShop, QStringLiteral("v"), QStringLiteral("7"));
  TfrmParameters form(FStore);
  const int result = Run(form, FShop, "WHERE a = :v OR b = :v", [](TfrmParameters &f) {
    const QList<QLineEdit *> edits = Edits(&f);
    QCOMPARE(edits.size(), 2);
    QCOMPARE(Labels(&f).value(1)->text(), QStringLiteral("v :"));
    QCOMPARE(Texts(edits), (QStringList{"7", "7"}));
    edits[0]->setText(QStringLiteral("1"));
    edits[1]->setText(QStringLiteral("2"));
    Ok(f);
  });
  QCOMPARE(result, 1);
  QCOMPARE(form.SQLText, QByteArray("WHERE a = 1 OR b = 1"));
  QCOMPARE(Remembered(FShop, QStringLiteral("v")), QStringList{"1"});
}

// A value confirmed on one connection is offered again to any query of that
// connection using the name, and to no other connection. The dialog is
// reused: the rows of the last use give way.
void TestParametersDialog::rememberedPerConnection() {
  TfrmParameters form(FStore);
  QCOMPARE(Run(form, FShop, "SELECT :ville, :age", [](TfrmParameters &f) {
             Edits(&f).value(0)->setText(QStringLiteral("'Lyon'"));
             Ok(f);
           }),
           1);
  QStringList offered;
  QCOMPARE(Run(form, FShop, "SELECT * FROM t WHERE c = :ville", [&offered](TfrmParameters &f) {
             offered = Texts(Edits(&f));
             Ok(f);
           }),
           1);
  QCOMPARE(offered, QStringList{"'Lyon'"});
  QCOMPARE(form.SQLText, QByteArray("SELECT * FROM t WHERE c = 'Lyon'"));
  QCOMPARE(Run(form, FOther, "SELECT * FROM t WHERE c = :ville", [&offered](TfrmParameters &f) {
             offered = Texts(Edits(&f));
             Ok(f);
           }),
           1);
  QCOMPARE(offered, QStringList{""});
  QCOMPARE(Remembered(FShop, QStringLiteral("ville")), QStringList{"'Lyon'"});
  QCOMPARE(Remembered(FOther, QStringLiteral("ville")), QStringList{""});
}

void TestParametersDialog::cancelChangesNothing_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Annuler") << "Annuler";
  QTest::newRow("Escape") << "Escape";
  QTest::newRow("close box") << "close";
}

void TestParametersDialog::cancelChangesNothing() {
  QFETCH(QString, how);
  Remember(FShop, QStringLiteral("ville"), QStringLiteral("Nancy"));
  TfrmParameters form(FStore);
  const QByteArray sql("WHERE ville = :ville AND age = :age");
  const int result = Run(form, FShop, sql, [&how](TfrmParameters &f) {
    for (QLineEdit *edit : Edits(&f)) edit->setText(QStringLiteral("typed"));
    if (how == QLatin1String("Annuler"))
      ModalHelper::ClickButton(&f, how);
    else if (how == QLatin1String("Escape"))
      QTest::keyClick(Edits(&f).value(0), Qt::Key_Escape);
    else
      f.close();
  });
  QCOMPARE(result, 2);
  QCOMPARE(form.SQLText, sql);
  QCOMPARE(Remembered(FShop, QStringLiteral("ville")), QStringList{"Nancy"});
  QCOMPARE(Remembered(FShop, QStringLiteral("age")), QStringList{});
}

void TestParametersDialog::okByEnter() {
  TfrmParameters form(FStore);
  const int result = Run(form, FShop, "LIMIT :age", [](TfrmParameters &f) {
    Edits(&f).value(0)->setText(QStringLiteral("3"));
    QTest::keyClick(Edits(&f).value(0), Qt::Key_Return);
  });
  QCOMPARE(result, 1);
  QCOMPARE(form.SQLText, QByteArray("LIMIT 3"));
}

void TestParametersDialog::heights_data() {
  QTest::addColumn<int>("rows");
  QTest::addColumn<int>("height");
  QTest::addColumn<bool>("scrolls");
  // The lowest label's top, pnBottom's 31 and 60; 350 at most. The rows
  // need 24 pixels each: 12 still fit in the 319 pixels left above pnBottom.
  QTest::newRow("1 row") << 1 << 96 << false;
  QTest::newRow("2 rows") << 2 << 120 << false;
  QTest::newRow("11 rows") << 11 << 336 << false;
  QTest::newRow("12 rows") << 12 << 350 << false;
  QTest::newRow("14 rows") << 14 << 350 << true;
  QTest::newRow("30 rows") << 30 << 350 << true;
}

void TestParametersDialog::heights() {
  QFETCH(int, rows);
  QFETCH(int, height);
  QFETCH(bool, scrolls);
  QByteArray sql("SELECT ");
  for (int r = 0; r < rows; ++r) sql += ":p" + QByteArray::number(r) + ',';
  TfrmParameters form(FStore);
  const int result = Run(form, FShop, sql, [&](TfrmParameters &f) {
    QCOMPARE(f.height(), height);
    QCOMPARE(f.width(), TfrmParameters::kClientWidth);
    auto *box = f.findChild<QScrollArea *>(QStringLiteral("sbContent"));
    QVERIFY(box != nullptr);
    QCOMPARE(box->height(), height - 31);
    QCOMPARE(box->verticalScrollBar()->isVisible(), scrolls);
    // Every edit shows in full beside the bar: nothing to scroll sideways.
    QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
    const QList<QLineEdit *> edits = Edits(&f);
    QCOMPARE(edits.size(), rows);
    QCOMPARE(edits.last()->geometry().right() + 1 + 5, box->viewport()->width());
    QCOMPARE(edits.last()->y(), 24 * (rows - 1) + 3);
    if (scrolls) {
      // The last row can be scrolled into view, whole.
      box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
      const QRect last(edits.last()->mapTo(box->viewport(), QPoint()), edits.last()->size());
      QVERIFY(box->viewport()->rect().contains(last));
    }
    ModalHelper::ClickButton(&f, QStringLiteral("Annuler"));
  });
  QCOMPARE(result, 2);
}

// With a font too tall for the row step, the rows take a smaller one: every
// edit holds its text in full and stays clear of the next row.
void TestParametersDialog::editsReadableWithATallFont() {
  TfrmParameters form(FStore);
  QFont tall = form.font();
  tall.setPointSize(22);
  form.setFont(tall);
  Run(form, FShop, ":ville, :age", [](TfrmParameters &f) {
    const QList<QLineEdit *> edits = Edits(&f);
    QCOMPARE(edits.size(), 2);
    for (QLineEdit *edit : edits) {
      QVERIFY2(edit->height() >= edit->sizeHint().height(), qPrintable(QString::number(edit->sizeHint().height())));
      QVERIFY(edit->height() <= 24);
    }
    QVERIFY(edits[0]->geometry().bottom() < edits[1]->y());
    ModalHelper::ClickButton(&f, QStringLiteral("Annuler"));
  });
}

void TestParametersDialog::buttonsAnchoredTopRight() {
  TfrmParameters form(FStore);
  Run(form, FShop, ":age", [](TfrmParameters &f) {
    auto *panel = f.findChild<QWidget *>(QStringLiteral("pnBottom"));
    auto *ok = f.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    auto *cancel = f.findChild<QPushButton *>(QStringLiteral("BitBtn2"));
    QVERIFY(panel && ok && cancel);
    QCOMPARE(panel->geometry(), QRect(0, f.height() - 31, f.width(), 31));
    QCOMPARE(ok->geometry(), QRect(189, 3, 75, 25));
    QCOMPARE(cancel->geometry(), QRect(267, 3, 75, 25));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Annuler"));
    QVERIFY(ok->isDefault());
    f.resize(f.width() + 100, f.height() + 40);
    QCOMPARE(panel->geometry(), QRect(0, f.height() - 31, f.width(), 31));
    QCOMPARE(ok->geometry(), QRect(289, 3, 75, 25));
    QCOMPARE(cancel->geometry(), QRect(367, 3, 75, 25));
    ModalHelper::ClickButton(&f, QStringLiteral("Annuler"));
  });
}

// Refused before anything shows, and the caller learns why.
void TestParametersDialog::tooManyReferences() {
  QByteArray sql("SELECT ");
  for (int r = 0; r < 192; ++r) sql += ":p" + QByteArray::number(r) + ',';
  TfrmParameters form(FStore);
  form.DatabaseId = FShop;
  form.SQLText = sql;
  auto watch = ModalHelper::CloseNextModal(300);
  QVERIFY_THROWS_EXCEPTION(TSqlTextError, form.Execute());
  QTRY_VERIFY(watch->Done());
  QVERIFY(!watch->found);
  QCOMPARE(form.SQLText, sql);
}

// A store that fails on OK: the failure reaches the caller once the dialog
// has closed, and SQLText is left as it was rather than half replaced.
void TestParametersDialog::storeFailureOnOk() {
  TfrmParameters form(FStore);
  const QByteArray sql("WHERE ville = :ville AND age = :age");
  form.DatabaseId = FShop;
  form.SQLText = sql;
  auto watch = ModalHelper::OnNextModal([this](QWidget *modal) {
    auto *f = static_cast<TfrmParameters *>(modal);
    Edits(f).value(0)->setText(QStringLiteral("'Metz'"));
    FStore.Close();
    Ok(*f);
  });
  QVERIFY_THROWS_EXCEPTION(TStoreError, form.Execute());
  QVERIFY(watch->closed);
  QVERIFY(!form.isVisible());
  QCOMPARE(form.SQLText, sql);
}

QTEST_MAIN(TestParametersDialog)
#include "TestParametersDialog.moc"
