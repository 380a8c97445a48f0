#pragma once

#include <string>

namespace codeburg {
class Workspace;
}

namespace codeburg::cli {

// The tree as the workspace view shows it, one item per line, indented by
// two spaces per level. "title" is the workspace file's name.
void PrintWorkspaceText(const Workspace& ws, const std::string& title);
// The same tree as JSON, with every project's fields, measures and topics.
void PrintWorkspaceJson(const Workspace& ws, const std::string& title);

}  // namespace codeburg::cli
