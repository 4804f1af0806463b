#pragma once
#include <QApplication>

// The application object: an exception that escapes an event handler is
// shown in a message box and the event loop goes on.
class QorvaneApplication : public QApplication {
 public:
  QorvaneApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an escaped exception's text the way the application shows errors.
void ShowException(const char* what);

class TForm_Main;

// Makes the program folder ready (an empty QORVANE_HOME gets the starter
// profiles) and builds the main window, not yet shown; what was written is
// told in the window's event log.
TForm_Main* CreateMainWindow();

// Program entry: builds the shared state, creates the main window (which
// may find another instance and end), the message and busy windows, and runs
// the event loop. Always returns 0.
int RunApplication(int argc, char** argv);
