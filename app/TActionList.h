#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>

#include <functional>
#include <vector>

class QWidget;

// The main window's actions. Each has an enabling rule, re-evaluated
// whenever the event loop goes idle and again just before the action runs,
// whether from a menu, a key or code.
class TActionList : public QObject {
  Q_OBJECT

 public:
  using TRule = std::function<bool()>;
  using THandler = std::function<void()>;

  explicit TActionList(QWidget *owner);

  // image: a TObjectImage, oiNone for none; an empty rule means always
  // enabled.
  QAction *Add(const char *name, const QString &caption, const QString &category,
               const QKeySequence &shortcut, int image, TRule update, THandler execute);
  const QList<QAction *> &Actions() const { return FActions; }
  QString Category(const QAction *action) const;

  // Asks every action, in list order, to re-evaluate its rule.
  void UpdateAll();
  // Re-evaluates the action's rule and runs it when enabled. Returns
  // whether it ran. A failure ends the action and is shown to the user.
  bool Execute(QAction *action);

 private:
  struct TEntry {
    QAction *Action;
    QString Category;
    TRule Update;
    THandler Handler;
  };
  const TEntry *Find(const QAction *action) const;
  void Update(const TEntry &entry);

  QWidget *FOwner;
  std::vector<TEntry> FEntries;
  QList<QAction *> FActions;
};
