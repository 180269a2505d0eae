#include "ui/help_file.h"

#include "kestro_version.h"
#include "platform/program_paths.h"

#include <algorithm>
#include <filesystem>

namespace kestro {

namespace {

std::string joined(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).lexically_normal().string();
}

} // namespace

std::vector<std::string> helpFileCandidates(const std::string& programFolder,
                                            const std::string& installDataDir) {
    std::vector<std::string> places;
    const auto add = [&places](const std::string& path) {
        if (std::find(places.begin(), places.end(), path) == places.end())
            places.push_back(path);
    };
    if (!programFolder.empty()) {
        add(joined(programFolder, HelpFileName));
        const auto shared = std::filesystem::path(programFolder) / ".." / "share" / "kestro";
        add(joined(shared.string(), HelpFileName));
    }
    if (!installDataDir.empty())
        add(joined(installDataDir, HelpFileName));
    return places;
}

std::vector<std::string> helpFileCandidates() {
    return helpFileCandidates(programFolder(), build::installDataDir);
}

Result<HelpFile> readHelpFile(const std::vector<std::string>& candidates) {
    std::string places;
    for (const std::string& path : candidates) {
        // readWholeFile refuses FIFOs and devices without waiting on them.
        auto content = readWholeFile(path);
        if (content)
            return HelpFile{path, std::move(content).value()};
        places += "\n" + path + " (" + failureText(content.failure().number) + ")";
    }
    std::string description = std::string("ﾍﾙﾌﾟﾌｧｲﾙ ") + HelpFileName + " が見つかりません。";
    if (!places.empty())
        description += "\n探した場所:" + places;
    return Failure{failure::FileNotFound, description, {}, 0};
}

} // namespace kestro
