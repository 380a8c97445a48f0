#pragma once

#include <QFont>
#include <QString>

namespace codeburg {

class CCodeburgView;
class CControlView;
class CPrjView;

// What the views ask of the window that holds them: its fonts, status text,
// busy state, pane layout, command routing, its sibling panes and the
// application's settings. The main frame implements it; a view without one
// draws with stand-in fonts and keeps its requests to itself.
class ViewFrame {
public:
    virtual ~ViewFrame() = default;

    virtual const QFont& largeFont() const = 0;
    virtual const QFont& textFont() const = 0;
    virtual const QFont& smallFont() const = 0;

    virtual void setMessageText(const QString& text) = 0;
    virtual void setBusy(bool busy) = 0;

    // n = 1..4 picks the large pane; 0 keeps the current one.
    virtual void layoutPanes(int n = 0) = 0;
    virtual int currentLayout() const = 0;
    // Runs a command as a menu or accelerator would; false when nothing
    // handled it.
    virtual bool onCommand(int id) = 0;

    virtual CPrjView* treeView() const = 0;
    virtual CCodeburgView* cityView() const = 0;
    virtual CControlView* controlView() const = 0;

    // From the command line: no 3D window ("-no3d"), the project to make
    // current at start-up ("-prj=").
    virtual bool no3d() const = 0;
    virtual QString startProjectName() const = 0;
    // The quality of JPEG snapshots from the settings file.
    virtual int snapshotQuality() const = 0;
    virtual void showQuoteOfTheDay(bool atStartup) = 0;
};

}  // namespace codeburg
