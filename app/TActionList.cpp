#include "TActionList.h"

#include "TImageList.h"
#include "TWebService.h"
#include "UUserAction.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QWidget>


TActionList::TActionList(QWidget *owner) : QObject(owner), FOwner(owner) {
  // The enabling rules follow the selection: re-evaluate each time the
  // event loop is about to wait for the user.
  if (auto *dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TActionList::UpdateAll);
}

QAction *TActionList::Add(const char *name, const QString &caption, const QString &category,
                          const QKeySequence &shortcut, int image, TRule update, THandler execute) {
  auto *action = new QAction(caption, FOwner);
  action->setObjectName(QLatin1String(name));
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
  }
  if (image >= 0) action->setIcon(imgObjects16().Icon(image));
  FOwner->addAction(action);
  FEntries.push_back({action, category, std::move(update), std::move(execute)});
  FActions << action;
  connect(action, &QAction::triggered, this, [this, action] { Execute(action); });
  return action;
}

QString TActionList::Category(const QAction *action) const {
  const TEntry *entry = Find(action);
  return entry ? entry->Category : QString();
}

const TActionList::TEntry *TActionList::Find(const QAction *action) const {
  for (const TEntry &entry : FEntries)
    if (entry.Action == action) return &entry;
  return nullptr;
}

void TActionList::Update(const TEntry &entry) {
  if (entry.Update) entry.Action->setEnabled(entry.Update());
}

void TActionList::UpdateAll() {
  for (const TEntry &entry : FEntries) Update(entry);
}

bool TActionList::Execute(QAction *action) {
  const TEntry *entry = Find(action);
  if (!entry) return false;
  Update(*entry);
  if (!action->isEnabled()) return false;
  // Nothing else starts while a request is under way.
  if (TWebService::AnyInFlight()) return false;
  if (entry->Handler) RunUserAction(entry->Handler);
  return true;
}
