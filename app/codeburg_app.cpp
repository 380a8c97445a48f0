#include "app/codeburg_app.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include "app/main_frame.h"
#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "gui/product_name.h"
#include "gui/profile.h"
#include "gui/settings_file.h"
#include "platform/ini_file.h"
#include "platform/path_util.h"
#include "platform/safe_file.h"
#include "views/codeburg_view.h"
#include "views/prj_view.h"
#include "views/quote_dialog.h"

namespace codeburg {

CCodeburgApp::CCodeburgApp()
{
    LoadSettingsFile(m_settings, SettingsFilePath());
}

CCodeburgApp::~CCodeburgApp()
{
    // The frame's views point into the document: the frame goes first.
    m_frame.reset();
    m_doc.reset();
}

QString CCodeburgApp::ProductName()
{
    return codeburg::ProductName();
}

QString CCodeburgApp::SettingsFilePath()
{
    return QString::fromStdString(
        ::codeburg::SettingsFilePath(QCoreApplication::applicationFilePath().toStdString()));
}

bool CCodeburgApp::initInstance(const QStringList& arguments)
{
    // The profile lives under "halcyon" (see app/profile.cpp).
    m_recent.load();

    m_doc = std::make_unique<CCodeburgDoc>(&m_settings);
    m_frame = std::make_unique<CMainFrame>(this, m_doc.get(), &m_recent);
    m_frame->applyStoredPlacement();
    connect(m_doc.get(), &Document::pathUsed, this,
            [this](const QString& path) { m_recent.add(path); });

    // Both options are found anywhere in the raw command line, case
    // sensitively, before the ordinary parsing sees it.
    const QString line = arguments.join(QLatin1Char(' '));
    const int prj = line.indexOf(QStringLiteral("-prj="));
    if (prj >= 0) m_startProjectName = line.mid(prj + 5);
    if (line.contains(QStringLiteral("-no3d"))) m_no3d = true;

    // A file name is a word that is not an option; the words after "-prj="
    // belong to the project name, so a name with spaces opens no file.
    QString fileName;
    for (const QString& word : arguments) {
        if (word.startsWith(QStringLiteral("-prj="))) break;
        // The framework's flags; a word starting with "/" is otherwise a path.
        const bool dash = word.startsWith(QLatin1Char('-'));
        const QString flag = word.mid(1).toLower();
        const bool known = flag == QLatin1String("p") || flag == QLatin1String("pt") ||
                           flag == QLatin1String("dde") || flag == QLatin1String("embedding") ||
                           flag == QLatin1String("automation");
        if ((dash || word.startsWith(QLatin1Char('/'))) && known) {
            m_interactive = false;
            continue;
        }
        if (dash) continue;
        if (fileName.isEmpty()) fileName = word;
    }

    if (!fileName.isEmpty()) {
        if (!m_doc->openDocument(m_frame.get(), fileName)) return false;
    } else {
        m_doc->newDocument(m_frame.get());
        if (ProfileInt(QStringLiteral("MAIN"), QStringLiteral("LOADMOSTRECENT"), 1) == 1) {
            reopenMostRecent();
        }
    }

    if (ProfileInt(QStringLiteral("MAINFRAME"), QStringLiteral("MAXIMIZED"), 0) != 0) {
        m_frame->showMaximized();
    } else {
        m_frame->show();
    }
    m_frame->setAcceptDrops(true);
    // The city pane's 3D window; "-no3d" keeps it away.
    m_frame->cityView()->create3DWindow();

    QCoreApplication::postEvent(m_frame->treeView(), new QEvent(CPrjView::kStartupChecksEvent));
    return true;
}

void CCodeburgApp::reopenMostRecent()
{
    const QString marker =
        QString::fromStdString(PathJoin(QDir::currentPath().toStdString(), kMarkerFileName));
    // The marker exists only while the workspace is being opened: when it is
    // found here, the last opening died and is not tried a second time.
    if (!QFileInfo::exists(marker)) {
        CreateFileAtomically(marker.toStdString(), {});  // never through a link left there
        const QStringList& entries = m_recent.entries();
        if (!entries.isEmpty() && !entries.first().isEmpty()) {
            m_frame->onCommand(cmd::kFileMru1);
        }
    }
    QFile::remove(marker);
}

bool CCodeburgApp::handleCommand(int id)
{
    switch (id) {
        case cmd::kFileNew:
            m_doc->newDocument(m_frame.get());
            return true;
        case cmd::kFileOpen:
            m_doc->openDocument(m_frame.get(), QString());
            return true;
        case cmd::kQuoteOfTheDay:
            showQuoteOfTheDay(false);
            return true;
        default:
            return false;
    }
}

std::optional<bool> CCodeburgApp::commandEnabled(int id) const
{
    switch (id) {
        case cmd::kFileNew:
        case cmd::kFileOpen:
        case cmd::kQuoteOfTheDay:
            return true;
        default:
            return std::nullopt;
    }
}

void CCodeburgApp::showQuoteOfTheDay(bool atStartup)
{
    if (atStartup && !m_interactive) return;
    QuoteDialog dialog(m_frame.get());
    if (!atStartup || dialog.showOnStartup()) Ui().execDialog(&dialog);
}

}  // namespace codeburg
