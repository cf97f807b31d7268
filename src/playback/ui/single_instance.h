// Only one player runs per user: the first start listens on a local socket
// named per user; a later start connects to it, asks it to bring its window
// forward and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace poronka::ui {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(const QString& key, QObject* parent = nullptr);
  // true when another instance runs and took the request to show itself.
  bool AskRunningInstance(int timeoutMs = 1000);
  // Begins to listen for later starts; false when the socket cannot be made.
  bool Listen();

 signals:
  void activateRequested();

 private:
  QString key_;
  QLocalServer server_;
};

}  // namespace poronka::ui
