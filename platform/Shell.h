#pragma once
#include <QString>
#include <functional>

// The desktop shell: opening a document with its default application and
// starting this program again. Tests install their own so that nothing is
// launched behind their back.

// Opens path with the desktop's default application; the outcome is not
// reported (nothing happens when no application takes the file type).
void ShellOpen(const QString& path);

// Starts this program's executable as a new process, without arguments.
// True when the process was started.
bool StartProgramAgain();

using ShellOpener = std::function<void(const QString& path)>;
using ProgramStarter = std::function<bool()>;
// An empty function returns to the real one.
void SetShellOpener(ShellOpener opener);
void SetProgramStarter(ProgramStarter starter);
