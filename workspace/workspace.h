#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/folder.h"
#include "workspace/markup_parser.h"

namespace codeburg {

struct ScoringSettings;
class UserInteraction;

// The root of the tree and, at the same time, the reader of the workspace
// file. "settings" (bound to every project it creates) and "ui" (asked about
// projects whose directory is missing) are not owned and must outlive it;
// without a ui a missing directory is kept as it is, as when the user cancels
// the directory chooser.
class Workspace : public Folder, public MarkupParser {
public:
    static constexpr int kChangedWhileReading = -998;
    // Every project holds a few kilobytes even before it is built; a file
    // asking for more projects than this is not read further.
    static constexpr int kMaxProjects = 50000;

    explicit Workspace(const ScoringSettings* settings, UserInteraction* ui = nullptr);
    ~Workspace() override;

    void SetUserInteraction(UserInteraction* ui) { m_ui = ui; }
    void SetMaxProjects(int limit) { m_maxProjects = limit; }
    const ScoringSettings* settings() const { return m_settings; }

    // Empties the tree and creates the folder "Projects".
    void New();

    // Rebuilds the tree from a workspace file's bytes. 0, -998 when the repair
    // changed or dropped projects, or the stop code 1, 2 or 3 with the tree as
    // far as it was read. Incomplete() tells whether a 0 covered the whole input.
    int Read(std::string_view bytes);

    // Serialises the tree. False, with "error" naming the offending item, when
    // the tree holds something the file cannot carry (a zero byte, a value
    // over the reader's text limit, folders nested beyond its depth limit);
    // "out" is then left unchanged.
    bool Write(std::string& out, std::string* error = nullptr) const;

    // The missing-project repair, called for a project's "dir" attribute.
    void CheckDirectory(Project& project, const std::string& directory);
    void Repair(Project& project);

    // Repair state of the current Read.
    bool dropThisProject = false;
    bool dropAllMissing = false;
    bool changedWhileReading = false;
    std::string replaceOld;
    std::string replaceNew;

    // MarkupParser callbacks and the element rule demanding a "name" first.
    void ParseElement(Handle parent) override;
    Handle StartElement(Handle parent, const std::string& tag,
                        const std::string* nameValue) override;
    int EndElement(Handle element, int stopCode) override;
    int Attribute(Handle element, const std::string& name, const std::string& value) override;

private:
    struct ElementContext;

    void ResetRoot();
    Folder* EnclosingFolder(Handle parent);
    void SetProjectAttribute(Project& project, ElementContext& context, const std::string& name,
                             const std::string& value);

    const ScoringSettings* m_settings;
    UserInteraction* m_ui;
    std::vector<std::unique_ptr<ElementContext>> m_contexts;
    int m_projectsRead = 0;
    int m_maxProjects = kMaxProjects;
};

// Derives the replace rule from a missing directory and its chosen
// replacement: what remains of both after removing their longest common
// ending, compared character by character without regard to case.
void DeriveReplaceRule(std::string_view oldDirectory, std::string_view newDirectory,
                       std::string& oldPart, std::string& newPart);

// Every occurrence of "from" replaced by "to", case-sensitively; "from" empty
// leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace codeburg
