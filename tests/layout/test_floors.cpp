// The floors of the source tree: a file may include its own floor and the floors below it,
// never one above, so each floor builds and tests without the ones on top of it.
//
//   core -> platform -> render, universe -> shell (its library part) -> the modes (flight,
//   maps, trade, scenes, arcade) -> the program assembly (shell/main.cpp, shell/game_main.cpp)
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> FOLDER_FLOORS = {
    {"core", 0},   {"platform", 1}, {"render", 2}, {"universe", 2}, {"shell", 3},
    {"flight", 4}, {"maps", 4},     {"trade", 4},  {"scenes", 4},   {"arcade", 4},
};
constexpr int ASSEMBLY_FLOOR = 5;

// The floor of a source file given by its path below the source root; -1 outside the floors.
int floor_of(const std::string& path) {
    if (path == "shell/main.cpp" || path == "shell/game_main.cpp" || path == "shell/game_main.h")
        return ASSEMBLY_FLOOR;
    auto it = FOLDER_FLOORS.find(path.substr(0, path.find('/')));
    return it == FOLDER_FLOORS.end() ? -1 : it->second;
}

TEST(Floors, NoIncludePointsUpAFloor) {
    const fs::path root = VANTREL_SOURCE_DIR;
    const std::regex include(R"re(^\s*#\s*include\s*"([a-z_]+/[^"]+)")re");
    int files = 0;
    for (const auto& folder_floor : FOLDER_FLOORS) {
        const std::string& folder = folder_floor.first;
        if (!fs::is_directory(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            std::string ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp") continue;
            std::string path = fs::relative(entry.path(), root).generic_string();
            int own = floor_of(path);
            std::ifstream in(entry.path());
            int line_no = 0;
            files++;
            for (std::string line; std::getline(in, line);) {
                line_no++;
                std::smatch m;
                if (!std::regex_search(line, m, include)) continue;
                EXPECT_LE(floor_of(m[1].str()), own)
                    << path << ":" << line_no << " includes " << m[1].str();
            }
        }
    }
    EXPECT_GT(files, 50);
}

} // namespace
} // namespace vantrel
