#include "gui/codeburg_doc.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "gui/interaction.h"
#include "gui/workspace_file.h"
#include "platform/safe_file.h"
#include "workspace/folder.h"
#include "workspace/workspace.h"
#include "workspace/workspace_file.h"

namespace codeburg {

namespace {

// Workspace files are small text; anything this large is not one.
constexpr uint64_t kMaxWorkspaceBytes = 256u << 20;

}  // namespace

CCodeburgDoc::CCodeburgDoc(const ScoringSettings* settings, QObject* parent)
    : Document(parent), m_settings(settings), m_root(NewWorkspaceRoot(settings))
{
}

CCodeburgDoc::~CCodeburgDoc() = default;

void CCodeburgDoc::setTitle(const QString& title)
{
    QString text = title;
    if (isModified()) text += QLatin1Char('*');
    Document::setTitle(text);
}

void CCodeburgDoc::setModifiedFlag(bool modified)
{
    Document::setModifiedFlag(modified);
    QString text = title();
    text.remove(QLatin1Char('*'));
    text.remove(QStringLiteral(" - read only"));
    setTitle(text);
}

QString CCodeburgDoc::titleWithoutStar() const
{
    QString text = title();
    if (text.endsWith(QLatin1Char('*'))) text.chop(1);
    return text;
}

QString CCodeburgDoc::BackupPath(const QString& path)
{
    const QFileInfo info(path);
    // A name without a dot gets ".bak" appended rather than losing a
    // directory name's tail to the replacement.
    if (!info.fileName().contains(QLatin1Char('.'))) return path + QStringLiteral(".bak");
    return path.left(path.lastIndexOf(QLatin1Char('.')) + 1) + QStringLiteral("bak");
}

bool CCodeburgDoc::onNewDocument()
{
    resetViews();
    Document::onNewDocument();
    m_root->Clear();
    m_root->AddSubfolder(std::make_unique<Folder>("Projects"));
    return true;
}

bool CCodeburgDoc::onOpenDocument(QWidget* owner, const QString& path)
{
    resetViews();
    // Only a regular file: a FIFO would hang the program, a device never end.
    const std::string file = path.toStdString();
    const std::optional<FileVersion> version = VersionOf(file);
    std::string content, reason;
    if (ReadRegularFile(file, kMaxWorkspaceBytes, content, &reason) != 0) {
        Message(owner,
                QStringLiteral("Cannot open %1.\n%2").arg(path, QString::fromStdString(reason)));
        return false;
    }
    // A failed backup does not stop the opening; a file of the user's under
    // the backup's name is never replaced.
    const QString backup = BackupPath(path);
    const bool backedUp = WriteBackupCopy(file);

    m_root->Clear();
    m_changedWhileOpening = false;
    const int result = ReadWorkspaceText(*m_root, content);
    if (result == kWorkspaceNotRecognised) {
        // Opening it anyway would let Save overwrite a file that is not ours.
        Message(owner, QStringLiteral("%1 is not a workspace file.").arg(path));
        return false;
    }
    if (result == Workspace::kChangedWhileReading) m_changedWhileOpening = true;
    if (result == kWorkspaceIncomplete) {
        // Saving would drop the unread rest; the user should know before.
        Message(owner, backedUp ? QStringLiteral("%1 could not be read completely. What could be "
                                                 "read is shown; the file as it was is kept in %2.")
                                      .arg(path, backup)
                                : QStringLiteral("%1 could not be read completely. What could be "
                                                 "read is shown.")
                                      .arg(path));
    }

    m_readVersion = version;
    m_readPath = file;
    setModifiedFlag(false);
    setPathName(path);
    if (m_changedWhileOpening) setModifiedFlag(true);
    return true;
}

bool CCodeburgDoc::onSaveDocument(QWidget* owner, const QString& path)
{
    const QFileInfo info(path);
    // Replacing a read-only file through a rename would succeed and so
    // defeat the protection (as would writing as root); refuse instead and
    // keep everything in memory.
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & writeBits))) {
        Message(owner, QStringLiteral("%1 is read-only. The workspace was not saved; use "
                                      "Save As to save it under another name.")
                           .arg(path));
        return false;
    }
    std::string text;
    std::string error;
    if (!WriteWorkspaceText(*m_root, text, error)) {
        Message(owner,
                QStringLiteral("Unable to save %1.\n%2").arg(path, QString::fromStdString(error)));
        return false;
    }
    // Held while saving, so that a command changing the file meanwhile is
    // neither overwritten unseen nor lost.
    const std::string file = path.toStdString();
    FileLock lock;
    int code = 0;
    if (lock.Lock(file, FileLock::Wait::No, {}, &error, &code) != 0 && code != ENOENT) {
        Message(owner,
                QStringLiteral("Unable to save %1.\n%2").arg(path, QString::fromStdString(error)));
        return false;
    }
    const std::optional<FileVersion> onDisk = VersionOf(file);
    if (file == m_readPath && onDisk && onDisk != m_readVersion &&
        !AskYesNo(owner,
                  QStringLiteral("%1 was changed on disk since it was opened or saved here.\n"
                                 "Do you want to overwrite those changes?")
                      .arg(path),
                  QStringLiteral("Codeburg")))
        return false;
    if (WriteFileAtomically(file, text, &error) != 0) {
        Message(owner,
                QStringLiteral("Unable to save %1.\n%2").arg(path, QString::fromStdString(error)));
        return false;
    }
    m_readVersion = VersionOf(file);
    m_readPath = file;
    return true;
}

void CCodeburgDoc::onCloseDocument()
{
    resetViews();
    Document::onCloseDocument();
}

}  // namespace codeburg
