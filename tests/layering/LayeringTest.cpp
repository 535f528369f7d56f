// Keeps the layers true: core builds on the C++ standard library and SQLite only and knows nothing
// of its front ends; windows never talk to the database themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kSourceDir = std::filesystem::path(KALMORA_SOURCE_DIR) / "src";

std::string Contents(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The sources of a library target in src/CMakeLists.txt, with the header beside each.
std::vector<std::filesystem::path> TargetFiles(const std::string& target)
{
    const std::string cmake = Contents(kSourceDir / "CMakeLists.txt");
    const std::regex block("add_library\\(" + target + "\\s+STATIC([^)]*)\\)");
    std::smatch match;
    if (!std::regex_search(cmake, match, block)) return {};
    std::vector<std::filesystem::path> files;
    const std::regex source(R"(([A-Za-z]+/[A-Za-z0-9_]+)\.cpp)");
    const std::string sources = match[1].str();
    for (std::sregex_iterator it(sources.begin(), sources.end(), source), end; it != end; ++it) {
        for (const char* extension : {".cpp", ".h"}) {
            const auto file = kSourceDir / ((*it)[1].str() + extension);
            if (std::filesystem::exists(file)) files.push_back(file);
        }
    }
    return files;
}

TEST(Layering, CoreIncludesNoQtAndKnowsNoFrontEnd)
{
    const std::regex qtInclude(R"(#\s*include\s*[<"]Q[A-Za-z]*[>"/])");
    // Core files may include other core files, also those beside the windows in app/.
    const std::regex projectInclude(R"re(#\s*include\s*"([^"]+)")re");
    const auto files = TargetFiles("kalmora_core");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        const std::string text = Contents(file);
        EXPECT_FALSE(std::regex_search(text, qtInclude)) << file << " includes Qt";
        for (std::sregex_iterator it(text.begin(), text.end(), projectInclude), end; it != end; ++it) {
            const std::string name = (*it)[1].str();
            const bool frontEnd = name.starts_with("app/") || name.starts_with("cli/");
            const bool isCore = std::find(files.begin(), files.end(), kSourceDir / name) != files.end();
            EXPECT_TRUE(isCore || !frontEnd) << file << " includes " << name;
        }
        EXPECT_EQ(text.find("Q_OBJECT"), std::string::npos) << file;
        EXPECT_EQ(text.find("kalmora-cli"), std::string::npos) << file << " mentions the batch tool";
    }
}

TEST(Layering, WindowsRunNoSql)
{
    const std::regex engineUse(R"(sqlite3|#\s*include\s*"storage/Database\.h"|\.Prepare\(|\.Execute\(")");
    const auto files = TargetFiles("kalmora_gui");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        EXPECT_FALSE(std::regex_search(Contents(file), engineUse)) << file << " talks to the database itself";
    }
}

}  // namespace
