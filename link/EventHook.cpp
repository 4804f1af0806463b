#include "link/EventHook.h"

#include <QObject>

namespace {
class EventHook : public QObject {
 public:
  EventHook(QObject* parent, QEvent::Type type, std::function<void()> fn)
      : QObject(parent), type_(type), fn_(std::move(fn)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == type_) fn_();
    return QObject::eventFilter(watched, e);
  }

 private:
  QEvent::Type type_;
  std::function<void()> fn_;
};
}  // namespace

void OnEvent(QObject* obj, QEvent::Type type, std::function<void()> fn) {
  if (!obj) return;
  obj->installEventFilter(new EventHook(obj, type, std::move(fn)));
}
