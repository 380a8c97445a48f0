#include "app/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QShortcut>
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
    // A window of its own, closed the way such windows are.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
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
    // The build and the installer put a collection that registers the guide
    // beside it; only without one is a collection made in the user's cache.
    const QFileInfo info(helpFile);
    QString collection =
        info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".qhc");
    const bool prebuilt = QFileInfo::exists(collection);
    if (!prebuilt) {
        QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        if (cache.isEmpty()) cache = QDir::tempPath();
        QDir().mkpath(cache);
        collection = cache + QStringLiteral("/codeburg.qhc");
    }
    if (!m_engine || m_engine->collectionFile() != collection) {
        delete m_engine;
        m_engine = new QHelpEngine(collection, this);
        m_engine->setReadOnly(prebuilt);
        m_engine->setupData();
    }
    if (!m_engine->registeredDocumentations().contains(ns) &&
        !m_engine->registerDocumentation(helpFile)) {
        qWarning("help: %s", qPrintable(m_engine->error()));
        return false;
    }
    m_namespace = ns;
    const QUrl url(QStringLiteral("qthelp://%1/doc%2").arg(ns, topic));
    if (m_engine->fileData(url).isEmpty()) {
        qWarning("help: no page %s in %s", qPrintable(url.toString()), qPrintable(helpFile));
        return false;
    }
    setSource(url);
    return true;
}

QVariant HelpWindow::loadResource(int type, const QUrl& name)
{
    if (m_engine && name.scheme() == QLatin1String("qthelp")) return m_engine->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

}  // namespace codeburg
