#include "TDataPage.h"

#include "TQueryPage.h"
#include "TSettingsCache.h"
#include "TTreeNodes.h"
#include "TXGridView.h"
#include "TfrmParameters.h"
#include "UGridLoader.h"
#include "UShellOpen.h"
#include "TSkinForm.h"
#include "TWebService.h"
#include "USqlText.h"
#include "UStatementEffect.h"
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
  // A screen reader reads what the label shows (its text is its name).
  FInfos->setAccessibleDescription(QStringLiteral("Informations sur les données"));
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
        if (FParameters.Execute() != mrOk) return false;
        text = FParameters.SQLText;
        return true;
      });
  if (!prepared) {
    FShowQueryPage();
    return;
  }
  // A look at the page must not change the database behind the user's
  // back: what is not a plain read goes only on his word.
  const TStatementEffect effect = StatementEffect(*prepared);
  if (!effect.ReadOnly && !ConfirmChange(effect)) {
    FShowQueryPage();
    return;
  }
  FillListView(ws, FResult, FInfos, QString::fromLocal8Bit(*prepared));
  if (!effect.ReadOnly) ShowAffectedRows(ws);
}

bool TDataPage::ConfirmChange(const TStatementEffect &effect) {
  QString question = QStringLiteral("Cette requête modifie des données.");
  if (effect.DeleteWithoutWhere)
    question += QStringLiteral(" Elle n'a pas de clause WHERE : toutes les lignes de la table seront supprimées.");
  else if (effect.UpdateWithoutWhere)
    question += QStringLiteral(" Elle n'a pas de clause WHERE : toutes les lignes de la table seront modifiées.");
  question += QStringLiteral(" L'exécuter ?");
  return MessageDialog(question, mtConfirmation, {mbYes, mbNo}, 0, mbNo) == mrYes;
}

void TDataPage::ShowAffectedRows(const TWebService &ws) {
  // A statement without rows answers its count of changed rows as a
  // one-value table.
  if (!ws.ErrorText.isEmpty() || FResult->ColumnCount() != 1 || FResult->RowCount() != 1 ||
      FResult->Captions().value(0) != QLatin1String("affected_rows"))
    return;
  bool number = false;
  const qulonglong rows = FResult->CellText(0, 0).toULongLong(&number);
  if (!number) return;
  FInfos->setText(QString::number(rows) + QStringLiteral(" ligne(s) modifiée(s)"));
  FInfos->setToolTip(FInfos->text());
}

void TDataPage::lvDatasResultDblClick() {
  const int row = FResult->SelectedRow();
  if (row < 0) return;
  const QString first = FResult->CellText(row, 0);
  // Only the plain scheme, written in lower case, as typed in the data.
  if (first.startsWith(QLatin1String("http://"), Qt::CaseSensitive)) ShellOpen(first, 1);
}
