// Keeps the layers true: core builds on the C++ standard library and SQLite only and knows nothing
// of its front ends; windows never talk to the database themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <utility>
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

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The libraries a target of src/CMakeLists.txt links, without the PUBLIC/PRIVATE/INTERFACE words.
std::vector<std::string> LinkedLibraries(const std::string& target)
{
    const std::string cmake = Contents(kSourceDir / "CMakeLists.txt");
    const std::regex block("target_link_libraries\\(" + target + "\\s([^)]*)\\)");
    std::vector<std::string> libraries;
    for (std::sregex_iterator it(cmake.begin(), cmake.end(), block), end; it != end; ++it) {
        for (const auto& word : Words((*it)[1].str())) {
            if (word != "PUBLIC" && word != "PRIVATE" && word != "INTERFACE") libraries.push_back(word);
        }
    }
    return libraries;
}

// The sources of a library target in src/CMakeLists.txt, with the header beside each; for an
// interface library, those of the libraries it stands for.
std::vector<std::filesystem::path> TargetFiles(const std::string& target)
{
    const std::string cmake = Contents(kSourceDir / "CMakeLists.txt");
    if (std::regex_search(cmake, std::regex("add_library\\(" + target + "\\s+INTERFACE\\)"))) {
        std::vector<std::filesystem::path> files;
        for (const auto& library : LinkedLibraries(target)) {
            const auto part = TargetFiles(library);
            files.insert(files.end(), part.begin(), part.end());
        }
        return files;
    }
    const std::regex block("add_library\\(" + target + "\\s+STATIC([^)]*)\\)");
    std::smatch match;
    if (!std::regex_search(cmake, match, block)) return {};
    std::vector<std::filesystem::path> files;
    const std::regex source(R"(([A-Za-z]+/[A-Za-z0-9_]+)\.cpp)");
    std::string sources = match[1].str();
    // The platform module's implementation is chosen per system; each system's counts.
    const std::regex platform(R"(set\(KALMORA_PLATFORM_SOURCE([^)]*)\))");
    if (sources.find("${KALMORA_PLATFORM_SOURCE}") != std::string::npos) {
        for (std::sregex_iterator it(cmake.begin(), cmake.end(), platform), end; it != end; ++it)
            sources += (*it)[1].str();
    }
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
    const std::regex projectInclude(R"re(#\s*include\s*"([^"]+)")re");
    const auto files = TargetFiles("kalmora_core");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        const std::string text = Contents(file);
        EXPECT_FALSE(std::regex_search(text, qtInclude)) << file << " includes Qt";
        for (std::sregex_iterator it(text.begin(), text.end(), projectInclude), end; it != end; ++it) {
            const std::string name = (*it)[1].str();
            const bool frontEnd = name.starts_with("app/") || name.starts_with("toolkit/") || name.starts_with("cli/");
            EXPECT_FALSE(frontEnd) << file << " includes " << name;
        }
        EXPECT_EQ(text.find("Q_OBJECT"), std::string::npos) << file;
        EXPECT_EQ(text.find("kalmora-cli"), std::string::npos) << file << " mentions the batch tool";
    }
}

TEST(Layering, WindowsRunNoSql)
{
    const std::regex engineUse(R"(sqlite3|#\s*include\s*"storage/Database\.h"|\.Prepare\(|\.Execute\(")");
    for (const char* target : {"kalmora_toolkit", "kalmora_gui"}) {
        const auto files = TargetFiles(target);
        ASSERT_FALSE(files.empty()) << target;
        for (const auto& file : files) {
            EXPECT_FALSE(std::regex_search(Contents(file), engineUse)) << file << " talks to the database itself";
        }
    }
}

TEST(Layering, ToolkitKnowsNoWindow)
{
    const std::regex windowInclude(R"re(#\s*include\s*"app/)re");
    for (const auto& file : TargetFiles("kalmora_toolkit")) {
        EXPECT_FALSE(std::regex_search(Contents(file), windowInclude)) << file << " includes a window";
    }
}

// System headers and tests for the system stay in the platform module's implementations, one per
// system; everything else calls the functions of foundation/Platform.h.
TEST(Layering, OnlyThePlatformModuleTalksToTheSystem)
{
    const std::regex systemUse(
        R"re(#\s*include\s*<(unistd|fcntl|windows|io|direct|sys/[a-z]+)\.h>|_WIN32|__linux__|__unix__|__APPLE__)re");
    auto files = TargetFiles("kalmora_core");
    const auto cli = TargetFiles("kalmora_cli");
    files.insert(files.end(), cli.begin(), cli.end());
    files.push_back(kSourceDir / "cli" / "main.cpp");
    for (const auto& file : files) {
        const std::string name = file.filename().string();
        if (name == "PlatformPosix.cpp" || name == "PlatformWindows.cpp") continue;
        EXPECT_FALSE(std::regex_search(Contents(file), systemUse)) << file << " talks to the system itself";
    }
    for (const char* platform : {"PlatformPosix.cpp", "PlatformWindows.cpp"}) {
        EXPECT_NE(std::find(files.begin(), files.end(), kSourceDir / "foundation" / platform), files.end())
            << platform << " is not the platform module of any system";
    }
}

// One folder is one layer: every source file of a folder builds into the same library.
TEST(Layering, EachFolderHoldsOneLayer)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> layers = {
        {"kalmora_foundation", {"foundation"}},
        {"kalmora_storage", {"storage"}},
        {"kalmora_scoring", {"scoring"}},
        {"kalmora_import", {"import"}},
        {"kalmora_reports", {"reports"}},
        {"kalmora_analysis", {"analysis"}},
        {"kalmora_shell", {"shell"}},
        {"kalmora_toolkit", {"toolkit"}},
        {"kalmora_gui", {"app"}},
        {"kalmora_cli", {"cli"}},
    };
    for (const auto& [target, folders] : layers) {
        const auto files = TargetFiles(target);
        ASSERT_FALSE(files.empty()) << target;
        for (const auto& file : files) {
            const std::string folder = file.parent_path().filename().string();
            EXPECT_NE(std::find(folders.begin(), folders.end(), folder), folders.end())
                << file << " builds into " << target;
        }
        for (const auto& folder : folders) {
            for (const auto& entry : std::filesystem::directory_iterator(kSourceDir / folder)) {
                if (entry.path().extension() != ".cpp") continue;
                const bool start = folder == "app" || folder == "cli";  // main.cpp and the screenshot tool
                const bool inTarget = std::find(files.begin(), files.end(), entry.path()) != files.end();
                EXPECT_TRUE(inTarget || start) << entry.path() << " is not part of " << target;
            }
        }
    }
}

// Each core folder's library names the folders it builds on; its files include no other folder's
// headers. The linker keeps calls the same way; this also covers what only headers share.
TEST(Layering, CoreFoldersIncludeOnlyWhatTheirLibraryLinks)
{
    const std::vector<std::string> folders = {"foundation", "storage",  "scoring", "import",
                                              "reports",    "analysis", "shell"};
    const std::regex projectInclude(R"re(#\s*include\s*"([a-z]+)/)re");
    for (const auto& folder : folders) {
        // The folders this one's library reaches, through the libraries it links.
        std::vector<std::string> reached = {folder};
        for (std::size_t i = 0; i < reached.size(); ++i) {
            for (const auto& library : LinkedLibraries("kalmora_" + reached[i])) {
                const std::string linked = library.substr(library.find('_') + 1);
                if (library.starts_with("kalmora_") &&
                    std::find(reached.begin(), reached.end(), linked) == reached.end())
                    reached.push_back(linked);
            }
        }
        for (const auto& file : TargetFiles("kalmora_" + folder)) {
            const std::string text = Contents(file);
            for (std::sregex_iterator it(text.begin(), text.end(), projectInclude), end; it != end; ++it) {
                const std::string included = (*it)[1].str();
                EXPECT_NE(std::find(reached.begin(), reached.end(), included), reached.end())
                    << file << " includes " << included << "/, which kalmora_" << folder << " does not link";
            }
        }
    }
}

}  // namespace
