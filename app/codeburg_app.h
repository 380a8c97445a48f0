#pragma once

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/recent_files.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

class CCodeburgDoc;
class CMainFrame;

// The application object: owns the scoring settings, the command-line
// options, the document and the main window, and runs the start-up. One per
// run of the program; tests create several in turn.
class CCodeburgApp : public QObject {
    Q_OBJECT
public:
    CCodeburgApp();
    ~CCodeburgApp() override;

    static QString ProductName();  // shown as the frame's title and in dialogs
    static constexpr const char* kMarkerFileName = "_codeburg_failure_marker_file.tmp";
    // The settings file: the executable's path with ".ini" appended, its
    // file name in lower case.
    static QString SettingsFilePath();

    // The start-up, in its fixed order. "arguments" excludes the program
    // name. False when the file named on the command line cannot be opened.
    bool initInstance(const QStringList& arguments);

    ScoringSettings& settings() { return m_settings; }
    bool no3d() const { return m_no3d; }
    const QString& startProjectName() const { return m_startProjectName; }
    bool interactive() const { return m_interactive; }
    RecentFiles& recentFiles() { return m_recent; }
    CCodeburgDoc* document() const { return m_doc.get(); }
    CMainFrame* mainFrame() const { return m_frame.get(); }

    bool handleCommand(int id);
    std::optional<bool> commandEnabled(int id) const;
    // From the menu the dialog always shows; at start-up only while its
    // "show on start-up" box stays checked.
    void showQuoteOfTheDay(bool atStartup);

private:
    void reopenMostRecent();

    ScoringSettings m_settings;
    bool m_no3d = false;
    bool m_interactive = true;
    QString m_startProjectName;
    RecentFiles m_recent{5};
    std::unique_ptr<CCodeburgDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace codeburg
