#pragma once

#include <memory>
#include <string>

namespace codeburg {

class Folder;
struct ScoringSettings;

// The document's link to the workspace file format. The reader repairs
// missing project directories through the program's message boxes.
inline constexpr int kWorkspaceNotRecognised = -1;
inline constexpr int kWorkspaceIncomplete = -2;

// The object the document owns as its tree root.
std::unique_ptr<Folder> NewWorkspaceRoot(const ScoringSettings* settings);
// 0, Workspace::kChangedWhileReading, kWorkspaceNotRecognised when nothing of a
// workspace was found, kWorkspaceIncomplete when the reading stopped early
// (the tree holds what was read).
int ReadWorkspaceText(Folder& root, const std::string& text);
// False with "error" set when the tree cannot be written as a file.
bool WriteWorkspaceText(const Folder& root, std::string& out, std::string& error);

}  // namespace codeburg
