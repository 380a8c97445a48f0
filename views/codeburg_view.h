#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "gui/document.h"
#include "views/city_view_interface.h"

namespace codeburg {

class CCodeburgDoc;
class ViewFrame;
class CityApp;
class Project;
class ProjectStats;
struct MethodStats;

// The right-hand pane of the city. It hosts the 3D window (CityApp) unless
// the program runs with "-no3d", shows the tree's current project in it,
// keeps each project's last camera in the profile and takes snapshots of
// the pane. Without its 3D window every 3D command does nothing.
class CCodeburgView : public QWidget, public View, public CityViewInterface {
    Q_OBJECT
public:
    // Any of app, doc and frame may be null in tests; not owned.
    CCodeburgView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);
    ~CCodeburgView() override;

    // Makes the 3D window once, unless the program was started with "-no3d"
    // or the platform has no OpenGL at all. Returns whether it exists.
    bool create3DWindow(int samples = 0);
    CityApp* cityApp() const { return m_app3d; }

    void onInitialUpdate() override;
    void onReset() override;
    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    int lastHint() const { return m_lastHint; }

    // CityViewInterface, for the control strip.
    void SetFilter(FilterKind kind, const std::string& fileName, const std::string& className,
                   const std::string& methodName) override;
    std::optional<std::string> CurrentViewpoint() const override;
    void MoveToViewpoint(const std::string& viewpoint) override;
    bool IsInitialised() const override;
    void ShowMap() override;

    // The commands the frame passes on; false when not one of them or when
    // there is no 3D window to take it.
    bool handleCommand(int id);
    std::optional<bool> commandEnabled(int id) const;

    // Shows the project (or nothing); done on every notification that may
    // have changed the current project or its statistics. "rebuilt" shows it
    // afresh even when it seems the same: a build may have replaced its
    // records within the second its stamp counts. The camera stays when the
    // project is the one shown.
    void showProject(Project* project, bool rebuilt = false);

    // A build is about to replace records, or is through: the 3D window
    // keeps its last picture meanwhile and reads nothing of the project.
    void setBuilding(bool on);
    Project* shownProject() const { return m_shown; }

    // "S&napshot...": one frame in snapshot form, the pane's pixels, a file
    // name from the user and the JPEG. Returns whether a file was written.
    bool takeSnapshot();
    // The pixels of the right-hand pane as it shows now.
    QImage grabPane();
    // Replaces the save dialog (tests answer with a path, or an empty text
    // for Cancel); an empty function restores it.
    static void SetSnapshotPathChooser(std::function<QString(QWidget* owner)> chooser);
    // Replaces the file dialog of View > "Compare with..." (for tests).
    static void SetComparePathChooser(std::function<QString(QWidget* owner)> chooser);

    // The "Select Device" dialog; OK with a change remakes the 3D window.
    void changeDevice();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void saveLastViewpoint();
    void openMethodSource(const MethodStats* method);
    void followLayout();
    QString profileSection(const Project& project) const;
    QString chooseSnapshotPath();
    void compareWith();
    int snapshotQuality() const;
    bool no3d() const;

    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    CityApp* m_app3d = nullptr;
    Project* m_shown = nullptr;
    const ProjectStats* m_shownStats = nullptr;
    std::string m_shownBuild;
    int m_lastHint = -1;
    bool m_hiddenPause = false;
};

}  // namespace codeburg
