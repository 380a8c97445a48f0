#include "views/desktop_opener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include "gui/interaction.h"

namespace codeburg {

namespace {

std::function<bool(const QString&)>& TestOpener()
{
    static std::function<bool(const QString&)> opener;
    return opener;
}

std::function<bool(const LaunchCommand&)>& TestStarter()
{
    static std::function<bool(const LaunchCommand&)> starter;
    return starter;
}

bool Start(const LaunchCommand& command)
{
    if (TestStarter()) return TestStarter()(command);
    return QProcess::startDetached(command.program, command.arguments);
}

// What the user learns when the desktop had no program for the file.
void FallBack(QWidget* owner, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const auto command = EditorCommand(
        path, QProcessEnvironment::systemEnvironment(),
        [](const QString& program) { return QStandardPaths::findExecutable(program); });
    QString text = QStringLiteral("The desktop has no program set up to open %1.").arg(name);
    if (command && Start(*command)) {
        const QString editor = qEnvironmentVariable("VISUAL").trimmed().isEmpty()
                                   ? qEnvironmentVariable("EDITOR").trimmed()
                                   : qEnvironmentVariable("VISUAL").trimmed();
        text += QStringLiteral("\nIt is opened with your editor (%1) instead.").arg(editor);
    } else {
        text += QStringLiteral(
            "\nSet up a program for this type of file in the desktop's settings, or set the "
            "VISUAL or EDITOR environment variable to your editor.");
    }
    Ui().messageBox(owner, text, QString(), QMessageBox::Warning, QMessageBox::Ok);
}

QString UserEditor(const QProcessEnvironment& env)
{
    QString editor = env.value(QStringLiteral("VISUAL")).trimmed();
    if (editor.isEmpty()) editor = env.value(QStringLiteral("EDITOR")).trimmed();
    return editor;
}

// Whether the program the editor line starts takes "+LINE" before a file.
bool TakesLine(const QString& editor)
{
    const QString program = editor.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('/'), -1);
    static const QStringList kTakeLine{
        QStringLiteral("vi"),    QStringLiteral("vim"),         QStringLiteral("nvim"),
        QStringLiteral("gvim"),  QStringLiteral("view"),        QStringLiteral("nano"),
        QStringLiteral("emacs"), QStringLiteral("emacsclient"), QStringLiteral("gedit"),
        QStringLiteral("joe"),   QStringLiteral("jed"),         QStringLiteral("mcedit"),
        QStringLiteral("ne"),    QStringLiteral("kak"),         QStringLiteral("pico")};
    return kTakeLine.contains(program);
}

}  // namespace

std::optional<LaunchCommand> EditorCommand(const QString& path, const QProcessEnvironment& env,
                                           const std::function<QString(const QString&)>& find,
                                           int line)
{
    const QString editor = UserEditor(env);
    if (editor.isEmpty()) return std::nullopt;
    // "sh -c 'EDITOR "$1"' sh PATH": the editor line may carry options; the
    // path is only ever the shell's first argument, the line only digits.
    const QString at = line > 0 && TakesLine(editor) ? QStringLiteral(" +%1").arg(line) : QString();
    const QStringList shell{QStringLiteral("-c"), editor + at + QStringLiteral(" \"$1\""),
                            QStringLiteral("sh"), path};
    QString terminal;
    const QString wanted = env.value(QStringLiteral("TERMINAL")).trimmed();
    if (!wanted.isEmpty()) terminal = find(wanted);
    for (const char* name : {"x-terminal-emulator", "xterm"}) {
        if (terminal.isEmpty()) terminal = find(QLatin1String(name));
    }
    if (terminal.isEmpty()) return LaunchCommand{QStringLiteral("sh"), shell};
    return LaunchCommand{terminal, QStringList{QStringLiteral("-e"), QStringLiteral("sh")} + shell};
}

bool OpenInEditorAtLine(const QString& path, int line)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (line <= 0 || !TakesLine(UserEditor(env))) return false;
    const auto command = EditorCommand(
        path, env, [](const QString& program) { return QStandardPaths::findExecutable(program); },
        line);
    return command && Start(*command);
}

void OpenWithDesktop(QWidget* owner, const QString& path)
{
    QPointer<QWidget> guard(owner);
    if (TestOpener()) {
        if (!TestOpener()(path)) FallBack(guard, path);
        return;
    }
    // xdg-open tells by its exit status whether a program took the file;
    // Qt's own hand-over only tells whether the opener started.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) FallBack(owner, path);
        return;
    }
    auto* process = new QProcess(qApp);
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, guard, path](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || exitCode != 0) FallBack(guard, path);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, guard, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         process->deleteLater();
                         FallBack(guard, path);
                     });
    process->start();
}

void SetDesktopOpener(std::function<bool(const QString& path)> opener)
{
    TestOpener() = std::move(opener);
}

void SetCommandStarter(std::function<bool(const LaunchCommand& command)> starter)
{
    TestStarter() = std::move(starter);
}

}  // namespace codeburg
