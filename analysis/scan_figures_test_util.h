#pragma once

// Every figure a scan sets, as one line of text per record: two scans agree
// when their texts are equal, and a test failure shows where they part.
#include <string>

#include "records/file_stats.h"

namespace codeburg::testing {

inline std::string ScanFigures(const FileStats& f)
{
    std::string text =
        "file lines " + std::to_string(f.lines) + " empty " + std::to_string(f.emptyLines) +
        " comments " + std::to_string(f.commentLines) + " asserts " + std::to_string(f.asserts) +
        " block " + std::to_string(f.blockCommentLines) + " includes " +
        std::to_string(f.includes) + " constructors " + std::to_string(f.constructors) + " sum " +
        std::to_string(f.methodElocSum) + " max " + std::to_string(f.maxMethodEloc) + " within " +
        std::to_string(f.elocWithinLimit) + " over " + std::to_string(f.elocOverLimit) + "\n";
    for (const auto& cls : f.classes) text += "class " + cls->name + "\n";
    for (const auto& m : f.methods)
        text += "method " + m->className + "::" + m->methodName + " params " +
                std::to_string(m->paramCount) + " eloc " + std::to_string(m->eloc) + " comments " +
                std::to_string(m->commentLines) + " asserts " + std::to_string(m->asserts) +
                " empty " + std::to_string(m->emptyLines) +
                (m->cls ? " in " + m->cls->name : std::string()) + "\n";
    return text;
}

}  // namespace codeburg::testing
