#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workspace/project.h"

namespace codeburg {

// A node of the workspace tree. Projects are kept sorted by name without
// regard to case; subfolders keep their insertion order. Recursive operations
// visit the own projects first, then the subfolders, depth first.
class Folder {
public:
    explicit Folder(std::string name = {});
    virtual ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    bool expanded = false;
    std::string name;
    std::string baseDirectory;
    std::vector<std::unique_ptr<Project>> projects;
    std::vector<std::unique_ptr<Folder>> subfolders;

    // Inserts before the first project whose name compares greater without
    // regard to case; equal names go after the existing ones.
    Project* AddProject(std::unique_ptr<Project> project);
    Folder* AddSubfolder(std::unique_ptr<Folder> folder);
    bool RemoveSubfolder(const Folder* folder);
    // With queryOnly, only tests whether the subtree holds the project.
    // Otherwise deletes its statistics file and destroys it.
    bool RemoveProject(const Project* project, bool queryOnly);
    int CountProjects(bool recursive) const;
    void CollectProjects(std::vector<Project*>& out) const;
    int FolderPercent() const;
    void RescoreAll();
    void Clear();  // destroys subfolders first, then projects
};

}  // namespace codeburg
