#include "app/codeburg_doc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "app/interaction.h"
#include "app/workspace_file.h"
#include "workspace/folder.h"

namespace codeburg {

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Message(owner, QStringLiteral("Cannot open %1.\n%2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray content = file.readAll();
    file.close();

    const QString backup = BackupPath(path);
    QFile::remove(backup);
    QFile::copy(path, backup);  // a failed backup does not stop the opening

    m_root->Clear();
    m_changedWhileOpening = false;
    const int result = ReadWorkspaceText(*m_root, content.toStdString());
    if (result == kWorkspaceNotRecognised) {
        // Opening it anyway would let Save overwrite a file that is not ours.
        Message(owner, QStringLiteral("%1 is not a workspace file.").arg(path));
        return false;
    }
    if (result == kChangedWhileReading) m_changedWhileOpening = true;
    if (result == kWorkspaceIncomplete) {
        // Saving would drop the unread rest; the user should know before.
        Message(owner, QStringLiteral("%1 could not be read completely. What could be read is "
                                      "shown; the file as it was is kept in %2.")
                           .arg(path, backup));
    }

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        Message(owner, QStringLiteral("Unable to save %1.\n%2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

void CCodeburgDoc::onCloseDocument()
{
    resetViews();
    Document::onCloseDocument();
}

}  // namespace codeburg
