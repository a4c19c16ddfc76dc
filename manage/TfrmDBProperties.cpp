#include "TfrmDBProperties.h"

#include "TBusyCursor.h"
#include "TWebService.h"
#include "UUserAction.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QProxyStyle>

#include <algorithm>
#include <array>

namespace {

// Design geometry of the edits, top to bottom.
constexpr int kEditLeft = 112;
constexpr int kEditHeight = 21;
constexpr std::array<int, 6> kEditTops = {12, 40, 69, 98, 127, 156};
constexpr std::array<int, 6> kEditWidths = {344, 342, 342, 170, 170, 342};
// The labels end 6 pixels before the edits.
constexpr int kLabelLeft = 2;
constexpr int kLabelGap = 6;
constexpr int kBevelLeft = 6;
constexpr int kBevelTop = 171;
constexpr int kBevelWidth = 450;
constexpr int kBevelHeight = 12;
constexpr int kButtonTop = 188;
constexpr int kOkLeft = 303;
constexpr int kCancelLeft = 383;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

// The password edit shows '#' for every character, whatever the platform's
// usual mask, and never shows the last typed character.
class TPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '#';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

// A lowered bevel drawn as its bottom line only.
class TBottomLine : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, height() - 2, width() - 1, height() - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
  }
};

// Blank once the blanks and control characters at both ends are gone.
bool IsBlank(const QString &text) {
  for (const QChar c : text)
    if (c.unicode() > 0x20) return false;
  return true;
}

}  // namespace

TfrmDBProperties::TfrmDBProperties(QWidget *parent) : QDialog(parent), TSkinForm(this) {
  setObjectName(QStringLiteral("frmDBProperties"));
  // The system menu and close box only: no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);

  edtTitle = NewEdit("edtTitle", QStringLiteral("Titre :"), "lbTitle");
  edtWebserver = NewEdit("edtWebserver", QStringLiteral("Serveur web :"), "lbWebserver");
  edtSQLServer = NewEdit("edtSQLServer", QStringLiteral("Serveur MySql :"), "lbSQLServer");
  edtAccount = NewEdit("edtAccount", QStringLiteral("Compte MySQL :"), "lbAccount");
  edtPwd = NewEdit("edtPwd", QStringLiteral("Mot de passe MySQL :"), "lbPwd");
  edtDB = NewEdit("edtDB", QStringLiteral("Base de données :"), "lbDB");

  auto *passwordStyle = new TPasswordStyle;
  passwordStyle->setParent(edtPwd);
  edtPwd->setStyle(passwordStyle);
  edtPwd->setEchoMode(QLineEdit::Password);

  // The design's label column holds its captions in the design's font; a
  // wider font widens the column and the form with it, so that no caption
  // is cut and the edits keep their designed widths.
  int widest = 0;
  for (const QLabel *label : FLabels) widest = std::max(widest, label->sizeHint().width());
  FLabelShift = std::max(0, kLabelLeft + widest + kLabelGap - kEditLeft);

  Bevel1 = new TBottomLine(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));

  btnOk = new QPushButton(QStringLiteral("OK"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Annuler"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnTest = new QPushButton(QStringLiteral("Tester la connexion"), this);
  btnTest->setObjectName(QStringLiteral("btnTest"));
  btnTest->setAutoDefault(false);
  connect(btnTest, &QPushButton::clicked, this, UserSlot([this] { btnTestClick(); }));
  connect(btnOk, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });

  setMinimumSize(kMinClientWidth + FLabelShift, kMinClientHeight);
  resize(kDesignClientWidth + FLabelShift, kDesignClientHeight);
  ApplyLayout();
}

TfrmDBProperties::~TfrmDBProperties() = default;

QLineEdit *TfrmDBProperties::NewEdit(const char *name, const QString &caption, const char *labelName) {
  auto *edit = new QLineEdit(this);
  edit->setObjectName(QLatin1String(name));
  auto *label = new QLabel(caption, this);
  label->setObjectName(QLatin1String(labelName));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setBuddy(edit);
  // Read out as the label reads, without its colon.
  edit->setAccessibleName(QString(caption).remove(QStringLiteral(" :")));
  FLabels << label;
  connect(edit, &QLineEdit::textChanged, this, &TfrmDBProperties::doChange);
  return edit;
}

void TfrmDBProperties::ApplyLayout() {
  // Edits and the line follow the width; the line and the buttons keep
  // their distance to the bottom.
  const int dx = width() - kDesignClientWidth - FLabelShift;
  const int editLeft = kEditLeft + FLabelShift;
  const int dy = height() - kDesignClientHeight;
  const std::array<QLineEdit *, 6> edits = {edtTitle, edtWebserver, edtSQLServer, edtAccount, edtPwd, edtDB};
  for (std::size_t i = 0; i < edits.size(); ++i) {
    edits[i]->setGeometry(editLeft, kEditTops[i], kEditWidths[i] + dx, kEditHeight);
    FLabels[int(i)]->setGeometry(kLabelLeft, kEditTops[i], editLeft - kLabelGap - kLabelLeft, kEditHeight);
  }
  Bevel1->setGeometry(kBevelLeft, kBevelTop + dy, kBevelWidth + FLabelShift + dx, kBevelHeight);
  btnOk->setGeometry(kOkLeft + FLabelShift + dx, kButtonTop + dy, kButtonWidth, kButtonHeight);
  // On the bottom line too, anchored left as the line is.
  btnTest->setGeometry(kBevelLeft, kButtonTop + dy, std::max(kButtonWidth, btnTest->sizeHint().width()),
                       kButtonHeight);
  btnCancel->setGeometry(kCancelLeft + FLabelShift + dx, kButtonTop + dy, kButtonWidth, kButtonHeight);
}

void TfrmDBProperties::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  ApplyLayout();
}

void TfrmDBProperties::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  doChange();
}

void TfrmDBProperties::SetValues(const TConnectionSettings &values) {
  edtTitle->setText(values.Title);
  edtWebserver->setText(values.WebServer);
  edtSQLServer->setText(values.SQLServer);
  edtAccount->setText(values.Account);
  edtPwd->setText(values.Password);
  edtDB->setText(values.Database);
}

TConnectionSettings TfrmDBProperties::Values() const {
  return {edtTitle->text(), edtWebserver->text(), edtSQLServer->text(),
          edtAccount->text(), edtPwd->text(), edtDB->text()};
}

void TfrmDBProperties::doChange() {
  btnOk->setEnabled(!IsBlank(edtTitle->text()) && !IsBlank(edtWebserver->text()) &&
                    !IsBlank(edtSQLServer->text()) && !IsBlank(edtAccount->text()) &&
                    !IsBlank(edtPwd->text()));
}

void TfrmDBProperties::reject() { done(mrCancel); }

void TfrmDBProperties::btnTestClick() {
  // The settings as typed: the stored ones, and the program's own client,
  // stay as they are.
  const TConnectionSettings typed = Values();
  TWebService ws;
  ws.Settings = typed;
  ws.Service = QStringLiteral("SQL");
  // The same authorities as the main window's client.
  ws.SetCaFile(QFile::decodeName(qgetenv("VANTREL_CA_FILE")));
  {
    const TBusyCursor busy(Qt::BusyCursor);
    ws.Execute(QStringLiteral("SELECT VERSION()"));
  }
  if (ws.Cancelled()) return;
  if (!ws.ErrorText.isEmpty()) {
    MessageDialog(QString(ws.ErrorText), mtError, TMsgDlgButtons(mbOK), 0);
    return;
  }
  MessageDialog(QStringLiteral("Connexion réussie : ") + ws.GetValue(0), mtInformation, TMsgDlgButtons(mbOK), 0);
}

int TfrmDBProperties::Execute(const QString &title) {
  SetFormTitle(title);
  CenterOnOwner();
  edtTitle->setFocus();
  return exec();
}
