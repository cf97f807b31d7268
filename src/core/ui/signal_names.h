// Lists a class's own signals that meet a condition (used to find requests
// that nothing answers).
#pragma once

#include <QMetaMethod>
#include <QMetaObject>
#include <QStringList>

namespace poronka::ui {

template <class Predicate>
QStringList SignalsWhere(const QMetaObject& meta, Predicate predicate) {
  QStringList names;
  for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
    const QMetaMethod m = meta.method(i);
    if (m.methodType() == QMetaMethod::Signal && m.access() == QMetaMethod::Public && predicate(m))
      names << QString::fromLatin1(meta.className()) + "::" + QString::fromLatin1(m.name());
  }
  return names;
}

}  // namespace poronka::ui
