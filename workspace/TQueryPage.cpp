#include "TQueryPage.h"

#include "TBusyCursor.h"
#include "TExpandPanel.h"
#include "TImageList.h"
#include "TLocalStore.h"
#include "TSettingsCache.h"
#include "TSkinForm.h"
#include "TTreeNodes.h"
#include "TWebService.h"
#include "TXListView.h"
#include "UDesignScale.h"
#include "USqlText.h"
#include "UStoreRecords.h"
#include "UUserAction.h"

#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>

#include <exception>

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

// The editor's fonts: "Courier New" where it is installed, the system's
// fixed-width font otherwise. The design gives pixels at 96 dots per inch;
// the editor takes its sizes in points only (a size in pixels reads as none).
QFont FixedFont(int pixels) {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(pixels * 72.0 / 96.0);
  return font;
}

// The standard colours of those names.
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kFuchsia(0xFF, 0x00, 0xFF);
const QColor kBlue(0x00, 0x00, 0xFF);

}  // namespace

TQueryPage::TQueryPage(TLocalStore &store, TSettingsCache &settings, QWidget *parent)
    : QWidget(parent), FStore(store), FSettings(settings) {
  setObjectName(QStringLiteral("tsQuery"));
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  CreateAssistant();
  CreateEditor();
  layout->addWidget(FAssist);
  layout->addWidget(FEditor, 1);
}

void TQueryPage::CreateAssistant() {
  FAssist = new TExpandPanel(this);
  FAssist->setObjectName(QStringLiteral("pnAssist"));
  FAssist->setAccessibleName(QStringLiteral("Assistant"));
  FAssist->SetAlign(TExpandPanel::alLeft);
  FAssist->SetFoldingSize(ScaledWidth(FAssist, 185));
  FAssist->SetAnimate(true);
  connect(FAssist, &TExpandPanel::OnExpanded, this, UserSlot([this] { pnAssistExpanded(); }));
  auto *assistLayout = new QVBoxLayout(FAssist);
  assistLayout->setContentsMargins(0, 0, 0, 0);
  FAssistSplitter = new QSplitter(Qt::Vertical, FAssist);
  FAssistSplitter->setObjectName(QStringLiteral("Splitter3"));
  FAssistSplitter->setHandleWidth(6);
  FAssistSplitter->setChildrenCollapsible(false);
  FTables = NewAssistList("lvTablesForAssist", QStringLiteral("Tables"), QStringLiteral("Tables de l'assistant"),
                          FAssistSplitter);
  FTables->setContextMenuPolicy(Qt::CustomContextMenu);
  FFields = NewAssistList("lvFieldsForAssist", QStringLiteral("Colonnes"),
                          QStringLiteral("Colonnes de l'assistant"), FAssistSplitter);
  FAssistSplitter->setStretchFactor(0, 0);
  FAssistSplitter->setStretchFactor(1, 1);
  FAssistSplitter->setSizes({145, 300});
  assistLayout->addWidget(FAssistSplitter);

  FAssistMenu = new QMenu(this);
  FAssistMenu->setObjectName(QStringLiteral("pmAssist"));
  for (const auto &[name, caption, kind] :
       {std::tuple{"mnuBuildSelect", "Construire SELECT", TStatementKind::Select},
        std::tuple{"mnuBuildInsert", "Construire INSERT", TStatementKind::Insert},
        std::tuple{"mnuBuildUpdate", "Construire UPDATE", TStatementKind::Update},
        std::tuple{"mnuBuildDelete", "Construire DELETE", TStatementKind::Delete}}) {
    QAction *item = FAssistMenu->addAction(QLatin1String(caption));
    item->setObjectName(QLatin1String(name));
    connect(item, &QAction::triggered, this, UserSlot([this, kind = kind] { mnuBuildClick(kind); }));
  }
  connect(FTables, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &pos) { FAssistMenu->popup(FTables->viewport()->mapToGlobal(pos)); });
  connect(FTables, &QTreeWidget::currentItemChanged, this,
          UserSlot([this](QTreeWidgetItem *item) { lvTablesForAssistChange(item); }));
}

void TQueryPage::CreateEditor() {
  FEditor = new QsciScintilla(this);
  FEditor->setObjectName(QStringLiteral("mQuery"));
  FEditor->setAccessibleName(QStringLiteral("Éditeur SQL"));
  FEditor->setUtf8(true);
  FEditor->setEolMode(QsciScintilla::EolUnix);

  auto *lexer = new QsciLexerSQL(FEditor);
  // MySQL's dialect: "#" starts a comment, a backslash escapes in strings,
  // back quotes name identifiers.
  lexer->setHashComments(true);
  lexer->setBackslashEscapes(true);
  lexer->setQuotedIdentifiers(true);
  const QFont font = FixedFont(13);
  lexer->setDefaultFont(font);
  lexer->setFont(font, -1);
  for (const int style : {QsciLexerSQL::Comment, QsciLexerSQL::CommentLine, QsciLexerSQL::CommentDoc,
                          QsciLexerSQL::CommentLineHash, QsciLexerSQL::CommentDocKeyword,
                          QsciLexerSQL::CommentDocKeywordError})
    lexer->setColor(kGreen, style);
  lexer->setColor(kFuchsia, QsciLexerSQL::Number);
  for (const int style : {QsciLexerSQL::SingleQuotedString, QsciLexerSQL::DoubleQuotedString})
    lexer->setColor(kBlue, style);
  FEditor->setLexer(lexer);

  // Line numbers from 0, padded with leading zeros: a text margin, since
  // the editor's own numbers start at 1.
  FEditor->setMarginType(0, QsciScintilla::TextMargin);
  FEditor->setMarginsFont(FixedFont(11));
  FEditor->setMarginWidth(1, 0);
  FEditor->setText(QString());
  UpdateLineNumbers();
  connect(FEditor, &QsciScintilla::linesChanged, this, [this] { UpdateLineNumbers(); });
  connect(FEditor, &QsciScintilla::textChanged, this, UserSlot([this] { mQueryChange(); }));
}

void TQueryPage::UpdateLineNumbers() {
  const int lines = FEditor->lines();
  const int digits = std::max(2, int(QString::number(std::max(0, lines - 1)).size()));
  for (int line = 0; line < lines; ++line)
    FEditor->setMarginText(line, QStringLiteral("%1").arg(line, digits, 10, QLatin1Char('0')),
                           QsciScintillaBase::STYLE_LINENUMBER);
  if (digits != FLineDigits) {
    FLineDigits = digits;
    const QByteArray widest(digits + 1, '0');
    FEditor->setMarginWidth(0, int(FEditor->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                                          QsciScintillaBase::STYLE_LINENUMBER, widest.constData())));
  }
}

void TQueryPage::LoadQueryText(qint64 queryKey, qint64 connectionKey, const QString &text) {
  // A text that could not be saved gets one more chance before it goes.
  if (FSaveFailed) SaveQueryText();
  // The assistant folds at once: its tables may be another connection's.
  FAssist->SetAnimate(false);
  FAssist->SetExpandState(TExpandPanel::esCollapsed);
  FAssist->SetAnimate(true);
  FQueryKey = queryKey;
  FConnectionKey = connectionKey;
  FSaveFailed = false;
  FLoading = true;
  FEditor->setText(text);
  FLoading = false;
  FEditor->setCursorPosition(0, 0);
  // A query opened afresh has no history to undo into another query.
  FEditor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
  FEditor->markerDeleteAll();
}

QString TQueryPage::Text() const { return FEditor->text(); }

void TQueryPage::mQueryChange() {
  if (FLoading || FGrouping || FQueryKey == 0) return;
  SaveQueryText();
}

bool TQueryPage::SaveQueryText() {
  try {
    FSettings.LoadConnectionSettings(FConnectionKey);
    UpdateQueryText(FStore, FQueryKey, FEditor->text(), QDateTime::currentDateTime());
    FSaveFailed = false;
    return true;
  } catch (const std::exception &error) {
    // Said once, not at every keystroke; the text stays in the editor and
    // the next save that succeeds writes it whole.
    const bool first = !FSaveFailed;
    FSaveFailed = true;
    if (first)
      MessageDialog(QStringLiteral("Le texte de la requête ne peut pas être enregistré dans la base locale : ") +
                        QString::fromUtf8(error.what()) +
                        QStringLiteral("\nIl reste dans l'éditeur et sera enregistré à la prochaine modification."),
                    mtError, TMsgDlgButtons(mbOK), 0);
    return false;
  }
}

void TQueryPage::pnAssistExpanded() {
  {
    const TBusyCursor busy(Qt::BusyCursor);
    FSettings.LoadConnectionSettings(FConnectionKey);
    TWebService &ws = FSettings.WebService();
    ws.Execute(QStringLiteral("show tables"));
    if (!ws.ErrorText.isEmpty()) {
      // A request the user cancelled needs no box.
      if (!ws.Cancelled()) MessageDialog(QString(ws.ErrorText), mtError, TMsgDlgButtons(mbOK), 0);
      return;
    }
    const TRedrawSuspended batch(FTables);
    FFillingTables = true;
    FTables->Clear();
    FColumnsTable = nullptr;
    const QIcon icon = imgObjects16().Icon(nkTable);
    for (; !ws.Eof(); ws.Next()) FTables->AddItem({ws.GetValue(0)})->setIcon(0, icon);
    FFillingTables = false;
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (QTreeWidgetItem *first = FTables->topLevelItem(0)) {
    FTables->setCurrentItem(first);
    // Selected anew also when it was the current one already.
    if (FColumnsTable != first) lvTablesForAssistChange(first);
  }
}

void TQueryPage::lvTablesForAssistChange(QTreeWidgetItem *item) {
  if (FFillingTables) return;
  if (item != nullptr && item == FColumnsTable) return;  // its columns are shown already
  const TBusyCursor busy(Qt::BusyCursor);
  const TRedrawSuspended batch(FFields);
  FFields->Clear();
  FColumnsTable = item;
  if (item == nullptr) return;
  TWebService &ws = FSettings.WebService();
  // Quoted only when MySQL would not read it as a name; a failure leaves
  // the list empty (its error line is no column).
  ws.Execute(QStringLiteral("show columns from ") + QuoteSQLName(item->text(0)));
  if (!ws.ErrorText.isEmpty()) return;
  const QIcon icon = imgObjects16().Icon(nkColumn);
  for (; !ws.Eof(); ws.Next()) FFields->AddItem({ws.GetValue(QStringLiteral("FIELD"))})->setIcon(0, icon);
}

void TQueryPage::mnuBuildClick(TStatementKind kind) {
  const QTreeWidgetItem *table = FTables->currentItem();
  if (table == nullptr || !table->isSelected()) return;
  QStringList columns;
  for (int i = 0; i < FFields->topLevelItemCount(); ++i) columns << FFields->topLevelItem(i)->text(0);
  const QString text = BuildStatement(kind, table->text(0), columns);
  FGrouping = true;
  FEditor->beginUndoAction();
  FEditor->replaceSelectedText(text);
  FEditor->endUndoAction();
  FGrouping = false;
  mQueryChange();
}
