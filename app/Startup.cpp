#include "app/Startup.h"

#include <cstdio>
#include <exception>

#include "app/FormWait.h"
#include "app/LogViews.h"
#include "app/MyMessage.h"
#include "app/main.h"
#include "platform/Dialogs.h"
#include "profiles/StarterFolder.h"
#include "upgrade/Upgrade.h"

QorvaneApplication::QorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void ShowException(const char* what) { ShowMessage(QString::fromLocal8Bit(what ? what : "")); }

bool QorvaneApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("");
  }
  return false;
}

TForm_Main* CreateMainWindow() {
  const QString filled = FillEmptyProgramFolder();
  auto* main = new TForm_Main;
  if (!filled.isEmpty()) AppendTrafficLog(main->EventLog(), filled);
  return main;
}

int RunApplication(int argc, char** argv) {
  QorvaneApplication app(argc, argv);
  try {
    static upgradeTool upgrader;  // lives until the program ends
    Upgrader = &upgrader;

    TForm_Main* main = CreateMainWindow();
    const bool otherInstance = main->FormCreate();
    if (otherInstance) {
      // The running copy has been asked to come to the front; a start from a
      // terminal, or one whose first copy has no window left, still learns why
      // nothing opened.
      std::fprintf(stderr, "%s is already running.\n", qPrintable(main->windowTitle()));
    } else {
      main->showMaximized();  // runs the show handler
    }
    Form_Message = new TForm_Message(main);
    Form_wait = new TForm_wait(main);
    if (!otherInstance) app.exec();
    delete main;
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("");
  }
  return 0;
}
