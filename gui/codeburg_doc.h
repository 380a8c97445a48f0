#pragma once

#include <memory>
#include <optional>
#include <string>

#include "gui/document.h"
#include "platform/file_lock.h"

namespace codeburg {

class Folder;
struct ScoringSettings;

// The workspace document. It owns the workspace tree (the root folder);
// views and dialogs only point into it.
class CCodeburgDoc : public Document {
    Q_OBJECT
public:
    // "settings" is the application's and outlives the document.
    explicit CCodeburgDoc(const ScoringSettings* settings, QObject* parent = nullptr);
    ~CCodeburgDoc() override;

    Folder& root() { return *m_root; }
    const ScoringSettings* settings() const { return m_settings; }

    void setTitle(const QString& title) override;
    void setModifiedFlag(bool modified = true) override;
    // The title with one trailing "*" removed: the name the user knows the
    // workspace by, and the profile section of its current project.
    QString titleWithoutStar() const;

    // The backup written beside a workspace when it is opened: the path up
    // to and including its last "." followed by "bak".
    static QString BackupPath(const QString& path);

protected:
    bool onNewDocument() override;
    bool onOpenDocument(QWidget* owner, const QString& path) override;
    bool onSaveDocument(QWidget* owner, const QString& path) override;
    void onCloseDocument() override;

private:
    const ScoringSettings* m_settings;
    std::unique_ptr<Folder> m_root;
    bool m_changedWhileOpening = false;
    // The file as it was last read or written here, to notice before saving
    // that another program changed it meanwhile.
    std::string m_readPath;
    std::optional<FileVersion> m_readVersion;
};

}  // namespace codeburg
