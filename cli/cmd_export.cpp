#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "city/city_geometry.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/comparison.h"
#include "cli/project_source.h"
#include "records/project_stats.h"
#include "report/gltf_export.h"

namespace codeburg::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: codeburg-cli export (DIR | FILE.cbb | FILE.cbw --project NAME) OUT.glb [--mode 0..3]\n"
    "           [--compare OLD.cbb]\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "codeburg-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace

int RunExport(int argc, char** argv)
{
    const auto start = std::chrono::steady_clock::now();
    const Parsed<OutputArgs> parsed =
        ParseOutputArgs("export", ToArgList(argc, argv), [](const std::string& name) {
            std::error_code ec;
            return fs::exists(name, ec);
        });
    if (!parsed.ok()) return UsageError(parsed.error);
    const OutputArgs& args = parsed.options;
    if (args.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    ProjectSource source;
    if (const int status = LoadProjectSource(args.source, args.project, source); status != 0)
        return status == 2 ? UsageError(source.usageError) : status;
    Comparison comparison;
    if (args.compare)
        if (const int status = LoadComparison(*args.compare, source, comparison); status != 0)
            return status;
    const CityGeometry geometry =
        args.compare ? ChangeGeometry(*source.stats, comparison)
                     : BuildCityGeometry(*source.stats, static_cast<DisplayMode>(args.mode));
    std::string error;
    if (WriteCityGlb(args.output, *source.stats, geometry, &error) != 0) {
        std::fprintf(stderr, "codeburg-cli: cannot write %s: %s\n", args.output.c_str(),
                     error.c_str());
        return 1;
    }
    std::error_code ec;
    const auto bytes = fs::file_size(args.output, ec);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu buildings, %zu files, %llu bytes, %.2f s\n", args.output.c_str(),
                geometry.boxes.size() + geometry.towers.size(), source.stats->files.size(),
                static_cast<unsigned long long>(ec ? 0 : bytes), seconds);
    return 0;
}

}  // namespace codeburg::cli
