#pragma once

#include <QString>

#include <stdexcept>

// A failure of the local store, carrying the message shown to the user.
class TStoreError : public std::runtime_error {
 public:
  explicit TStoreError(const QString &message)
      : std::runtime_error(message.toStdString()), FMessage(message) {}
  const QString &Message() const { return FMessage; }

 private:
  QString FMessage;
};
