// The connection properties dialog: the OK rule, the values as typed, the
// masked password, the modal results and the anchored layout.
#include "ModalHelper.h"
#include "NoProxy.h"
#include "RecordingServer.h"
#include "TfrmDialog.h"
#include "TfrmDBProperties.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(TConnectionSettings)

namespace {

TConnectionSettings Filled() {
  return {QStringLiteral("Production"), QStringLiteral("www.exemple.fr"), QStringLiteral("localhost"),
          QStringLiteral("admin"), QStringLiteral("secret"), QStringLiteral("ventes")};
}

QLineEdit *Edit(QWidget *form, const char *name) { return form->findChild<QLineEdit *>(QLatin1String(name)); }
QPushButton *Button(QWidget *form, const char *name) {
  return form->findChild<QPushButton *>(QLatin1String(name));
}

// Types `text` key by key; unlike QTest::keyClicks it takes any character.
void Type(QWidget *widget, const QString &text) {
  for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace

class TestDBProperties : public QObject {
  Q_OBJECT

 private slots:
  void okRule_data();
  void okRule();
  void okRuleFollowsTyping();
  void valuesAsTyped();
  void passwordShowsHashes();
  void modalResults_data();
  void modalResults();
  void layout_data();
  void layout();
  void fieldsAreNamedAsTheirLabels();
  void connectionTest_data();
  void connectionTest();
};

void TestDBProperties::connectionTest_data() {
  QTest::addColumn<QByteArray>("answer");
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("message");
  QTest::newRow("success") << QByteArray("VERSION()\n10.11.6-MariaDB-0+deb12u1\n") << int(mtInformation)
                           << QStringLiteral("Connexion réussie : 10.11.6-MariaDB-0+deb12u1");
  QTest::newRow("refused") << QByteArray("$ERR Access denied for user 'admin'@'localhost'\n") << int(mtError)
                           << QStringLiteral("MySQL refuse le compte ou le mot de passe : vérifiez le compte "
                                             "MySQL et son mot de passe dans la connexion, et que ce compte a "
                                             "le droit de se connecter depuis le serveur web. Access denied "
                                             "for user 'admin'@'localhost'");
}

// "Tester la connexion" sends SELECT VERSION() with the settings as typed
// and says what came back; the dialog stays open with what was typed.
void TestDBProperties::connectionTest() {
  QFETCH(QByteArray, answer);
  QFETCH(int, kind);
  QFETCH(QString, message);
  NoProxy::Unset();
  RecordingServer server;
  server.Enqueue(RecordingServer::Ok(answer));
  TfrmDBProperties form;
  TConnectionSettings typed = Filled();
  typed.WebServer = server.Url();
  form.SetValues(typed);
  TfrmDialog::ClearAnswers();
  TfrmDialog::SetNextAnswer(mrOk);
  Button(&form, "btnTest")->click();
  QCOMPARE(TfrmDialog::PendingAnswers(), 0);
  QCOMPARE(int(TfrmDialog::LastShown().kind), kind);
  QCOMPARE(TfrmDialog::LastShown().message, message);
  QCOMPARE(server.Requests().size(), 1);
  const QByteArray body = server.Requests().at(0).body;
  QVERIFY(body.contains("WS_query=SELECT+VERSION()"));
  QVERIFY(body.contains("WS_account=admin"));
  QVERIFY(body.contains("WS_database=ventes"));
  QVERIFY(body.contains("WS_server=localhost"));
  QCOMPARE(form.Values(), typed);
}

// A screen reader reads each field by its label's words.
void TestDBProperties::fieldsAreNamedAsTheirLabels() {
  TfrmDBProperties form;
  const QList<std::pair<const char *, QString>> fields{
      {"edtTitle", "Titre"},          {"edtWebserver", "Serveur web"},         {"edtSQLServer", "Serveur MySql"},
      {"edtAccount", "Compte MySQL"}, {"edtPwd", "Mot de passe MySQL"}, {"edtDB", "Base de données"}};
  for (const auto &[name, accessible] : fields) QCOMPARE(Edit(&form, name)->accessibleName(), accessible);
}

void TestDBProperties::okRule_data() {
  QTest::addColumn<TConnectionSettings>("values");
  QTest::addColumn<bool>("okEnabled");

  QTest::newRow("all filled") << Filled() << true;
  const std::pair<const char *, QString TConnectionSettings::*> required[] = {
      {"title", &TConnectionSettings::Title},     {"web server", &TConnectionSettings::WebServer},
      {"MySQL server", &TConnectionSettings::SQLServer}, {"account", &TConnectionSettings::Account},
      {"password", &TConnectionSettings::Password}};
  for (const auto &[name, field] : required) {
    TConnectionSettings empty = Filled();
    empty.*field = QString();
    QTest::addRow("%s empty", name) << empty << false;
    TConnectionSettings blanks = Filled();
    blanks.*field = QStringLiteral("  \t \r\n\x01");
    QTest::addRow("%s blanks and control characters only", name) << blanks << false;
  }
  TConnectionSettings password = Filled();
  password.Password = QStringLiteral("   ");
  QTest::newRow("password of blanks") << password << false;
  password.Password = QStringLiteral("\t");
  QTest::newRow("password of a tab") << password << false;
  password.Password = QStringLiteral(" x ");
  QTest::newRow("password with blanks around") << password << true;
  password.Password = QStringLiteral("\u00a0");
  QTest::newRow("password of a no-break space") << password << true;
  TConnectionSettings database = Filled();
  database.Database = QString();
  QTest::newRow("database empty") << database << true;
  database.Database = QStringLiteral("  ");
  QTest::newRow("database of blanks") << database << true;
}

void TestDBProperties::okRule() {
  QFETCH(TConnectionSettings, values);
  QFETCH(bool, okEnabled);

  TfrmDBProperties form;
  form.SetValues(values);
  QCOMPARE(Button(&form, "btnOk")->isEnabled(), okEnabled);
  // The rule runs again when the dialog is shown.
  Button(&form, "btnOk")->setEnabled(!okEnabled);
  form.show();
  QCOMPARE(Button(&form, "btnOk")->isEnabled(), okEnabled);
}

void TestDBProperties::okRuleFollowsTyping() {
  TfrmDBProperties form;
  form.SetValues({});
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QPushButton *ok = Button(&form, "btnOk");
  QVERIFY(!ok->isEnabled());  // a new connection opens with OK disabled
  const char *required[] = {"edtTitle", "edtWebserver", "edtSQLServer", "edtAccount", "edtPwd"};
  for (const char *name : required) {
    QVERIFY2(!ok->isEnabled(), name);
    QTest::keyClicks(Edit(&form, name), QStringLiteral("a"));
  }
  QVERIFY(ok->isEnabled());
  QTest::keyClick(Edit(&form, "edtPwd"), Qt::Key_Backspace);
  QVERIFY(!ok->isEnabled());
  QTest::keyClicks(Edit(&form, "edtPwd"), QStringLiteral(" "));
  QVERIFY(!ok->isEnabled());
}

void TestDBProperties::valuesAsTyped() {
  TfrmDBProperties form;
  const TConnectionSettings values{QStringLiteral("  Titre  "), QStringLiteral(" http://web "),
                                   QStringLiteral("\tsql\t"), QStringLiteral(" compte"),
                                   QStringLiteral("mot de passe "), QStringLiteral("  ")};
  form.SetValues(values);
  QCOMPARE(form.Values(), values);
  QCOMPARE(Edit(&form, "edtTitle")->text(), values.Title);
  QCOMPARE(Edit(&form, "edtDB")->text(), values.Database);

  // Typed by the user, then read back.
  form.SetValues({});
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  Type(Edit(&form, "edtTitle"), QStringLiteral(" Base été "));
  Type(Edit(&form, "edtPwd"), QStringLiteral(" p#ss "));
  QCOMPARE(form.Values().Title, QStringLiteral(" Base été "));
  QCOMPARE(form.Values().Password, QStringLiteral(" p#ss "));
}

void TestDBProperties::passwordShowsHashes() {
  TfrmDBProperties form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QLineEdit *pwd = Edit(&form, "edtPwd");
  Type(pwd, QStringLiteral("sécret"));
  QCOMPARE(pwd->displayText(), QStringLiteral("######"));
  QCOMPARE(pwd->text(), QStringLiteral("sécret"));
  // Only the password is masked.
  Edit(&form, "edtAccount")->setText(QStringLiteral("admin"));
  QCOMPARE(Edit(&form, "edtAccount")->displayText(), QStringLiteral("admin"));
}

void TestDBProperties::modalResults_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("result");
  QTest::newRow("OK button") << "OK" << 1;
  QTest::newRow("Enter: the default button") << "Enter" << 1;
  QTest::newRow("Annuler button") << "Annuler" << 2;
  QTest::newRow("Escape") << "Escape" << 2;
  QTest::newRow("close box") << "close" << 2;
}

void TestDBProperties::modalResults() {
  QFETCH(QString, how);
  QFETCH(int, result);

  QWidget owner;
  owner.setGeometry(100, 100, 800, 600);
  owner.show();
  TfrmDBProperties form(&owner);
  form.SetValues(Filled());
  TConnectionSettings typed;
  auto watch = ModalHelper::OnNextModal([&](QWidget *modal) {
    QCOMPARE(modal, &form);
    QCOMPARE(form.windowTitle(), QStringLiteral("Propriétés"));
    QCOMPARE(form.FormTitle(), QStringLiteral("Propriétés"));
    // Centred as closely as the frame known before the first show allows.
    const QPoint offset = form.frameGeometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    QLineEdit *title = Edit(modal, "edtTitle");
    QCOMPARE(QApplication::focusWidget(), title);
    title->setText(QStringLiteral(" Recette "));
    if (how == QLatin1String("OK") || how == QLatin1String("Annuler"))
      QVERIFY(ModalHelper::ClickButton(modal, how));
    else if (how == QLatin1String("Enter"))
      QTest::keyClick(title, Qt::Key_Return);
    else if (how == QLatin1String("Escape"))
      QTest::keyClick(title, Qt::Key_Escape);
    else
      modal->close();
  });
  const int answer = form.Execute(QStringLiteral("Propriétés"));
  QVERIFY(watch->acted);
  QVERIFY(!watch->forcedClose);
  QCOMPARE(answer, result);
  TConnectionSettings expected = Filled();
  expected.Title = QStringLiteral(" Recette ");
  QCOMPARE(form.Values(), expected);
}

void TestDBProperties::layout_data() {
  QTest::addColumn<QSize>("growth");  // beyond the design size; the smallest size when empty
  QTest::newRow("design") << QSize(0, 0);
  QTest::newRow("larger") << QSize(138, 76);
  QTest::newRow("smallest") << QSize();
}

void TestDBProperties::layout() {
  QFETCH(QSize, growth);
  TfrmDBProperties form;
  const int shift = form.LabelShift();
  const QSize design(TfrmDBProperties::kDesignClientWidth + shift, TfrmDBProperties::kDesignClientHeight);
  QCOMPARE(form.size(), design);
  QCOMPARE(form.minimumSize(), QSize(TfrmDBProperties::kMinClientWidth + shift, TfrmDBProperties::kMinClientHeight));
  QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
  const QSize size = growth.isValid() ? design + growth : form.minimumSize();
  form.resize(size);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCOMPARE(form.size(), size);
  const int dx = size.width() - design.width();
  const int dy = size.height() - design.height();

  // Edits: left and top fixed, right edge follows the form; the labels
  // before them show their whole captions.
  const std::pair<const char *, QRect> edits[] = {
      {"edtTitle", QRect(112, 12, 344, 21)},  {"edtWebserver", QRect(112, 40, 342, 21)},
      {"edtSQLServer", QRect(112, 69, 342, 21)}, {"edtAccount", QRect(112, 98, 170, 21)},
      {"edtPwd", QRect(112, 127, 170, 21)},   {"edtDB", QRect(112, 156, 342, 21)}};
  for (const auto &[name, designed] : edits) {
    QLineEdit *edit = Edit(&form, name);
    QCOMPARE(edit->geometry(), designed.translated(shift, 0).adjusted(0, 0, dx, 0));
  }
  for (QLabel *label : form.findChildren<QLabel *>()) {
    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    QVERIFY(label->x() >= 0);
    QCOMPARE(label->geometry().right() + 1 + 6, 112 + shift);
    QVERIFY(label->alignment() & Qt::AlignRight);
  }
  // Buttons: right and bottom fixed.
  QCOMPARE(Button(&form, "btnOk")->geometry(), QRect(303 + shift + dx, 188 + dy, 75, 25));
  QCOMPARE(Button(&form, "btnCancel")->geometry(), QRect(383 + shift + dx, 188 + dy, 75, 25));
  QVERIFY(Button(&form, "btnOk")->isDefault());
  // The connection test on the same line, on the left, its caption whole,
  // clear of OK whatever the size.
  QPushButton *test = Button(&form, "btnTest");
  QCOMPARE(test->text(), QStringLiteral("Tester la connexion"));
  QCOMPARE(test->geometry().topLeft(), QPoint(6, 188 + dy));
  QCOMPARE(test->height(), 25);
  QVERIFY(test->width() >= test->sizeHint().width());
  QVERIFY(test->geometry().right() < Button(&form, "btnOk")->x());
  QVERIFY(!test->isDefault());
  QWidget *bevel = form.findChild<QWidget *>(QStringLiteral("Bevel1"));
  QVERIFY(bevel != nullptr);
  QCOMPARE(bevel->x(), 6);
  QCOMPARE(bevel->y(), 171 + dy);
  QCOMPARE(bevel->width(), 450 + shift + dx);
  // From the design height up, the line stays between the last edit and
  // the buttons (below it, the bottom-anchored controls move over the edits).
  if (dy >= 0) {
    QVERIFY(bevel->geometry().bottom() > Edit(&form, "edtDB")->geometry().bottom());
    QVERIFY(bevel->geometry().bottom() < Button(&form, "btnOk")->y());
  }
}

QTEST_MAIN(TestDBProperties)
#include "TestDBProperties.moc"
