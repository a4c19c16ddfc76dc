#include "TQueryPage.h"

#include "TXListView.h"
#include "UDesignScale.h"

#include <Qsci/qsciscintilla.h>

#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

namespace {

TXListView *NewAssistList(const char *name, const QString &caption, const QString &accessibleName,
                          QWidget *parent) {
  auto *list = new TXListView(parent);
  list->setObjectName(QLatin1String(name));
  list->setAccessibleName(accessibleName);
  list->setIconSize(QSize(16, 16));
  list->AddColumn(caption, ScaledWidth(list, 150));
  list->SetSortType(TXListView::stText);
  return list;
}

}  // namespace

TQueryPage::TQueryPage(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tsQuery"));
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  FAssist = new QWidget(this);
  FAssist->setObjectName(QStringLiteral("pnAssist"));
  FAssist->setAccessibleName(QStringLiteral("Assistant"));
  FAssist->setFixedWidth(ScaledWidth(FAssist, 185));
  auto *assistLayout = new QVBoxLayout(FAssist);
  assistLayout->setContentsMargins(0, 0, 0, 0);
  FTables = NewAssistList("lvTablesForAssist", QStringLiteral("Tables"), QStringLiteral("Tables de l'assistant"),
                          FAssist);
  FTables->setFixedHeight(145);
  FTables->setContextMenuPolicy(Qt::CustomContextMenu);
  FFields = NewAssistList("lvFieldsForAssist", QStringLiteral("Colonnes"),
                          QStringLiteral("Colonnes de l'assistant"), FAssist);
  assistLayout->addWidget(FTables);
  assistLayout->addWidget(FFields);

  FEditor = new QsciScintilla(this);
  FEditor->setObjectName(QStringLiteral("mQuery"));
  FEditor->setAccessibleName(QStringLiteral("Éditeur SQL"));
  layout->addWidget(FAssist);
  layout->addWidget(FEditor, 1);

  FAssistMenu = new QMenu(this);
  FAssistMenu->setObjectName(QStringLiteral("pmAssist"));
  for (const auto &[name, caption] : {std::pair{"mnuBuildSelect", "Construire SELECT"},
                                      std::pair{"mnuBuildInsert", "Construire INSERT"},
                                      std::pair{"mnuBuildUpdate", "Construire UPDATE"},
                                      std::pair{"mnuBuildDelete", "Construire DELETE"}}) {
    QAction *item = FAssistMenu->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
  }
  connect(FTables, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &pos) { FAssistMenu->popup(FTables->viewport()->mapToGlobal(pos)); });
}

void TQueryPage::LoadQueryText(const QString &text) {
  FEditor->setText(text);
  FEditor->setCursorPosition(0, 0);
  // A query opened afresh has no history to undo into another query.
  FEditor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  FEditor->markerDeleteAll();
}

QString TQueryPage::Text() const { return FEditor->text(); }
