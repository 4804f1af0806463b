#pragma once
#include <QEvent>
#include <functional>

class QObject;

// Runs fn whenever obj receives an event of the given type (focus out for a
// control's exit, mouse press for a picture's click, enter and leave for its
// hover). The event goes on to obj as usual.
void OnEvent(QObject* obj, QEvent::Type type, std::function<void()> fn);
