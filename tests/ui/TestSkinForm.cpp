// The form base as it stands without a skin engine: the
// title goes to the window manager, no skin is ever attached.
#include "TSkinForm.h"
#include "TfrmDialog.h"

#include <QDialog>
#include <QMainWindow>
#include <QWindow>
#include <QtTest>

namespace {

// A form that gets its caption from its design, as the program's forms do.
class TDesignedDialog : public QDialog, public TSkinForm {
 public:
  explicit TDesignedDialog(const QString &caption) : QDialog(nullptr), TSkinForm(this) {
    setWindowTitle(caption);  // the design, loaded after the form base
  }
};

// A form whose caption is already there when the form base is built.
class TCaptionedMainWindow : public QMainWindow, public TSkinForm {
 public:
  explicit TCaptionedMainWindow(const QString &caption)
      : QMainWindow(nullptr), TSkinForm((setWindowTitle(caption), this)) {}
};

// A form embedded in another widget, not a window of its own.
class TEmbeddedForm : public QWidget, public TSkinForm {
 public:
  explicit TEmbeddedForm(QWidget *parent) : QWidget(parent), TSkinForm(this) {}
};

}  // namespace

class TestSkinForm : public QObject {
  Q_OBJECT

 private slots:
  void init() { TfrmDialog::ClearAnswers(); }

  void captionBecomesTitle_data();
  void captionBecomesTitle();
  void setFormTitle_data();
  void setFormTitle();
  void setFormTitleOnShownForm();
  void embeddedFormLeavesItsWindowAlone();
  void noSkin();
  void dialogTitleGoesThroughSetFormTitle();
  void forwarderPassesArgumentsUnchanged_data();
  void forwarderPassesArgumentsUnchanged();
};

void TestSkinForm::captionBecomesTitle_data() {
  QTest::addColumn<QString>("form");
  QTest::addColumn<QString>("caption");
  QTest::newRow("dialog, caption from its design") << "dialog" << "Propriétés";
  QTest::newRow("main window, caption before the base") << "main" << "Vantrel";
  QTest::newRow("dialog without caption") << "dialog" << "";
}

void TestSkinForm::captionBecomesTitle() {
  QFETCH(QString, form);
  QFETCH(QString, caption);
  std::unique_ptr<QWidget> widget;
  TSkinForm *skin = nullptr;
  if (form == QLatin1String("dialog")) {
    auto *f = new TDesignedDialog(caption);
    skin = f;
    widget.reset(f);
  } else {
    auto *f = new TCaptionedMainWindow(caption);
    skin = f;
    widget.reset(f);
  }
  QCOMPARE(skin->FormTitle(), caption);
  // The window manager draws the caption here: the form keeps showing it.
  QCOMPARE(widget->windowTitle(), caption);
  QVERIFY(!skin->SkinRefreshPending());
}

void TestSkinForm::setFormTitle_data() {
  QTest::addColumn<QString>("title");
  QTest::newRow("new connection") << "Nouvelle connexion";
  QTest::newRow("properties") << "Propriétés";
  QTest::newRow("parameters") << "Paramètres [Clients par ville]";
  QTest::newRow("empty") << "";
}

void TestSkinForm::setFormTitle() {
  QFETCH(QString, title);
  TDesignedDialog form(QStringLiteral("frmDBProperties"));
  form.SetFormTitle(title);
  QCOMPARE(form.FormTitle(), title);
  QCOMPARE(form.windowTitle(), title);
}

void TestSkinForm::setFormTitleOnShownForm() {
  TCaptionedMainWindow form(QStringLiteral("Vantrel"));
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QVERIFY(form.windowHandle() != nullptr);
  QCOMPARE(form.windowHandle()->title(), QStringLiteral("Vantrel"));
  form.SetFormTitle(QStringLiteral("Paramètres [Ventes]"));
  // What the window manager is given to draw changes at once.
  QCOMPARE(form.windowHandle()->title(), QStringLiteral("Paramètres [Ventes]"));
  QCOMPARE(form.FormTitle(), QStringLiteral("Paramètres [Ventes]"));
  // Activation attaches no skin: there is none.
  form.activateWindow();
  QCoreApplication::processEvents();
  QVERIFY(!form.SkinRefreshPending());
  QVERIFY(TSkinForm::CurrentSkin() == nullptr);
}

void TestSkinForm::embeddedFormLeavesItsWindowAlone() {
  QWidget window;
  window.setWindowTitle(QStringLiteral("Vantrel"));
  auto *embedded = new TEmbeddedForm(&window);
  embedded->SetFormTitle(QStringLiteral("Assistant"));
  QCOMPARE(embedded->FormTitle(), QStringLiteral("Assistant"));
  QCOMPARE(window.windowTitle(), QStringLiteral("Vantrel"));
}

void TestSkinForm::noSkin() {
  QVERIFY(TSkinForm::CurrentSkin() == nullptr);
  TDesignedDialog form(QStringLiteral("A propos"));
  QVERIFY(!form.SkinRefreshPending());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QVERIFY(!form.SkinRefreshPending());
  QVERIFY(TSkinForm::CurrentSkin() == nullptr);
}

void TestSkinForm::dialogTitleGoesThroughSetFormTitle() {
  TfrmDialog dlg;
  // The message dialog is a form of the system: it derives from the base.
  QVERIFY(dynamic_cast<TSkinForm *>(&dlg) != nullptr);
  dlg.Prepare(QStringLiteral("Table inconnue"), mtError, mbOK);
  QCOMPARE(dlg.FormTitle(), QStringLiteral("Erreur"));
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Erreur"));
}

void TestSkinForm::forwarderPassesArgumentsUnchanged_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("kind");
  QTest::addColumn<quint32>("buttons");
  QTest::addColumn<int>("helpCtx");
  QTest::addColumn<int>("answer");
  QTest::newRow("error, OK") << "  Base introuvable\r\n" << int(mtError) << quint32(1u << mbOK) << 0 << 1;
  QTest::newRow("confirmation, OK Cancel")
      << "Supprimer la connexion ?" << int(mtConfirmation)
      << quint32((1u << mbOK) | (1u << mbCancel)) << -5 << 2;
  QTest::newRow("odd kind and bits") << "x" << 9 << quint32(0xF000) << 2147483647 << 7;
}

void TestSkinForm::forwarderPassesArgumentsUnchanged() {
  QFETCH(QString, message);
  QFETCH(int, kind);
  QFETCH(quint32, buttons);
  QFETCH(int, helpCtx);
  QFETCH(int, answer);
  TfrmDialog::SetNextAnswer(answer);
  const int r = MessageDialog(message, TMsgDlgType(kind), TMsgDlgButtons::FromBits(buttons), helpCtx);
  QCOMPARE(r, answer);
  const TShownMessage &last = TfrmDialog::LastShown();
  QCOMPARE(last.message, message);
  QCOMPARE(int(last.kind), kind);
  QCOMPARE(quint32(last.buttons.Bits()), buttons);
  QCOMPARE(last.helpCtx, helpCtx);
}

QTEST_MAIN(TestSkinForm)
#include "TestSkinForm.moc"
