#include "TDataPage.h"

#include "TQueryPage.h"
#include "TSettingsCache.h"
#include "TTreeNodes.h"
#include "TXGridView.h"
#include "TfrmParameters.h"
#include "UGridLoader.h"
#include "UShellOpen.h"
#include "USqlText.h"
#include "UUserAction.h"

#include <QLabel>
#include <QVBoxLayout>

TDataPage::TDataPage(TSettingsCache &settings, TfrmParameters &parameters, const TQueryPage &queryPage,
                     std::function<void()> showQueryPage, QWidget *parent)
    : QWidget(parent), FSettings(settings), FParameters(parameters), FQueryPage(queryPage),
      FShowQueryPage(std::move(showQueryPage)) {
  setObjectName(QStringLiteral("tsDatas"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  FInfos = new QLabel(this);
  FInfos->setObjectName(QStringLiteral("lbDatasInfos"));
  FInfos->setAccessibleName(QStringLiteral("Informations sur les données"));
  FInfos->setFixedHeight(20);
  FInfos->setTextFormat(Qt::PlainText);
  // A long message is cut at the page's edge (its hint holds it whole); it
  // must never widen the window.
  FInfos->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  QFont bold = FInfos->font();
  bold.setBold(true);
  FInfos->setFont(bold);
  FInfos->setStyleSheet(QStringLiteral("color: navy;"));
  FResult = new TXGridView(this);
  FResult->setObjectName(QStringLiteral("lvDatasResult"));
  FResult->setAccessibleName(QStringLiteral("Données"));
  layout->addWidget(FInfos);
  layout->addWidget(FResult, 1);
  connect(FResult, &QAbstractItemView::doubleClicked, this, UserSlot([this] { lvDatasResultDblClick(); }));
}

void TDataPage::LoadDatas(QTreeWidgetItem *node) {
  if (TTreeNodes::Kind(node) == nkColumn) node = node->parent();
  const int kind = TTreeNodes::Kind(node);
  if (kind != nkTable && kind != nkQuery) return;
  FSettings.LoadConnectionSettings(TTreeNodes::ConnectionKey(node));
  TWebService &ws = FSettings.WebService();
  if (kind != nkQuery) {
    // Quoted only when MySQL would not read it as a name (order, ma table).
    FillListView(ws, FResult, FInfos, QStringLiteral("SELECT * FROM ") + QuoteSQLName(node->text(0)));
    return;
  }

  FInfos->clear();
  FInfos->setToolTip(QString());
  FResult->Clear();
  FResult->RemoveColumns();
  // Parameters are found and put in the text as written, comments
  // included, before the text is cleaned.
  const std::optional<QByteArray> prepared =
      PrepareSavedQuery(FQueryPage.Text().toLocal8Bit(), [&](QByteArray &text) {
        FParameters.SetFormTitle(QStringLiteral("Paramètres [") + node->text(0) + QLatin1Char(']'));
        FParameters.DatabaseId = TTreeNodes::ConnectionKey(node);
        FParameters.SQLText = text;
        if (FParameters.Execute() != 1) return false;
        text = FParameters.SQLText;
        return true;
      });
  if (!prepared) {
    FShowQueryPage();
    return;
  }
  FillListView(ws, FResult, FInfos, QString::fromLocal8Bit(*prepared));
}

void TDataPage::lvDatasResultDblClick() {
  const int row = FResult->SelectedRow();
  if (row < 0) return;
  const QString first = FResult->CellText(row, 0);
  // Only the plain scheme, written in lower case, as typed in the data.
  if (first.startsWith(QLatin1String("http://"), Qt::CaseSensitive)) ShellOpen(first, 1);
}
