// Runs the real game executable from a private copy of the game directory and collects
// what a player would see on the console, for end-to-end and golden tests.
#pragma once

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vantrel {

struct game_run {
    int exit_code = -1;
    std::string out;
    std::string err;
};

inline std::string read_text(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void write_text(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// A headless input script that starts as every player script does: a key at frame 0 ends
// the intro before its first frame, so the menu's first frame is frame 1.
inline void write_script(const std::string& path, const std::string& text) {
    write_text(path, "0 press space\n" + text);
}

// The game directories a test process copied: about 16 MB each, so they go when the process
// ends (VANTREL_KEEP_TEST_DIRS=1 keeps them for a look after a failure).
struct game_dir_registry {
    std::vector<std::string> dirs;
    ~game_dir_registry() {
        if (std::getenv("VANTREL_KEEP_TEST_DIRS")) return;
        std::error_code ignored;
        for (const std::string& dir : dirs) std::filesystem::remove_all(dir, ignored);
    }
};

inline game_dir_registry& game_dirs_made() {
    static game_dir_registry registry;
    return registry;
}

// A fresh copy of the staged game directory (the program and its data), so that each test
// has its own PROGDIR: with its own settings file and start log.
inline std::string game_dir_fresh(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::path(::testing::TempDir()) / ("vantrel-e2e-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    game_dirs_made().dirs.push_back(dir.string());
    fs::path game = fs::path(VANTREL_EXE).parent_path();
    for (const auto& entry : fs::directory_iterator(game)) {
        std::string leaf = entry.path().filename().string();
        if (leaf == "Vantrel.cfg" || leaf == "Vantrel_start.log") continue;
        fs::copy(entry.path(), dir / leaf, fs::copy_options::recursive);
    }
    return dir.string();
}

// Runs <dir>/vantrel with the arguments; extra environment entries ("NAME=value") replace
// the inherited ones of the same name.
inline game_run run_game(const std::string& dir, const std::vector<std::string>& args,
                         const std::vector<std::string>& env_overrides = {}) {
    std::string exe = dir + "/vantrel";
    std::string out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    std::vector<std::string> argv_s = {exe};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_s) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> env_s;
    for (char** e = environ; *e; e++) {
        std::string entry = *e;
        std::string key = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& o : env_overrides)
            if (o.substr(0, o.find('=')) == key) replaced = true;
        if (!replaced) env_s.push_back(entry);
    }
    env_s.insert(env_s.end(), env_overrides.begin(), env_overrides.end());
    std::vector<char*> envp;
    for (auto& e : env_s) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    game_run run;
    pid_t pid;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = read_text(out_path);
    run.err = read_text(err_path);
    return run;
}

// The environment of a machine that asks for no language but `lang`.
inline std::vector<std::string> locale_env(const std::string& lang = "C") {
    return {"LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG=" + lang};
}

// The lines of the output in which the pattern is found, in order.
inline std::vector<std::string> lines_matching(const std::string& text,
                                               const std::string& pattern) {
    std::vector<std::string> lines;
    std::regex re(pattern);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, re)) lines.push_back(line);
    return lines;
}

// The hash printed after a frame, or "" when that frame's line is missing.
inline std::string hash_at(const game_run& run, int frame) {
    std::string tag = "frame " + std::to_string(frame) + " crc32 ";
    size_t at = run.out.find(tag);
    return at == std::string::npos ? "" : run.out.substr(at + tag.size(), 8);
}

// The texts after "trace <frame>: <kind> " of every such line, in order.
inline std::vector<std::string> traced(const std::string& out, const std::string& kind) {
    std::vector<std::string> texts;
    std::regex re("^trace [0-9]+: " + kind + " (.*)$");
    std::istringstream in(out);
    std::smatch m;
    for (std::string line; std::getline(in, line);)
        if (std::regex_match(line, m, re)) texts.push_back(m[1]);
    return texts;
}

} // namespace vantrel
