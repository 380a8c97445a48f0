#include "views/control_view.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QCursor>
#include <QLinearGradient>
#include <QPainter>
#include <string>
#include <utility>
#include <vector>

#include "gui/codeburg_doc.h"
#include "gui/command_ids.h"
#include "gui/interaction.h"
#include "views/city_view_interface.h"
#include "views/view_frame.h"
#include "views/view_support.h"
#include "workspace/project.h"

namespace codeburg {
namespace {

QColor WithValue(const QColor& colour, double factor, bool grey = false)
{
    float h, s, v;
    colour.getHsvF(&h, &s, &v);
    return QColor::fromHsvF(h < 0 ? 0 : h, grey ? 0.0f : s, std::min(1.0, v * factor));
}

template <typename T>
T* ItemRecord(const QComboBox* list)
{
    return reinterpret_cast<T*>(list->currentData().value<quintptr>());
}

// The entries of one of the strip's lists: a name shown, a record kept.
class RecordListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_entries.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_entries.size())) return {};
        const auto& [text, record] = m_entries[size_t(index.row())];
        if (role == Qt::DisplayRole || role == Qt::EditRole) return QString::fromStdString(text);
        if (role == Qt::UserRole) return QVariant::fromValue(record);
        return {};
    }

    // The names as the records hold them, turned into text only when shown:
    // a list of 150 000 methods is mostly never looked at.
    std::vector<std::pair<std::string, quintptr>> m_entries;
};

// A list's entries, gathered first and shown in one go: a project's 150 000
// methods added one by one, each a model change of its own, froze the window.
class ListFill {
public:
    void Add(const std::string& text, quintptr data) { m_entries.emplace_back(text, data); }
    void ShowIn(QComboBox* list)
    {
        auto* model = new RecordListModel(list);  // the list deletes it with the next one
        model->m_entries = std::move(m_entries);
        m_entries.clear();
        list->setModel(model);
    }

private:
    std::vector<std::pair<std::string, quintptr>> m_entries;
};

}  // namespace

CBmpButton::CBmpButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &CBmpButton::checkCursor);
}

void CBmpButton::enterEvent(QEnterEvent* event)
{
    if (!m_highlighted) {
        m_highlighted = true;
        m_timer.start();
        update();
    }
    QPushButton::enterEvent(event);
}

void CBmpButton::checkCursor()
{
    if (rect().contains(mapFromGlobal(QCursor::pos()))) return;
    m_timer.stop();
    m_highlighted = false;
    update();
}

void CBmpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    const bool disabled = !isEnabled();
    const bool pressed = isDown();
    const double value = m_highlighted && !disabled ? 1.1 : 1.0;
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, WithValue(face, value * 1.05, disabled));
    gradient.setColorAt(1, WithValue(face, value * 0.9, disabled));
    painter.fillRect(r, gradient);
    QColor light = WithValue(face, m_highlighted ? 1.2 : 1.1, disabled);
    QColor dark = WithValue(face, m_highlighted ? 0.7 : 0.8, disabled);
    if (pressed) std::swap(light, dark);
    painter.setPen(light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(dark);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(disabled ? palette().color(QPalette::Disabled, QPalette::ButtonText)
                            : palette().color(QPalette::ButtonText));
    painter.drawText(r.translated(pressed ? 1 : 0, pressed ? 1 : 0), Qt::AlignCenter,
                     text().remove('&'));
}

CControlView::CControlView(CCodeburgDoc* doc, ViewFrame* frame, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_frame(frame),
      m_files(new QComboBox(this)),
      m_classes(new QComboBox(this)),
      m_methods(new QComboBox(this)),
      m_viewpoint(new QComboBox(this)),
      m_edit(new QPushButton(QStringLiteral("&Edit"), this)),
      m_record(new QPushButton(QStringLiteral("Rec"), this)),
      m_map(new QPushButton(QStringLiteral("Map"), this))
{
    setObjectName(QStringLiteral("CControlView"));
    const int listX = 66;
    m_files->setGeometry(listX, 6, 180, 22);
    m_classes->setGeometry(listX, 30, 180, 22);
    m_methods->setGeometry(listX, 54, 180, 22);
    m_edit->setGeometry(252, 54, 60, 22);
    m_edit->setEnabled(false);
    const char* names[] = {"3D View", "Score", "Details", "Devs", "Snapshot"};
    const char* tips[] = {
        "Show the city of the current project", "Show the score sheet of the current project",
        "Show the files of the current project", "Show the developers of the workspace",
        "Take a picture of the right-hand view"};
    for (int i = 0; i < 5; ++i) {
        m_panes[i] = new CBmpButton(QLatin1String(names[i]), this);
        m_panes[i]->setToolTip(QLatin1String(tips[i]));
        m_panes[i]->setGeometry(330 + i * 78, 6, 74, 30);
        connect(m_panes[i], &QPushButton::clicked, this, [this, i] {
            if (i < 4) {
                showPane(i + 1);
            } else if (m_frame) {
                m_frame->onCommand(cmd::kSnapshot);
            }
        });
    }
    for (int i = 1; i <= 9; ++i) m_viewpoint->addItem(QString::number(i));
    m_viewpoint->setCurrentIndex(0);
    m_viewpoint->setGeometry(410, 48, 44, 22);
    m_record->setGeometry(458, 48, 36, 22);
    for (int i = 0; i < 9; ++i) {
        m_recall[i] = new QPushButton(QString::number(i + 1), this);
        m_recall[i]->setGeometry(498 + i * 24, 48, 22, 22);
        m_recall[i]->setEnabled(false);
        connect(m_recall[i], &QPushButton::clicked, this, [this, i] { recallViewpoint(i + 1); });
    }
    m_map->setGeometry(498 + 9 * 24 + 4, 48, 40, 22);
    m_edit->setToolTip(QStringLiteral("Open the selected file in the editor"));
    m_record->setToolTip(
        QStringLiteral("Record the camera of the city as the chosen viewpoint "
                       "(in free movement, F3)"));
    m_viewpoint->setToolTip(QStringLiteral("The viewpoint that Rec records into"));
    for (int i = 0; i < 9; ++i)
        m_recall[i]->setToolTip(QStringLiteral("Go to viewpoint %1").arg(i + 1));
    m_map->setToolTip(QStringLiteral("Look down on the whole city"));

    connect(m_files, &QComboBox::activated, this, [this] {
        fillClasses();
        applyFilter();
    });
    connect(m_classes, &QComboBox::activated, this, [this] {
        fillMethods();
        applyFilter();
    });
    connect(m_methods, &QComboBox::activated, this, &CControlView::applyFilter);
    connect(m_edit, &QPushButton::clicked, this, &CControlView::editFile);
    connect(m_record, &QPushButton::clicked, this, &CControlView::recordViewpoint);
    connect(m_map, &QPushButton::clicked, this, &CControlView::showMap);
}

void CControlView::onInitialUpdate()
{
    m_panes[0]->setEnabled(!(m_frame && m_frame->no3d()));
}

void CControlView::onUpdate(View*, UpdateHint hint, void*)
{
    m_lastHint = static_cast<int>(hint);
    m_panes[0]->setEnabled(!(m_frame && m_frame->no3d()));
    Project* project = CurrentProject(m_frame);
    // Hint 1 may come after a build within the second of the last one: its
    // stamp is the same, its records are not.
    if (hint == UpdateHint::ProjectRebuilt || project != m_shown || !project ||
        project->lastBuild != m_shownBuild) {
        fillFiles(project);
        enableLists();
        m_shown = project;
        m_shownBuild = project ? project->lastBuild : std::string();
    }
    for (int i = 0; i < 9; ++i)
        m_recall[i]->setEnabled(project && project->ViewpointText(i).has_value());
}

void CControlView::onReset()
{
    m_files->clear();
    m_classes->clear();
    m_methods->clear();
    m_edit->setEnabled(false);
    m_shown = nullptr;
    m_shownBuild.clear();
}

void CControlView::enableLists()
{
    const bool on = m_shown || CurrentProject(m_frame);
    const bool city = !m_frame || m_frame->currentLayout() == 1;
    for (QComboBox* list : {m_files, m_classes, m_methods}) list->setEnabled(on && city);
}

void CControlView::fillFiles(Project* project)
{
    m_files->clear();
    m_classes->clear();
    m_methods->clear();
    if (!project || !project->stats) {
        m_edit->setEnabled(false);
        return;
    }
    ListFill files;
    files.Add("<all>", 0);
    for (const auto& file : project->stats->files)
        files.Add(file->name, reinterpret_cast<quintptr>(file.get()));
    files.ShowIn(m_files);
    m_files->setCurrentIndex(0);
    m_shown = project;
    fillClasses();
    m_edit->setEnabled(true);
}

void CControlView::fillClasses()
{
    ListFill classes;
    classes.Add("<all>", 0);
    classes.Add("<no class>", kNoClass);
    const FileStats* only = ItemRecord<FileStats>(m_files);
    if (m_shown && m_shown->stats) {
        for (const auto& file : m_shown->stats->files) {
            if (only && file.get() != only) continue;
            for (const auto& cls : file->classes)
                classes.Add(cls->name, reinterpret_cast<quintptr>(cls.get()));
        }
    }
    classes.ShowIn(m_classes);
    m_classes->setCurrentIndex(0);
    fillMethods();
}

void CControlView::fillMethods()
{
    ListFill methods;
    methods.Add("<all>", 0);
    const FileStats* only = ItemRecord<FileStats>(m_files);
    const quintptr classData = m_classes->currentData().value<quintptr>();
    const ClassStats* cls =
        classData > kNoClass ? reinterpret_cast<ClassStats*>(classData) : nullptr;
    if (m_shown && m_shown->stats) {
        for (const auto& file : m_shown->stats->files) {
            if (only && file.get() != only) continue;
            if (cls) {
                bool lists = false;
                for (const auto& own : file->classes) lists = lists || own->name == cls->name;
                if (!lists) continue;
            }
            for (const auto& method : file->methods) {
                const bool match = classData == 0 ||
                                   (classData == kNoClass && method->className.empty()) ||
                                   (cls && method->className == cls->name);
                if (match)
                    methods.Add(method->methodName, reinterpret_cast<quintptr>(method.get()));
            }
        }
    }
    methods.ShowIn(m_methods);
    m_methods->setCurrentIndex(0);
}

FilterKind CControlView::filterKind() const
{
    if (m_methods->currentIndex() > 0) return FilterKind::Method;
    if (m_classes->currentIndex() > 0) return FilterKind::Class;
    if (m_files->currentIndex() > 0) return FilterKind::File;
    return FilterKind::None;
}

void CControlView::applyFilter()
{
    const FilterKind kind = filterKind();
    const FileStats* file = ItemRecord<FileStats>(m_files);
    const quintptr classData = m_classes->currentData().value<quintptr>();
    const ClassStats* cls =
        classData > kNoClass ? reinterpret_cast<ClassStats*>(classData) : nullptr;
    const MethodStats* method = ItemRecord<MethodStats>(m_methods);
    if (m_city) {
        m_city->SetFilter(kind, file ? file->name : std::string(), cls ? cls->name : std::string(),
                          method ? method->methodName : std::string());
    }
    m_edit->setEnabled(kind != FilterKind::None);
}

void CControlView::editFile()
{
    Project* project = CurrentProject(m_frame);
    if (!project) return;
    const FileStats* file = ItemRecord<FileStats>(m_files);
    const quintptr classData = m_classes->currentData().value<quintptr>();
    if (!file && classData > kNoClass) file = reinterpret_cast<ClassStats*>(classData)->file;
    if (!file) {
        if (const MethodStats* method = ItemRecord<MethodStats>(m_methods)) file = method->file;
    }
    if (file) EditSourceFile(this, *project, file->name, file->path);
}

void CControlView::showPane(int pane)
{
    if (m_frame && m_frame->currentLayout() != pane) m_frame->layoutPanes(pane);
    const bool on = pane == 1 && CurrentProject(m_frame);
    for (QComboBox* list : {m_files, m_classes, m_methods}) list->setEnabled(on);
}

void CControlView::recordViewpoint()
{
    Project* project = CurrentProject(m_frame);
    const int n = m_viewpoint->currentIndex() + 1;
    if (!project || n < 1 || n > 9 || !m_city) return;
    const auto text = m_city->CurrentViewpoint();
    if (!text) {
        // The orbit has no place of its own to keep.
        setStatusText(QStringLiteral(
            "No viewpoint recorded: viewpoints are taken in free movement (F3 or Map)"));
        return;
    }
    project->viewpoints[n - 1] = *text;
    if (m_doc) m_doc->setModifiedFlag();
    m_recall[n - 1]->setEnabled(true);
    m_viewpoint->setCurrentIndex(n % 9);
    setStatusText(QStringLiteral("Viewpoint %1 recorded").arg(n));
}

void CControlView::setStatusText(const QString& text)
{
    if (m_frame) m_frame->setMessageText(text);
}

void CControlView::selectMethod(const MethodStats* method)
{
    if (!m_shown || !m_shown->stats) return;
    auto indexOf = [](QComboBox* list, quintptr data) {
        for (int i = 0; i < list->count(); ++i)
            if (list->itemData(i).value<quintptr>() == data) return i;
        return 0;
    };
    m_files->setCurrentIndex(method ? indexOf(m_files, reinterpret_cast<quintptr>(method->file))
                                    : 0);
    fillClasses();
    if (method) {
        m_classes->setCurrentIndex(method->cls
                                       ? indexOf(m_classes, reinterpret_cast<quintptr>(method->cls))
                                       : 1);  // "<no class>"
        fillMethods();
        m_methods->setCurrentIndex(indexOf(m_methods, reinterpret_cast<quintptr>(method)));
    }
    applyFilter();
}

void CControlView::recallViewpoint(int n)
{
    Project* project = CurrentProject(m_frame);
    if (!project || !m_city) return;
    if (const auto text = project->ViewpointText(n - 1)) m_city->MoveToViewpoint(*text);
}

void CControlView::showMap()
{
    if (m_city && m_city->IsInitialised()) m_city->ShowMap();
}

void CControlView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0, WithValue(face, 0.65));
    gradient.setColorAt(1, WithValue(face, 0.85));
    painter.fillRect(rect(), gradient);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setFont(SmallFont(m_frame));
    // Black on the usual light face; the palette's own text colour on a dark one.
    painter.setPen(face.lightness() >= 128 ? QColor(Qt::black)
                                           : palette().color(QPalette::ButtonText));
    painter.drawText(QRect(2, 6, 60, 22), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("File :"));
    painter.drawText(QRect(2, 30, 60, 22), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Class :"));
    painter.drawText(QRect(2, 54, 60, 22), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Method :"));
    painter.drawText(QRect(314, 48, 92, 22), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Viewpoint :"));
}

}  // namespace codeburg
