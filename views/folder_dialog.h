#pragma once

#include <memory>

#include "views/banner_dialog.h"

class QLineEdit;

namespace codeburg {

class Folder;

// Creates a folder under a parent, or edits one (also the workspace root).
class FolderDialog : public BannerDialog {
    Q_OBJECT
public:
    // Edit mode when "folder" is given; "parent" supplies the default base
    // directory when adding.
    FolderDialog(Folder* parent, Folder* folder, QWidget* owner = nullptr);
    ~FolderDialog() override;

    std::unique_ptr<Folder> takeFolder();
    QLineEdit* directoryEdit() const { return m_directory; }
    QLineEdit* nameEdit() const { return m_name; }
    void browse();
    void accept() override;

private:
    Folder* m_edited;
    std::unique_ptr<Folder> m_created;
    QLineEdit* m_directory;
    QLineEdit* m_name;
};

}  // namespace codeburg
