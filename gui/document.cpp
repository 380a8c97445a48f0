#include "gui/document.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

#include "gui/interaction.h"

namespace codeburg {

namespace {

const char* const kFilter = "Codeburg Files (*.cbw)";

}  // namespace

Document::Document(QObject* parent) : QObject(parent) {}

void Document::setTitle(const QString& title)
{
    m_title = title;
    emit titleChanged(m_title);
}

void Document::setModifiedFlag(bool modified)
{
    m_modified = modified;
}

void Document::addView(View* view)
{
    m_views.push_back(view);
}

void Document::removeView(View* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void Document::updateAllViews(View* sender, UpdateHint hint, void* object)
{
    // A copy: a view may detach another while it handles the hint.
    const std::vector<View*> views = m_views;
    for (View* view : views) {
        if (view == sender) continue;
        view->onUpdate(sender, hint, object);
        if (m_betweenUpdates) m_betweenUpdates();
    }
}

void Document::sendInitialUpdate()
{
    const std::vector<View*> views = m_views;
    for (View* view : views) view->onInitialUpdate();
}

void Document::resetViews()
{
    const std::vector<View*> views = m_views;
    for (View* view : views) view->onReset();
}

void Document::setPathName(const QString& path)
{
    m_path = path;
    setTitle(path.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path).fileName());
}

bool Document::newDocument(QWidget* owner)
{
    if (!saveModified(owner)) return false;
    if (!onNewDocument()) return false;
    sendInitialUpdate();
    return true;
}

bool Document::openDocument(QWidget* owner, const QString& requested)
{
    if (!saveModified(owner)) return false;
    QString path = requested;
    if (path.isEmpty()) {
        path = QFileDialog::getOpenFileName(owner, QString(), QString(), QLatin1String(kFilter));
        if (path.isEmpty()) return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!onOpenDocument(owner, absolute)) {
        // What was read so far is dropped: the previous content is gone
        // already, so start from a fresh document rather than a half one.
        onNewDocument();
        sendInitialUpdate();
        return false;
    }
    emit pathUsed(absolute);
    sendInitialUpdate();
    return true;
}

bool Document::save(QWidget* owner)
{
    if (m_path.isEmpty()) return saveAs(owner);
    if (!onSaveDocument(owner, m_path)) return false;
    setModifiedFlag(false);
    emit pathUsed(m_path);
    return true;
}

bool Document::saveAs(QWidget* owner, const QString& requested)
{
    QString path = requested;
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(owner, QString(), m_path, QLatin1String(kFilter));
        if (path.isEmpty()) return false;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".cbw");
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!onSaveDocument(owner, absolute)) return false;
    m_path = absolute;
    setModifiedFlag(false);
    setTitle(QFileInfo(absolute).fileName());
    emit pathUsed(absolute);
    return true;
}

bool Document::saveModified(QWidget* owner)
{
    if (!m_modified) return true;
    QString name = m_title;
    if (name.endsWith(QLatin1Char('*'))) name.chop(1);
    const auto answer = Ui().messageBox(owner, QStringLiteral("Save changes to %1?").arg(name),
                                        QStringLiteral("Codeburg"), QMessageBox::Question,
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    return save(owner);
}

void Document::closeDocument()
{
    onCloseDocument();
}

bool Document::onNewDocument()
{
    m_path.clear();
    setModifiedFlag(false);
    setTitle(QStringLiteral("Untitled"));
    return true;
}

void Document::onCloseDocument()
{
    m_path.clear();
    setModifiedFlag(false);
}

}  // namespace codeburg
