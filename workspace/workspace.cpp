#include "workspace/workspace.h"

#include <algorithm>

#include "platform/path_util.h"
#include "workspace/markup_writer.h"

namespace codeburg {

// What an open element of the file stands for: 1 the root, 2 a folder,
// 3 a project, 0 an unknown element (attached to the enclosing folder).
struct Workspace::ElementContext {
    int kind = 0;
    Folder* folder = nullptr;    // kinds 0, 1, 2
    Project* project = nullptr;  // kind 3
    bool drop = false;           // kind 3: remove at the end tag
};

namespace {

// AddProject's rule on a folder that is sorted, as every folder is while it
// is being read: the same position, found without comparing every name, so
// that a file of many projects does not take quadratic time.
Project* AddSorted(Folder& folder, std::unique_ptr<Project> project)
{
    project->parent = &folder;
    const auto greater = std::upper_bound(
        folder.projects.begin(), folder.projects.end(), project->name,
        [](const std::string& name, const auto& p) { return CompareNoCase(name, p->name) < 0; });
    return folder.projects.insert(greater, std::move(project))->get();
}

// The integer value of a text as atoi reads it, reduced to the only question
// asked of it: is it non-zero? Never overflows, whatever the digits.
bool NonZeroInteger(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (text[i] != '0') return true;
    return false;
}

}  // namespace

Workspace::Workspace(const ScoringSettings* settings, UserInteraction* ui)
    : m_settings(settings), m_ui(ui)
{
}

Workspace::~Workspace() = default;

// The folder that elements nested in the element "parent" belong to.
Folder* Workspace::EnclosingFolder(Handle parent)
{
    if (!parent) return this;
    const auto* context = static_cast<const ElementContext*>(parent);
    if (context->kind == 3) return context->project->parent ? context->project->parent : this;
    return context->folder;
}

// The root's own name, flag and directory are written but never read back,
// so a reused workspace starts from them empty whether it is new or read.
void Workspace::ResetRoot()
{
    Clear();
    name.clear();
    expanded = false;
    baseDirectory.clear();
}

void Workspace::New()
{
    ResetRoot();
    AddSubfolder(std::make_unique<Folder>("Projects"));
}

int Workspace::Read(std::string_view bytes)
{
    ResetRoot();
    m_contexts.clear();
    dropThisProject = false;
    dropAllMissing = false;
    changedWhileReading = false;
    replaceOld.clear();
    replaceNew.clear();
    m_projectsRead = 0;
    const int result = Parse(bytes);
    m_contexts.clear();
    if (result == 0 && changedWhileReading) return kChangedWhileReading;
    return result;
}

void Workspace::ParseElement(Handle parent)
{
    if (token() != MarkupToken::TagOpen) return SetError(MarkupError::Syntax);
    if (!NextToken()) return;
    if (!IsNameToken()) return SetError(MarkupError::Syntax);
    const std::string tag = TokenText();
    if (!NextToken()) return;
    if (!IsNameToken() || !EqualsNoCase(TokenText(), "name"))
        return SetError(MarkupError::FirstAttributeNotName);
    if (!NextToken()) return;
    if (token() != MarkupToken::Equals) return SetError(MarkupError::Syntax);
    // Not in value mode: an unquoted name ends at the first non-name character.
    if (!NextToken()) return;
    if (!IsValueToken()) return SetError(MarkupError::Syntax);
    const std::string value = TokenText();
    if (!NextToken()) return;
    FinishElement(StartElement(parent, tag, &value), tag);
}

MarkupParser::Handle Workspace::StartElement(Handle parent, const std::string& tag,
                                             const std::string* nameValue)
{
    auto context = std::make_unique<ElementContext>();
    const std::string name = nameValue ? *nameValue : std::string();
    if (EqualsNoCase(tag, "workspace")) {
        context->kind = 1;
        context->folder = this;
    } else if (EqualsNoCase(tag, "folder")) {
        // A folder outside the workspace element, or inside a project, joins
        // the nearest folder rather than being lost.
        Folder* owner = EnclosingFolder(parent);
        context->kind = 2;
        context->folder = owner->AddSubfolder(std::make_unique<Folder>(name));
    } else if (EqualsNoCase(tag, "project")) {
        if (m_projectsRead >= m_maxProjects) {
            StopAtLimit("more than " + std::to_string(m_maxProjects) + " projects");
            return nullptr;
        }
        ++m_projectsRead;
        Folder* owner = EnclosingFolder(parent);
        context->kind = 3;
        context->project = AddSorted(*owner, std::make_unique<Project>(m_settings, owner, name));
        dropThisProject = false;
    } else if (parent) {
        context->kind = 0;
        context->folder = EnclosingFolder(parent);
    } else {
        return nullptr;
    }
    m_contexts.push_back(std::move(context));
    return m_contexts.back().get();
}

int Workspace::Attribute(Handle element, const std::string& name, const std::string& value)
{
    auto* context = static_cast<ElementContext*>(element);
    if (context->kind == 2) {
        if (EqualsNoCase(name, "expanded"))
            context->folder->expanded = NonZeroInteger(value);
        else if (EqualsNoCase(name, "dir"))
            context->folder->baseDirectory = value;
    } else if (context->kind == 3) {
        SetProjectAttribute(*context->project, *context, name, value);
    }
    return 0;
}

void Workspace::SetProjectAttribute(Project& project, ElementContext& context,
                                    const std::string& name, const std::string& value)
{
    if (EqualsNoCase(name, "dir")) {
        project.directory = value;
        CheckDirectory(project, value);
        // The flag belongs to the project being read; keeping it in the
        // context also survives a project element nested in another.
        context.drop = context.drop || dropThisProject;
    } else if (EqualsNoCase(name, "exsubdir")) {
        project.excludedDirs = value;
    } else if (EqualsNoCase(name, "exfiles")) {
        project.excludedFiles = value;
    } else if (EqualsNoCase(name, "ext")) {
        project.extensions = value;
    } else if (EqualsNoCase(name, "lastbuild")) {
        project.lastBuild = value;
    } else if (EqualsNoCase(name, "dev")) {
        project.developer = value;
    } else if (EqualsNoCase(name, "methods")) {
        // A rule this version does not know keeps the default.
        project.methods = ParseMethodRule(value).value_or(MethodRule::Classic);
    } else if (EqualsNoCase(name, "expanded")) {
        project.expanded = NonZeroInteger(value);
    } else if (EqualsNoCase(name, "vp")) {
        // Slots past the ninth have nowhere to go and are ignored.
        if (project.viewpointCount < Project::kViewpointSlots)
            project.viewpoints[project.viewpointCount++] = value;
    }
}

int Workspace::EndElement(Handle element, int)
{
    auto* context = static_cast<ElementContext*>(element);
    if (context->kind == 3) {
        Project* project = context->project;
        if (context->drop) {
            if (project->parent) project->parent->RemoveProject(project, false);
            changedWhileReading = true;
        } else {
            project->LoadStatistics();  // a missing or unreadable file leaves it empty
        }
        dropThisProject = false;
    }
    const auto it = std::find_if(m_contexts.begin(), m_contexts.end(),
                                 [&](const auto& c) { return c.get() == context; });
    if (it != m_contexts.end()) m_contexts.erase(it);
    return 0;
}

// ---- writing ----

namespace {

// The file has no escaping of its own, but every reader decodes the five
// entities in quoted values. Encoding the double quote, and an "&" that would
// otherwise be read as the start of an entity, makes every value read back
// exactly while leaving all other values byte for byte as they always were.
std::string EncodeValue(std::string_view value)
{
    static constexpr std::string_view kEntities[] = {"amp;", "apos;", "quot;", "lt;", "gt;"};
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            out += "&quot;";
        } else if (c == '&' &&
                   std::any_of(std::begin(kEntities), std::end(kEntities), [&](std::string_view e) {
                       return value.substr(i + 1, e.size()) == e;
                   })) {
            out += "&amp;";
        } else {
            out += c;
        }
    }
    return out;
}

struct ValueCheck {
    std::string* error;

    bool operator()(const char* kind, const std::string& owner, const char* attribute,
                    const std::string& value) const
    {
        std::string problem;
        if (value.find('\0') != std::string::npos)
            problem = "contains a zero byte";
        else if (EncodeValue(value).size() > MarkupLexer::kMaxText)
            problem = "is longer than " + std::to_string(MarkupLexer::kMaxText) + " bytes";
        if (problem.empty()) return true;
        if (error)
            *error = std::string("cannot save ") + kind + " '" + owner + "': its " + attribute +
                     " " + problem;
        return false;
    }
};

bool CheckProject(const Project& p, const ValueCheck& check)
{
    if (!check("project", p.name, "name", p.name) ||
        !check("project", p.name, "dir", p.directory) ||
        !check("project", p.name, "exsubdir", p.excludedDirs) ||
        !check("project", p.name, "exfiles", p.excludedFiles) ||
        !check("project", p.name, "ext", p.extensions) ||
        !check("project", p.name, "lastbuild", p.lastBuild) ||
        !check("project", p.name, "dev", p.developer))
        return false;
    for (const std::string& vp : p.viewpoints)
        if (!check("project", p.name, "vp", vp)) return false;
    return true;
}

// "depth" counts the open elements the reader will hold inside this folder.
bool CheckFolder(const Folder& folder, size_t depth, const ValueCheck& check, std::string* error)
{
    if (depth + 1 > MarkupParser::kMaxDepth) {
        if (error)
            *error = "cannot save folder '" + folder.name + "': folders nested deeper than " +
                     std::to_string(MarkupParser::kMaxDepth - 2) + " levels";
        return false;
    }
    if (!check("folder", folder.name, "name", folder.name) ||
        !check("folder", folder.name, "dir", folder.baseDirectory))
        return false;
    for (const auto& project : folder.projects)
        if (!CheckProject(*project, check)) return false;
    for (const auto& sub : folder.subfolders)
        if (!CheckFolder(*sub, depth + 1, check, error)) return false;
    return true;
}

void WriteHead(MarkupWriter& w, const char* tag, const Folder& folder)
{
    w.WriteLine("<%s %s=\"%s\"", tag, "name", EncodeValue(folder.name).c_str());
    w.WriteLine(" %s=\"%d\"", "expanded", folder.expanded ? 1 : 0);
    w.WriteLine(" %s=\"%s\"", "dir", EncodeValue(folder.baseDirectory).c_str());
    w.WriteLine(">");
}

void WriteText(MarkupWriter& w, const char* attribute, const std::string& value)
{
    w.WriteLine(" %s=\"%s\"", attribute, EncodeValue(value).c_str());
}

void WriteProject(MarkupWriter& w, const Project& p)
{
    w.WriteLine("<%s %s=\"%s\"", "project", "name", EncodeValue(p.name).c_str());
    w.WriteLine(" %s=\"%d\"", "expanded", p.expanded ? 1 : 0);
    WriteText(w, "dir", p.directory);
    WriteText(w, "exsubdir", p.excludedDirs);
    WriteText(w, "exfiles", p.excludedFiles);
    WriteText(w, "ext", p.extensions);
    WriteText(w, "lastbuild", p.lastBuild);
    WriteText(w, "dev", p.developer);
    // Only where it differs from the default, so that the files of classic
    // projects stay as they always were.
    if (p.methods != MethodRule::Classic)
        WriteText(w, "methods", std::string(MethodRuleName(p.methods)));
    for (const std::string& vp : p.viewpoints) WriteText(w, "vp", vp);
    w.WriteLine(" />");
}

void WriteFolder(MarkupWriter& w, const Folder& folder)
{
    WriteHead(w, "folder", folder);
    w.Indent();
    for (const auto& project : folder.projects) WriteProject(w, *project);
    for (const auto& sub : folder.subfolders) WriteFolder(w, *sub);
    w.Outdent();
    w.WriteLine("</%s>", "folder");
}

}  // namespace

bool Workspace::Write(std::string& out, std::string* error) const
{
    const ValueCheck check{error};
    // The root is the workspace element; a project of a top-level folder is
    // the third open element.
    if (!CheckFolder(*this, 1, check, error)) return false;
    if (CountProjects(true) > m_maxProjects) {
        if (error)
            *error = "cannot save more than " + std::to_string(m_maxProjects) +
                     " projects in one workspace";
        return false;
    }

    std::string text;
    MarkupWriter w(text);
    WriteHead(w, "workspace", *this);
    w.Indent();
    for (const auto& sub : subfolders) WriteFolder(w, *sub);
    for (const auto& project : projects) WriteProject(w, *project);
    w.Outdent();
    w.WriteLine("</%s>", "workspace");
    out = std::move(text);
    return true;
}

}  // namespace codeburg
