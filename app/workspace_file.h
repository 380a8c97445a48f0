#pragma once

#include <memory>
#include <string>

namespace codeburg {

class Folder;
struct ScoringSettings;

// The document's link to the workspace file format. The reader repairs
// missing project directories through the program's message boxes.
inline constexpr int kChangedWhileReading = -998;
inline constexpr int kWorkspaceNotRecognised = -1;

// The object the document owns as its tree root.
std::unique_ptr<Folder> NewWorkspaceRoot(const ScoringSettings* settings);
// 0, kChangedWhileReading, kWorkspaceNotRecognised when nothing of a
// workspace was found; a later syntax error keeps what was read (another
// non-zero value).
int ReadWorkspaceText(Folder& root, const std::string& text);
// False with "error" set when the tree cannot be written as a file.
bool WriteWorkspaceText(const Folder& root, std::string& out, std::string& error);

}  // namespace codeburg
