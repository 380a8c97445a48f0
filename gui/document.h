#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace codeburg {

class Document;

// What changed, as the document tells its views.
enum class UpdateHint {
    General = 0,
    ProjectRebuilt = 1,         // the current project was rebuilt
    LayoutChanged = 2,          // the pane layout changed
    WorkspaceChanged = 3,       // the workspace or the scoring settings changed
    CurrentProjectChanged = 4,  // another project became current
};

// A pane that shows the document. Views are told of changes synchronously,
// in the order in which they were attached.
class View {
public:
    virtual ~View() = default;
    virtual void onInitialUpdate() {}
    // The document is about to be emptied, replaced or closed: drop every
    // pointer into it.
    virtual void onReset() {}
    virtual void onUpdate(View* sender, UpdateHint hint, void* object) = 0;
};

// The single document of the program: title, path, modified flag, the
// New/Open/Save/Save As/Close operations and the views attached to it.
// Subclasses read and write the file and reset their content.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    const QString& title() const { return m_title; }
    const QString& path() const { return m_path; }
    bool isModified() const { return m_modified; }
    virtual void setTitle(const QString& title);
    virtual void setModifiedFlag(bool modified = true);

    void addView(View* view);
    void removeView(View* view);
    const std::vector<View*>& views() const { return m_views; }
    // Every view but the sender, in attachment order.
    void updateAllViews(View* sender, UpdateHint hint = UpdateHint::General,
                        void* object = nullptr);
    // Called between two views' updates while set: a view that shows a
    // large project takes a while, and a build that just ended lets the
    // window repaint in between.
    void setBetweenUpdates(std::function<void()> call) { m_betweenUpdates = std::move(call); }

    // The commands of the File menu. Each returns whether it went through;
    // "owner" parents the questions and file choosers.
    bool newDocument(QWidget* owner);
    bool openDocument(QWidget* owner, const QString& path);  // empty: ask for a file
    bool save(QWidget* owner);
    bool saveAs(QWidget* owner, const QString& path = {});  // empty: ask for a file
    // When modified, asks whether to save; false when the user cancels or
    // the save failed, so the caller keeps the document.
    bool saveModified(QWidget* owner);
    void closeDocument();

signals:
    void titleChanged(const QString& title);
    // A file was opened or saved under a path: the recent-file list takes it.
    void pathUsed(const QString& path);

protected:
    virtual bool onNewDocument();
    virtual bool onOpenDocument(QWidget* owner, const QString& path) = 0;
    // Writes the file; on failure tells the user why and returns false.
    virtual bool onSaveDocument(QWidget* owner, const QString& path) = 0;
    virtual void onCloseDocument();
    void setPathName(const QString& path);
    void sendInitialUpdate();
    void resetViews();

private:
    QString m_title;
    QString m_path;
    bool m_modified = false;
    std::vector<View*> m_views;
    std::function<void()> m_betweenUpdates;
};

}  // namespace codeburg
