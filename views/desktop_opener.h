#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace codeburg {

// A program and its arguments.
struct LaunchCommand {
    QString program;
    QStringList arguments;
};

// The user's own editor for "path": $VISUAL, else $EDITOR (a shell command
// line, as both are by custom), run in a terminal ($TERMINAL, else
// x-terminal-emulator, else xterm) when one can be found, else on its own.
// The path travels as an argument of its own, never as part of a command
// line. Nothing when neither variable is set. "find" looks a program name
// up in the search path (empty when absent). A "line" from 1 is passed as
// "+LINE" to editors known to take it (vi, Emacs, nano and their kin).
std::optional<LaunchCommand> EditorCommand(const QString& path, const QProcessEnvironment& env,
                                           const std::function<QString(const QString&)>& find,
                                           int line = 0);

// Opens "path" at "line" in the user's editor when that editor takes a line;
// false, having started nothing, otherwise.
bool OpenInEditorAtLine(const QString& path, int line);

// Opens "path" with the program the desktop has for its type. When none
// takes it (the opener is missing, fails to start or reports a failure), the
// user's editor of EditorCommand() opens it instead and a message box says
// so; without one, the message box says how to set one up. The outcome may
// come after this returns: the desktop's opener runs as a process of its own.
void OpenWithDesktop(QWidget* owner, const QString& path);

// Replace the desktop's opener (a test answers whether it took the path)
// and the start of the fallback command; empty functions restore them.
void SetDesktopOpener(std::function<bool(const QString& path)> opener);
void SetCommandStarter(std::function<bool(const LaunchCommand& command)> starter);

}  // namespace codeburg
