#pragma once

#include <QTextBrowser>

class QHelpEngine;

namespace codeburg {

// Shows pages of a compiled help file. One window serves the whole run; it
// is reopened at the requested topic each time.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    // False when the help file cannot be registered or lacks the topic.
    static bool Show(const QString& helpFile, const QString& topic);
    static HelpWindow* Instance();

    QVariant loadResource(int type, const QUrl& name) override;

private:
    HelpWindow();
    bool open(const QString& helpFile, const QString& topic);

    QHelpEngine* m_engine = nullptr;
    QString m_namespace;
};

}  // namespace codeburg
