// The message dialog, run for real with the offscreen
// platform and answered through ModalHelper.
#include "ModalHelper.h"
#include "TSkinForm.h"
#include "TfrmDialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

Q_DECLARE_METATYPE(TMsgDlgType)
Q_DECLARE_METATYPE(TMsgDlgButtons)

namespace {

QLabel *Label(QWidget *dialog, const char *name) {
  return dialog->findChild<QLabel *>(QLatin1String(name));
}

// The name of the one picture shown, or a description of what is wrong.
QString VisiblePicture(QWidget *dialog) {
  QStringList shown;
  for (const char *name : {"imgWarning", "imgError", "imgInformation", "imgConfirmation"}) {
    QLabel *img = Label(dialog, name);
    if (img == nullptr) return QStringLiteral("missing %1").arg(QLatin1String(name));
    if (img->isVisible()) shown << QLatin1String(name);
  }
  return shown.join(QLatin1Char(','));
}

QList<QPushButton *> SortedButtons(QWidget *dialog) {
  QList<QPushButton *> buttons;
  for (QPushButton *b : dialog->findChildren<QPushButton *>())
    if (b->isVisible()) buttons << b;
  std::sort(buttons.begin(), buttons.end(),
            [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
  return buttons;
}

}  // namespace

class TestMessageDialog : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void answers_data();
  void answers();
  void okStandsLeftOfCancel();
  void defaultButton_data();
  void defaultButton();
  void defaultButtonThroughHook();
  void titleAndPicturePerKind_data();
  void titleAndPicturePerKind();
  void shownTextIsTrimmed_data();
  void shownTextIsTrimmed();
  void centredToolWindowOfFixedSize();
  void destroyedBeforeReturning();

  void vocabulary_data();
  void vocabulary();
  void vocabularyReadAtEachCall();
  void pictures_data();
  void pictures();

  void realLayoutOneLine_data();
  void realLayoutOneLine();
  void realLayoutWidth();
  void realLayoutThreeLines();

  void hookAnswersWithoutShowing();
  void hookQueuesAnswersInOrder();
  void modalHelperClosesWhatItCannotAnswer();
};

void TestMessageDialog::init() { TfrmDialog::ClearAnswers(); }

void TestMessageDialog::cleanup() {
  // A dialog left open would hang the next test.
  QVERIFY(QApplication::activeModalWidget() == nullptr);
}

// ---------------------------------------------------------------- running

void TestMessageDialog::answers_data() {
  QTest::addColumn<TMsgDlgButtons>("buttons");
  QTest::addColumn<QString>("press");  // a button's text, "close" or "escape"
  QTest::addColumn<int>("result");
  const TMsgDlgButtons okCancel{mbOK, mbCancel};
  QTest::newRow("OK") << okCancel << "&Ok" << 1;
  QTest::newRow("Cancel") << okCancel << "&Annuler" << 2;
  QTest::newRow("close box") << okCancel << "close" << 2;
  QTest::newRow("Escape") << okCancel << "escape" << 2;
  QTest::newRow("single OK") << TMsgDlgButtons(mbOK) << "&Ok" << 1;
  QTest::newRow("single OK, close box") << TMsgDlgButtons(mbOK) << "close" << 2;
  QTest::newRow("Yes") << TMsgDlgButtons{mbYes, mbNo} << "&Oui" << 6;
  QTest::newRow("No") << TMsgDlgButtons{mbYes, mbNo} << "&Non" << 7;
}

void TestMessageDialog::answers() {
  QFETCH(TMsgDlgButtons, buttons);
  QFETCH(QString, press);
  bool pressed = false;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    if (press == QLatin1String("close")) {
      pressed = dlg->close();
    } else if (press == QLatin1String("escape")) {
      QTest::keyClick(dlg, Qt::Key_Escape);
      pressed = true;
    } else {
      pressed = ModalHelper::ClickButton(dlg, press);
    }
  });
  const int result = MessageDialog(QStringLiteral("Voulez-vous continuer ?"), mtConfirmation,
                                   buttons, 0);
  QVERIFY(watch->found);
  QVERIFY(pressed);
  QVERIFY(!watch->forcedClose);
  QTEST(result, "result");
  QCOMPARE(TfrmDialog::LastShown().result, result);
  QVERIFY(!TfrmDialog::LastShown().answeredByHook);
}

// A question whose safe answer is No: Enter gives No, the other button
// still answers; the default holds the focus.
void TestMessageDialog::defaultButton_data() {
  QTest::addColumn<QString>("press");  // a button's text or "enter"
  QTest::addColumn<int>("result");
  QTest::newRow("Enter") << "enter" << 7;
  QTest::newRow("Yes") << "&Oui" << 6;
  QTest::newRow("No") << "&Non" << 7;
}

void TestMessageDialog::defaultButton() {
  QFETCH(QString, press);
  QString focused, defaults;
  bool active = false;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    // The key goes where a user's would: to the focus of the active window.
    active = QTest::qWaitForWindowActive(dlg);
    if (auto *b = qobject_cast<QPushButton *>(QApplication::focusWidget())) focused = b->text();
    for (QPushButton *b : SortedButtons(dlg))
      if (b->isDefault()) defaults += b->text();
    if (press == QLatin1String("enter")) {
      QWidget *target = QApplication::focusWidget();
      QTest::keyClick(target != nullptr ? target : dlg, Qt::Key_Return);
    } else {
      ModalHelper::ClickButton(dlg, press);
    }
  });
  const int result = MessageDialog(QStringLiteral("Cette requête modifie des données. L'exécuter ?"),
                                   mtConfirmation, {mbYes, mbNo}, 0, mbNo);
  QVERIFY(watch->found);
  QVERIFY(!watch->forcedClose);
  QVERIFY(active);
  QCOMPARE(focused, QStringLiteral("&Non"));
  QCOMPARE(defaults, QStringLiteral("&Non"));
  QTEST(result, "result");
  QCOMPARE(TfrmDialog::LastShown().defaultButton, int(mbNo));
}

void TestMessageDialog::defaultButtonThroughHook() {
  TfrmDialog::SetNextAnswer(mrYes);
  auto watch = ModalHelper::CloseNextModal(300);
  QCOMPARE(MessageDialog(QStringLiteral("Encore ?"), mtConfirmation, {mbYes, mbNo}, 5, mbNo), mrYes);
  const TShownMessage &last = TfrmDialog::LastShown();
  QVERIFY(last.answeredByHook);
  QVERIFY(last.buttons == (TMsgDlgButtons{mbYes, mbNo}));
  QCOMPARE(last.helpCtx, 5);
  QCOMPARE(last.defaultButton, int(mbNo));
  QTRY_VERIFY(watch->Done());
  QVERIFY(watch->timedOut);
  // The four-argument form names none.
  TfrmDialog::SetNextAnswer(mrOk);
  MessageDialog(QStringLiteral("Bonjour"), mtInformation, mbOK, 0);
  QCOMPARE(TfrmDialog::LastShown().defaultButton, -1);
}

void TestMessageDialog::okStandsLeftOfCancel() {
  QStringList texts;
  QList<QRect> geometries;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    for (QPushButton *b : SortedButtons(dlg)) {
      texts << b->text();
      geometries << b->geometry();
    }
    dlg->close();
  });
  MessageDialog(QStringLiteral("Supprimer la requête ?"), mtConfirmation, {mbOK, mbCancel}, 0);
  QVERIFY(watch->found);
  QCOMPARE(texts, QStringList({"&Ok", "&Annuler"}));
  QCOMPARE(geometries.size(), 2);
  QCOMPARE(geometries[0].top(), geometries[1].top());
  QCOMPARE(geometries[1].left() - geometries[0].left(), 83);
  QCOMPARE(geometries[0].size(), QSize(75, 25));
}

void TestMessageDialog::titleAndPicturePerKind_data() {
  QTest::addColumn<TMsgDlgType>("kind");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("picture");
  QTest::newRow("warning") << mtWarning << "Attention" << "imgWarning";
  QTest::newRow("error") << mtError << "Erreur" << "imgError";
  QTest::newRow("information") << mtInformation << "Information" << "imgInformation";
  QTest::newRow("confirmation") << mtConfirmation << "Confirmation" << "imgConfirmation";
  QTest::newRow("custom") << mtCustom << "Information" << "imgInformation";
  QTest::newRow("outside the five") << TMsgDlgType(42) << "Information" << "imgInformation";
  QTest::newRow("negative") << TMsgDlgType(-1) << "Information" << "imgInformation";
}

void TestMessageDialog::titleAndPicturePerKind() {
  QFETCH(TMsgDlgType, kind);
  QString title, windowTitle, picture;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    if (auto *form = dynamic_cast<TSkinForm *>(dlg)) title = form->FormTitle();
    windowTitle = dlg->windowTitle();
    picture = VisiblePicture(dlg);
    dlg->close();
  });
  // The help context has no effect.
  MessageDialog(QStringLiteral("Un message"), kind, mbOK, 4711);
  QVERIFY(watch->found);
  QTEST(title, "title");
  QTEST(windowTitle, "title");
  QTEST(picture, "picture");
}

void TestMessageDialog::shownTextIsTrimmed_data() {
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<int>("lines");
  QTest::newRow("blanks") << "   Erreur de connexion   " << "Erreur de connexion" << 1;
  QTest::newRow("line breaks") << "\r\n\r\nTable inconnue\r\n\r\n" << "Table inconnue" << 1;
  QTest::newRow("two lines") << "\r\n Ligne 1\r\nLigne 2 \r\n" << "Ligne 1\nLigne 2" << 2;
  QTest::newRow("ampersand shown as is") << " A & B " << "A & B" << 1;
  QTest::newRow("markup shown as is") << "<b>gras</b>" << "<b>gras</b>" << 1;
}

void TestMessageDialog::shownTextIsTrimmed() {
  QFETCH(QString, message);
  QFETCH(int, lines);
  QString shown;
  int height = 0, lineHeight = 0;
  bool wraps = true;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    if (QLabel *lb = Label(dlg, "lbMsg")) {
      shown = lb->text();
      height = lb->height();
      lineHeight = lb->fontMetrics().height();
      wraps = lb->wordWrap();
    }
    dlg->close();
  });
  MessageDialog(message, mtError, mbOK, 0);
  QVERIFY(watch->found);
  QTEST(shown, "shown");
  QVERIFY(!wraps);
  // Each line break makes one line.
  QVERIFY2(height >= lines * lineHeight && height < (lines + 1) * lineHeight,
           qPrintable(QStringLiteral("height %1, line %2").arg(height).arg(lineHeight)));
}

void TestMessageDialog::centredToolWindowOfFixedSize() {
  Qt::WindowFlags flags;
  Qt::WindowType type = Qt::Widget;
  QSize minimum, maximum;
  QPoint centre, screenCentre;
  bool panelShown = false;
  auto watch = ModalHelper::OnNextModal([&](QWidget *dlg) {
    flags = dlg->windowFlags();
    type = dlg->windowType();
    minimum = dlg->minimumSize();
    maximum = dlg->maximumSize();
    centre = dlg->frameGeometry().center();
    screenCentre = dlg->screen()->availableGeometry().center();
    if (QWidget *pn = dlg->findChild<QWidget *>(QStringLiteral("pnDLG"))) panelShown = pn->isVisible();
    dlg->close();
  });
  MessageDialog(QStringLiteral("Centre"), mtInformation, mbOK, 0);
  QVERIFY(watch->found);
  QCOMPARE(type, Qt::Tool);
  QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
  QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
  QCOMPARE(minimum, maximum);  // not resizable
  QVERIFY(panelShown);
  QVERIFY2((centre - screenCentre).manhattanLength() <= 8,
           qPrintable(QStringLiteral("centre %1,%2 screen %3,%4")
                          .arg(centre.x()).arg(centre.y()).arg(screenCentre.x()).arg(screenCentre.y())));
}

void TestMessageDialog::destroyedBeforeReturning() {
  QPointer<QWidget> seen;
  auto watch = ModalHelper::ClickOnNextModal(QStringLiteral("&Ok"));
  const int r = MessageDialog(QStringLiteral("Bonjour"), mtInformation, mbOK, 0);
  QCOMPARE(r, 1);
  seen = watch->widget;
  QVERIFY(seen.isNull());
  for (QWidget *w : QApplication::topLevelWidgets())
    QVERIFY2(qobject_cast<TfrmDialog *>(w) == nullptr, "a dialog form survived the call");
}

// ---------------------------------------------------------------- the form

void TestMessageDialog::vocabulary_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  QTest::newRow("lbWarning") << "lbWarning" << "Attention";
  QTest::newRow("lbError") << "lbError" << "Erreur";
  QTest::newRow("lbInformation") << "lbInformation" << "Information";
  QTest::newRow("lbConfirmation") << "lbConfirmation" << "Confirmation";
  QTest::newRow("lbYes") << "lbYes" << "&Oui";
  QTest::newRow("lbNo") << "lbNo" << "&Non";
  QTest::newRow("lbOk") << "lbOk" << "&Ok";
  QTest::newRow("lbCancel") << "lbCancel" << "&Annuler";
}

void TestMessageDialog::vocabulary() {
  QFETCH(QString, name);
  TfrmDialog dlg;
  dlg.Prepare(QStringLiteral("Bonjour"), mtConfirmation, {mbYes, mbNo, mbOK, mbCancel});
  QLabel *label = dlg.findChild<QLabel *>(name);
  QVERIFY(label != nullptr);
  QTEST(label->text(), "caption");
  QVERIFY(label->isHidden());
}

void TestMessageDialog::vocabularyReadAtEachCall() {
  TfrmDialog dlg;
  dlg.findChild<QLabel *>(QStringLiteral("lbOk"))->setText(QStringLiteral("&D'accord"));
  dlg.findChild<QLabel *>(QStringLiteral("lbError"))->setText(QStringLiteral("Oups"));
  dlg.Prepare(QStringLiteral("Bonjour"), mtError, {mbOK, mbCancel});
  QCOMPARE(dlg.Buttons().size(), 2);
  QCOMPARE(dlg.Buttons()[0]->text(), QStringLiteral("&D'accord"));
  QCOMPARE(dlg.Buttons()[1]->text(), QStringLiteral("&Annuler"));
  QCOMPARE(dlg.windowTitle(), QStringLiteral("Oups"));
  for (QPushButton *b : dlg.Buttons()) QVERIFY(!b->isDefault());
}

void TestMessageDialog::pictures_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QSize>("size");
  QTest::newRow("imgWarning") << "imgWarning" << QSize(32, 32);
  QTest::newRow("imgError") << "imgError" << QSize(32, 33);
  QTest::newRow("imgInformation") << "imgInformation" << QSize(32, 32);
  QTest::newRow("imgConfirmation") << "imgConfirmation" << QSize(32, 32);
}

void TestMessageDialog::pictures() {
  QFETCH(QString, name);
  QFETCH(QSize, size);
  TfrmDialog dlg;
  QLabel *img = dlg.findChild<QLabel *>(name);
  QVERIFY(img != nullptr);
  QCOMPARE(img->geometry(), QRect(QPoint(8, 16), size));
  QCOMPARE(img->pixmap().deviceIndependentSize().toSize(), size);
  // Transparent around, drawn inside.
  const QImage image = img->pixmap().toImage();
  QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
  QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() / 2)) > 200);
}

// ---------------------------------------------------------------- real layout

void TestMessageDialog::realLayoutOneLine_data() {
  QTest::addColumn<TMsgDlgButtons>("buttons");
  QTest::addColumn<QList<int>>("lefts");
  QTest::newRow("one button") << TMsgDlgButtons(mbOK) << QList<int>{112};
  QTest::newRow("two buttons") << TMsgDlgButtons{mbOK, mbCancel} << QList<int>{79, 162};
  QTest::newRow("four buttons, kind order")
      << TMsgDlgButtons{mbCancel, mbOK, mbNo, mbYes} << QList<int>{12, 95, 178, 261};
}

void TestMessageDialog::realLayoutOneLine() {
  QFETCH(TMsgDlgButtons, buttons);
  QFETCH(QList<int>, lefts);
  TfrmDialog dlg;
  QLabel *lbMsg = dlg.findChild<QLabel *>(QStringLiteral("lbMsg"));
  const int designedLine = lbMsg->height();
  dlg.Prepare(QStringLiteral("Court"), mtConfirmation, buttons);
  QCOMPARE(lbMsg->pos(), QPoint(64, 24));
  QCOMPARE(lbMsg->height(), designedLine);  // one line, same font
  // The client grows by the designed line and by the message's line.
  QCOMPARE(dlg.height(), 105 + designedLine + lbMsg->height());
  QCOMPARE(dlg.width(), 292);
  QFrame *bevel = dlg.findChild<QFrame *>(QStringLiteral("Bevel1"));
  QVERIFY(bevel != nullptr);
  QCOMPARE(bevel->geometry(), QRect(56, 16, 232, dlg.height() - 16 - 41));
  QWidget *pnDLG = dlg.findChild<QWidget *>(QStringLiteral("pnDLG"));
  QCOMPARE(pnDLG->geometry(), dlg.rect());
  QList<int> got;
  QStringList order;
  for (QPushButton *b : dlg.Buttons()) {
    QCOMPARE(b->parentWidget(), pnDLG);
    QCOMPARE(b->geometry().top(), dlg.height() - 25 - 8);
    QCOMPARE(b->size(), QSize(75, 25));
    got << b->x();
    order << b->text();
  }
  QCOMPARE(got, lefts);
  if (buttons.Count() == 4) QCOMPARE(order, QStringList({"&Oui", "&Non", "&Ok", "&Annuler"}));
}

void TestMessageDialog::realLayoutWidth() {
  TfrmDialog shortDlg;
  shortDlg.Prepare(QStringLiteral("Court"), mtError, mbOK);
  QCOMPARE(shortDlg.width(), 292);  // outer width 300

  const QString longLine = QStringLiteral("Une très longue ligne de message ").repeated(4);
  TfrmDialog longDlg;
  longDlg.Prepare(longLine, mtError, mbOK);
  QLabel *lbMsg = longDlg.findChild<QLabel *>(QStringLiteral("lbMsg"));
  QVERIFY(lbMsg->width() > 300);
  // Outer width W + 84, that is client width W + 76.
  QCOMPARE(longDlg.width(), lbMsg->width() + 76);
  QCOMPARE(longDlg.Layout().outerWidth, lbMsg->width() + 84);
  QVERIFY(lbMsg->geometry().right() < longDlg.findChild<QFrame *>(QStringLiteral("Bevel1"))->geometry().right());
}

void TestMessageDialog::realLayoutThreeLines() {
  TfrmDialog one;
  one.Prepare(QStringLiteral("Ligne"), mtWarning, mbOK);
  TfrmDialog three;
  three.Prepare(QStringLiteral("Ligne 1\nLigne 2\nLigne 3"), mtWarning, mbOK);
  const int oneLine = one.findChild<QLabel *>(QStringLiteral("lbMsg"))->height();
  const int threeLines = three.findChild<QLabel *>(QStringLiteral("lbMsg"))->height();
  QVERIFY(threeLines > 2 * oneLine);
  QCOMPARE(three.height() - one.height(), threeLines - oneLine);
  QCOMPARE(three.width(), 292);
}

// ---------------------------------------------------------------- test hook

void TestMessageDialog::hookAnswersWithoutShowing() {
  const int before = TfrmDialog::ShownCount();
  TfrmDialog::SetNextAnswer(1);
  auto watch = ModalHelper::CloseNextModal(300);
  // Through the form base's forwarder: the arguments reach the dialog unchanged.
  const int r = MessageDialog(QStringLiteral(" Supprimer ? "), mtConfirmation, {mbOK, mbCancel}, 17);
  QCOMPARE(r, 1);
  QCOMPARE(TfrmDialog::ShownCount(), before + 1);
  QCOMPARE(TfrmDialog::PendingAnswers(), 0);
  const TShownMessage &last = TfrmDialog::LastShown();
  QCOMPARE(last.message, QStringLiteral(" Supprimer ? "));
  QCOMPARE(last.kind, mtConfirmation);
  QVERIFY(last.buttons == (TMsgDlgButtons{mbOK, mbCancel}));
  QCOMPARE(last.helpCtx, 17);
  QCOMPARE(last.result, 1);
  QVERIFY(last.answeredByHook);
  QTRY_VERIFY(watch->Done());
  QVERIFY(watch->timedOut);  // nothing was shown
}

void TestMessageDialog::hookQueuesAnswersInOrder() {
  TfrmDialog::SetNextAnswer(2);
  TfrmDialog::SetNextAnswer(1);
  QCOMPARE(TfrmDialog::PendingAnswers(), 2);
  QCOMPARE(UDialog::MessageDialog(QStringLiteral("a"), mtConfirmation, {mbOK, mbCancel}, 0), 2);
  QCOMPARE(UDialog::MessageDialog(QStringLiteral("b"), mtError, mbOK, 0), 1);
  QCOMPARE(TfrmDialog::LastShown().message, QStringLiteral("b"));
  QCOMPARE(TfrmDialog::LastShown().kind, mtError);
  // With the queue empty the dialog is shown again.
  auto watch = ModalHelper::ClickOnNextModal(QStringLiteral("&Ok"));
  QCOMPARE(MessageDialog(QStringLiteral("c"), mtError, mbOK, 0), 1);
  QVERIFY(watch->found);
  QVERIFY(!TfrmDialog::LastShown().answeredByHook);
}

// The helper of the widget tests: a dialog that its action does not close
// is closed after the time-out, as by the close box, and the test goes on.
void TestMessageDialog::modalHelperClosesWhatItCannotAnswer() {
  auto watch = ModalHelper::ClickOnNextModal(QStringLiteral("&Inexistant"), 300);
  QElapsedTimer clock;
  clock.start();
  const int r = MessageDialog(QStringLiteral("Personne ne répond"), mtConfirmation, {mbOK, mbCancel}, 0);
  QVERIFY(watch->found);
  QVERIFY(watch->forcedClose);
  QCOMPARE(r, 2);
  QVERIFY(clock.elapsed() < 3000);
  QCOMPARE(watch->title, QStringLiteral("Confirmation"));
  QCOMPARE(watch->className, QStringLiteral("TfrmDialog"));
}

QTEST_MAIN(TestMessageDialog)
#include "TestMessageDialog.moc"
