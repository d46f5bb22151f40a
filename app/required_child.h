#pragma once
// The window finds a few of its widgets by object name (the names documents
// and tests use). A name that no widget carries is a fault of the program
// itself: it stops at start-up, naming the widget, instead of skipping a
// tab stop or dereferencing nothing later.
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace velmora {

template <class Widget>
Widget* requiredChild(const QObject* parent, const char* name) {
  Widget* found = parent->findChild<Widget*>(QString::fromLatin1(name));
  if (!found) qFatal("velmora: the window has no %s named \"%s\"", Widget::staticMetaObject.className(), name);
  return found;
}

}  // namespace velmora
