#include "records/file_stats.h"

#include <algorithm>
#include <cstdint>

#include "platform/ms_random.h"
#include "records/colour.h"

namespace codeburg {

namespace {

uint32_t DrawFileColour(MsRandom& rng)
{
    // The order of the three draws is part of every saved city: keep it.
    const int hue = rng.next() % 360;
    const double saturation = 0.5 + (rng.next() % 50) * 0.01;
    const double value = 0.7 + (rng.next() % 50) * 0.01;
    return SwapRedBlue(HsvToColor(hue, saturation, value));
}

// Sums of counters saturate: a corrupt statistics file may hold any values and
// must never make the arithmetic undefined.
void AddSaturated(int32_t& sum, int32_t value)
{
    const int64_t result = int64_t(sum) + value;
    sum = static_cast<int32_t>(std::clamp<int64_t>(result, INT32_MIN, INT32_MAX));
}

}  // namespace

float MethodStats::GreenPercent() const
{
    if (eloc == 0) return commentLines > 0 ? 100.0f : 0.0f;
    return static_cast<float>(commentLines + asserts) / static_cast<float>(eloc) * 100.0f;
}

float MethodStats::SpacingPercent() const
{
    if (eloc == 0) return 100.0f;
    return static_cast<float>(emptyLines + commentLines) / static_cast<float>(eloc) * 100.0f;
}

FileStats::FileStats(std::string fileName, int32_t limit, MsRandom& rng)
    : FileStats(std::move(fileName), limit, DrawFileColour(rng))
{
}

FileStats::FileStats(std::string fileName, int32_t limit, uint32_t fileColour)
    : methodLengthLimit(limit), name(std::move(fileName)), colour(fileColour)
{
}

MethodStats* FileStats::AddMethod(std::string_view className, std::string_view methodName,
                                  int32_t paramCount)
{
    auto method = std::make_unique<MethodStats>();
    method->className = className;
    method->methodName = methodName;
    method->paramCount = paramCount;
    method->file = this;
    method->cls = FindOrCreateClass(className);
    if (className == methodName) ++constructors;
    methods.push_back(std::move(method));
    return methods.back().get();
}

ClassStats* FileStats::FindOrCreateClass(std::string_view className)
{
    if (className.empty()) return nullptr;
    for (auto& cls : classes)
        if (cls->name == className) return cls.get();
    auto cls = std::make_unique<ClassStats>();
    cls->name = className;
    cls->file = this;
    classes.push_back(std::move(cls));
    return classes.back().get();
}

void FileStats::FinishMethod(int32_t eloc, int32_t comments, int32_t assertCount, int32_t empty)
{
    if (methods.empty()) return;
    MethodStats& m = *methods.back();
    m.eloc = eloc;
    m.commentLines = comments;
    m.asserts = assertCount;
    m.emptyLines = empty;
    AddSaturated(methodElocSum, eloc);
    maxMethodEloc = std::max(maxMethodEloc, eloc);
    if (int64_t(assertCount) + eloc > methodLengthLimit)
        AddSaturated(elocOverLimit, eloc);
    else
        AddSaturated(elocWithinLimit, eloc);
}

void FileStats::RecomputeLimitSums(int32_t limit)
{
    methodLengthLimit = limit;
    elocWithinLimit = 0;
    elocOverLimit = 0;
    for (const auto& m : methods) {
        if (m->eloc > limit)
            AddSaturated(elocOverLimit, m->eloc);
        else
            AddSaturated(elocWithinLimit, m->eloc);
    }
}

void FileStats::SortMethods()
{
    std::stable_sort(methods.begin(), methods.end(),
                     [](const auto& a, const auto& b) { return a->eloc > b->eloc; });
}

void FileStats::Clear()
{
    methods.clear();
    classes.clear();
}

float FileStats::ElocPerMethod() const
{
    if (methods.empty()) return 0.0f;
    return static_cast<float>(methodElocSum) / static_cast<float>(methods.size());
}

float FileStats::CommentPercent() const
{
    const int32_t eloc = Eloc();
    return eloc == 0 ? 0.0f : static_cast<float>(commentLines) / static_cast<float>(eloc) * 100.0f;
}

float FileStats::AssertPercent() const
{
    const int32_t eloc = Eloc();
    return eloc == 0 ? 0.0f : static_cast<float>(asserts) / static_cast<float>(eloc) * 100.0f;
}

}  // namespace codeburg
