#include "playback/ui/single_instance.h"

#include <QLocalSocket>

namespace poronka::ui {

namespace {
// One request a line: "activate", then "open " + the percent-encoded path.
const QByteArray kActivate = "activate\n";
const QByteArray kOpen = "open ";
}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_.nextPendingConnection()) {
      auto readLines = [this, s] {
        // The requests are answered after the reading: a handler may run an
        // event loop of its own (a medium being opened), in which this
        // socket can hang up and go away.
        while (s->canReadLine()) {
          const QByteArray line = s->readLine().trimmed();
          if (line == kActivate.trimmed()) {
            QMetaObject::invokeMethod(this, [this] { emit activateRequested(); }, Qt::QueuedConnection);
          } else if (line.startsWith(kOpen)) {
            const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(kOpen.size())));
            QMetaObject::invokeMethod(this, [this, path] { emit openRequested(path); }, Qt::QueuedConnection);
          }
        }
      };
      connect(s, &QLocalSocket::readyRead, this, readLines);
      // What arrived together with the hang-up is still read.
      connect(s, &QLocalSocket::disconnected, this, readLines);
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    }
  });
}

bool SingleInstance::askRunningInstance(int timeoutMs, const QString& path) {
  QLocalSocket s;
  s.connectToServer(key_);
  if (!s.waitForConnected(timeoutMs)) return false;
  QByteArray request = kActivate;
  if (!path.isEmpty()) request += kOpen + path.toUtf8().toPercentEncoding() + "\n";
  s.write(request);
  s.waitForBytesWritten(timeoutMs);
  s.disconnectFromServer();
  return true;
}

bool SingleInstance::listen() {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(key_)) return true;
  // A socket left behind by a player that ended abnormally.
  QLocalServer::removeServer(key_);
  return server_.listen(key_);
}

}  // namespace poronka::ui
