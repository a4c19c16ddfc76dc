#include "TfrmParameters.h"

#include "TLocalStore.h"
#include "UStoreRecords.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <optional>

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 3;
// Left of OK and Annuler in the design; both keep their distance to the
// right edge.
constexpr int kOkLeft = 189;
constexpr int kCancelLeft = 267;
constexpr int kLabelLeft = 5;
constexpr int kLabelTop = 5;
constexpr int kEditTop = 3;  // two pixels above its label
constexpr int kGap = 5;      // label column to edit, edit to the right edge
// The dialog is the lowest label's top plus this, pnBottom included.
constexpr int kHeightAboveBottom = 60;

// The font of the rows: the dialog's, made smaller when an edit in it would
// need more than the row step, so that its text is never cut. The design's
// 8-point font fits with 3 pixels to spare.
QFont RowFont(const QFont &base) {
  QFont font = base;
  QLineEdit probe;
  for (;;) {
    probe.setFont(font);
    if (probe.sizeHint().height() <= TfrmParameters::kRowStep) break;
    if (font.pointSizeF() > 6) {
      font.setPointSizeF(font.pointSizeF() - 0.5);
    } else if (font.pixelSize() > 8) {
      font.setPixelSize(font.pixelSize() - 1);
    } else {
      break;
    }
  }
  return font;
}

}  // namespace

TfrmParameters::TfrmParameters(TLocalStore &store, QWidget *parent)
    : QDialog(parent), TSkinForm(this), FStore(store) {
  setObjectName(QStringLiteral("frmParameters"));
  // A sizeable tool window: small caption bar with a close box only.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Paramètres"));

  sbContent = new QScrollArea(this);
  sbContent->setObjectName(QStringLiteral("sbContent"));
  sbContent->setAccessibleName(QStringLiteral("Valeurs des paramètres"));
  sbContent->setWidgetResizable(false);
  FContent = new QWidget;
  FContent->setObjectName(QStringLiteral("sbContentClient"));
  sbContent->setWidget(FContent);

  pnBottom = new QWidget(this);
  pnBottom->setObjectName(QStringLiteral("pnBottom"));
  BitBtn1 = new QPushButton(QStringLiteral("OK"), pnBottom);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setAccessibleName(QStringLiteral("OK"));
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("Annuler"), pnBottom);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setAccessibleName(QStringLiteral("Annuler"));
  BitBtn2->setAutoDefault(false);
  connect(BitBtn1, &QPushButton::clicked, this, &TfrmParameters::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TfrmParameters::reject);

  resize(kClientWidth, kBottomHeight + kHeightAboveBottom);
  ApplyLayout();
}

TfrmParameters::~TfrmParameters() = default;

void TfrmParameters::ApplyLayout() {
  const int w = width();
  const int h = height();
  pnBottom->setGeometry(0, h - kBottomHeight, w, kBottomHeight);
  sbContent->setGeometry(0, 0, w, std::max(0, h - kBottomHeight));
  const int dx = w - kClientWidth;  // the buttons are anchored top right
  BitBtn1->setGeometry(kOkLeft + dx, kButtonTop, kButtonWidth, kButtonHeight);
  BitBtn2->setGeometry(kCancelLeft + dx, kButtonTop, kButtonWidth, kButtonHeight);
}

void TfrmParameters::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  ApplyLayout();
}

void TfrmParameters::FormShow() {
  for (const TParamEditor &editor : FEditors) {
    delete editor.Label;
    delete editor.Edit;
  }
  FEditors.clear();
  FContent->setFont(RowFont(font()));
  // Only the provider's calls matter: one per reference, in text order.
  QByteArray copy = SQLText + ' ';
  ReplaceSQLParams(copy, [this](const QByteArray &name, QByteArray &value, TFieldType &type) {
    AddParamEditor(name, value, type);
  });
  ArrangeParamEditors();
}

void TfrmParameters::AddParamEditor(const QByteArray &name, QByteArray &, TFieldType &) {
  const int n = int(FEditors.size()) * 2;  // controls made so far
  const int number = int(FEditors.size()) + 1;
  const QString text = QString::fromLocal8Bit(name);

  auto *label = new QLabel(text + QStringLiteral(" :"), FContent);
  label->setObjectName(QStringLiteral("lbParam%1").arg(number));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignRight | Qt::AlignTop);
  label->move(kLabelLeft, 12 * n + kLabelTop);
  label->resize(label->sizeHint());
  label->show();

  auto *edit = new QLineEdit(FContent);
  edit->setObjectName(QStringLiteral("edtParam%1").arg(number));
  edit->setToolTip(text);
  edit->setAccessibleName(text);
  // The design's 21 pixels, or what the font asks for (RowFont keeps that
  // within the row step).
  edit->setGeometry(kLabelLeft, 12 * n + kEditTop, edit->width(),
                    std::clamp(edit->sizeHint().height(), kDesignEditHeight, kRowStep));
  edit->show();
  FEditors.push_back({label, edit, name});

  if (const std::optional<QString> remembered = ReadParameterValue(FStore, DatabaseId, text))
    edit->setText(*remembered);
}

void TfrmParameters::ArrangeParamEditors() {
  int labelWidth = 0;
  int lowestTop = 0;
  int contentHeight = 0;
  for (const TParamEditor &editor : FEditors) {
    labelWidth = std::max(labelWidth, editor.Label->width());
    lowestTop = std::max(lowestTop, editor.Label->y());
    contentHeight = std::max({contentHeight, editor.Label->geometry().bottom() + 1,
                              editor.Edit->geometry().bottom() + 1});
  }
  resize(width(), std::min(lowestTop + kBottomHeight + kHeightAboveBottom, kMaxHeight));
  ApplyLayout();

  // The rows take the width that the scroll box shows, less its vertical
  // scroll bar when they do not fit: no edit hides under the bar.
  const int frame = sbContent->frameWidth();
  const bool scrolls = contentHeight > sbContent->height() - 2 * frame;
  const int barWidth =
      scrolls ? sbContent->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, sbContent->verticalScrollBar())
              : 0;
  const int contentWidth = std::max(0, sbContent->width() - 2 * frame - barWidth);
  FContent->resize(contentWidth, contentHeight);

  for (const TParamEditor &editor : FEditors) {
    // Same width, same left: all captions end on one line.
    editor.Label->resize(labelWidth, editor.Label->height());
    const int left = editor.Label->x() + labelWidth + kGap;
    editor.Edit->setGeometry(left, editor.Edit->y(), std::max(0, contentWidth - left - kGap),
                             editor.Edit->height());
  }
}

void TfrmParameters::StoreParamValue(const QByteArray &name, QByteArray &value, TFieldType &type) {
  type = ftInteger;  // as typed: the user quotes a text himself
  const auto found = std::find_if(FEditors.begin(), FEditors.end(),
                                  [&name](const TParamEditor &editor) { return editor.Name == name; });
  if (found == FEditors.end()) return;
  const QString typed = found->Edit->text();
  value = typed.toLocal8Bit();
  RememberParameterValue(FStore, DatabaseId, QString::fromLocal8Bit(name), typed);
}

void TfrmParameters::BitBtn1Click() {
  try {
    // SQLText changes only once every value is in.
    ReplaceSQLParams(SQLText, [this](const QByteArray &name, QByteArray &value, TFieldType &type) {
      StoreParamValue(name, value, type);
    });
  } catch (...) {
    if (!FRunning) throw;
    // Not across the event loop: Execute throws it once the dialog is shut.
    FFailure = std::current_exception();
    done(mrCancel);
    return;
  }
  done(mrOk);
}

void TfrmParameters::reject() { done(mrCancel); }

int TfrmParameters::Execute() {
  FormShow();
  CenterOnOwner();
  if (!FEditors.empty()) FEditors.front().Edit->setFocus();
  FFailure = nullptr;
  FRunning = true;
  const int result = exec();
  FRunning = false;
  if (FFailure) {
    const std::exception_ptr failure = FFailure;
    FFailure = nullptr;
    std::rethrow_exception(failure);
  }
  return result == mrOk ? mrOk : mrCancel;
}
