// Only one player runs per user: the first start listens on a local socket
// named per user; a later start connects to it, asks it to bring its window
// forward, hands over the file it was given (if any) and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace poronka::ui {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(const QString& key, QObject* parent = nullptr);
  // true when another instance runs and took the request to show itself
  // and, when `path` is not empty, to open that file.
  bool askRunningInstance(int timeoutMs = 1000, const QString& path = QString());
  // Begins to listen for later starts; false when the socket cannot be made.
  bool listen();

 signals:
  void activateRequested();
  void openRequested(const QString& path);

 private:
  QString key_;
  QLocalServer server_;
};

}  // namespace poronka::ui
