#include "playback/ui/single_instance.h"

#include <QLocalSocket>

namespace poronka::ui {

namespace {
const QByteArray kActivate = "activate\n";
}

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_.nextPendingConnection()) {
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        if (s->readAll().contains("activate")) emit activateRequested();
        s->disconnectFromServer();
      });
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    }
  });
}

bool SingleInstance::AskRunningInstance(int timeoutMs) {
  QLocalSocket s;
  s.connectToServer(key_);
  if (!s.waitForConnected(timeoutMs)) return false;
  s.write(kActivate);
  s.waitForBytesWritten(timeoutMs);
  s.disconnectFromServer();
  return true;
}

bool SingleInstance::Listen() {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(key_)) return true;
  // A socket left behind by a player that ended abnormally.
  QLocalServer::removeServer(key_);
  return server_.listen(key_);
}

}  // namespace poronka::ui
