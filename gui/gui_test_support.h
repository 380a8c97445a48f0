#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "gui/interaction.h"

namespace codeburg {

// Answers every question of the program without showing anything: message
// boxes take the queued answers (No when none is left), the folder chooser
// the queued paths, modal dialogs go to "onDialog" (rejected when unset).
class ScriptedInteraction : public Interaction {
public:
    QStringList messages;
    QStringList captions;
    QList<QMessageBox::StandardButton> answers;
    QStringList directories;
    QStringList dialogs;  // object names of the dialogs run, in order
    std::function<int(QDialog*)> onDialog;

    QMessageBox::StandardButton messageBox(QWidget*, const QString& text, const QString& caption,
                                           QMessageBox::Icon,
                                           QMessageBox::StandardButtons buttons) override
    {
        messages << text;
        captions << caption;
        if (!(buttons & (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel))) {
            return QMessageBox::Ok;
        }
        return answers.isEmpty() ? QMessageBox::No : answers.takeFirst();
    }
    QString browseForDirectory(QWidget*, const QString&, const QString&) override
    {
        return directories.isEmpty() ? QString() : directories.takeFirst();
    }
    int execDialog(QDialog* dialog) override
    {
        dialogs << dialog->objectName();
        return onDialog ? onDialog(dialog) : QDialog::Rejected;
    }
    bool saw(const QString& part) const
    {
        for (const QString& m : messages) {
            if (m.contains(part)) return true;
        }
        return false;
    }
};

// Runs the dialog's OK handler the way its button would and reports the
// outcome as exec() would.
inline int PressOk(QDialog* dialog)
{
    dialog->accept();
    return dialog->result();
}

}  // namespace codeburg

// A test main that gives the profile and the current directory a fresh
// temporary home before anything reads them.
#define CB_GUI_TEST_MAIN(TestClass)                                   \
    int main(int argc, char** argv)                                   \
    {                                                                 \
        QTemporaryDir home;                                           \
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8()); \
        qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());   \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))           \
            qputenv("QT_QPA_PLATFORM", "offscreen");                  \
        QDir().mkpath(home.filePath("cwd"));                          \
        QDir::setCurrent(home.filePath("cwd"));                       \
        QApplication app(argc, argv);                                 \
        TestClass test;                                               \
        return QTest::qExec(&test, argc, argv);                       \
    }
