#include "app/help_window.h"

#include <QDir>
#include <QHelpEngine>
#include <QStandardPaths>
#include <QUrl>

namespace codeburg {

namespace {

HelpWindow* g_window = nullptr;

}  // namespace

HelpWindow::HelpWindow()
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Codeburg Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 560);
    // The collection is ours alone and rebuilt on demand, so it lives in the
    // user's cache rather than beside the program.
    QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty()) cache = QDir::tempPath();
    QDir().mkpath(cache);
    m_engine = new QHelpEngine(cache + QStringLiteral("/codeburg.qhc"), this);
    m_engine->setupData();
}

HelpWindow* HelpWindow::Instance()
{
    return g_window;
}

bool HelpWindow::Show(const QString& helpFile, const QString& topic)
{
    if (!g_window) g_window = new HelpWindow;
    if (!g_window->open(helpFile, topic)) return false;
    g_window->show();
    g_window->raise();
    return true;
}

bool HelpWindow::open(const QString& helpFile, const QString& topic)
{
    const QString ns = QHelpEngineCore::namespaceName(helpFile);
    if (ns.isEmpty()) return false;
    if (m_engine->documentationFileName(ns) != helpFile) {
        m_engine->unregisterDocumentation(ns);
        if (!m_engine->registerDocumentation(helpFile)) return false;
    }
    m_namespace = ns;
    const QUrl url(QStringLiteral("qthelp://%1/doc%2").arg(ns, topic));
    if (m_engine->fileData(url).isEmpty()) return false;
    setSource(url);
    return true;
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    if (name.scheme() == QLatin1String("qthelp")) return m_engine->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

}  // namespace codeburg
