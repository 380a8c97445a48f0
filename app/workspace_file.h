#pragma once

#include <memory>
#include <string>

namespace codeburg {

class Folder;
class UserInteraction;
struct ScoringSettings;

// The document's link to the workspace file format. The reader repairs
// missing project directories through "ui".
inline constexpr int kChangedWhileReading = -998;
inline constexpr int kWorkspaceNotRecognised = -1;

// The object the document owns as its tree root.
std::unique_ptr<Folder> NewWorkspaceRoot(const ScoringSettings* settings);
// 0, kChangedWhileReading, kWorkspaceNotRecognised when nothing of a
// workspace was found; a later syntax error keeps what was read (another
// non-zero value).
int ReadWorkspaceText(Folder& root, const std::string& text, const ScoringSettings* settings,
                      UserInteraction* ui);
std::string WriteWorkspaceText(Folder& root);

}  // namespace codeburg
