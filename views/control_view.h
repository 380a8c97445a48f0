#pragma once

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "city/hud_text.h"
#include "gui/document.h"

class QComboBox;

namespace codeburg {

class CCodeburgDoc;
class CityViewInterface;
class ViewFrame;
class Project;
struct MethodStats;

// A push button that draws its own face from the button-face colour:
// brighter while the mouse is over it, edges swapped while pressed, grey
// when disabled. A 50 ms timer notices the mouse leaving, as the hover may
// end over another window.
class CBmpButton : public QPushButton {
    Q_OBJECT
public:
    explicit CBmpButton(const QString& text, QWidget* parent = nullptr);
    bool isHighlighted() const { return m_highlighted; }
    void checkCursor();  // what each tick of the timer does

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    QTimer m_timer;
    bool m_highlighted = false;
};

// The strip above the right-hand pane: the cascading File, Class and Method
// lists that pick what the city highlights, the pane buttons and the
// viewpoint controls.
class CControlView : public QWidget, public View {
    Q_OBJECT
public:
    // Values of the class list's item data besides class records.
    static constexpr quintptr kNoClass = 1;

    // The application (may be null) says whether the program runs without
    // its city pane; it knows only after the frame exists.
    CControlView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent = nullptr);

    void onUpdate(View* sender, UpdateHint hint, void* object) override;
    void onInitialUpdate() override;
    void onReset() override;
    int lastHint() const { return m_lastHint; }

    // The city pane, once it exists; not owned.
    void setCityView(CityViewInterface* city) { m_city = city; }

    QComboBox* fileList() const { return m_files; }
    QComboBox* classList() const { return m_classes; }
    QComboBox* methodList() const { return m_methods; }
    QComboBox* viewpointList() const { return m_viewpoint; }
    QPushButton* editButton() const { return m_edit; }
    CBmpButton* paneButton(int pane) const { return m_panes[pane - 1]; }   // 1..4, 5 snapshot
    QPushButton* viewpointButton(int n) const { return m_recall[n - 1]; }  // 1..9
    // The highlight the lists currently ask for (0 none .. 3 a method).
    FilterKind filterKind() const;
    // How wide the strip must be to show all its controls.
    int stripWidth() const { return childrenRect().right() + 9; }

    void showPane(int pane);
    // Selects the method's file, class and method in the lists and applies
    // the highlight; null selects "<all>" everywhere.
    void selectMethod(const MethodStats* method);
    void recordViewpoint();
    void recallViewpoint(int n);
    void showMap();
    void editFile();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillFiles(Project* project);
    void fillClasses();
    void fillMethods();
    void applyFilter();
    void enableLists();
    void setStatusText(const QString& text);

    CCodeburgDoc* m_doc;
    ViewFrame* m_frame;
    CityViewInterface* m_city = nullptr;
    QComboBox* m_files;
    QComboBox* m_classes;
    QComboBox* m_methods;
    QComboBox* m_viewpoint;
    QPushButton* m_edit;
    QPushButton* m_record;
    QPushButton* m_map;
    std::array<CBmpButton*, 5> m_panes{};
    std::array<QPushButton*, 9> m_recall{};
    Project* m_shown = nullptr;
    std::string m_shownBuild;
    int m_lastHint = -1;
};

}  // namespace codeburg
