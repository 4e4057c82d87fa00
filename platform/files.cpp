// files: PROGDIR: paths and whole-file reading.
#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr size_t PATH_CAPACITY = 4096;

char g_progdir[PATH_CAPACITY];
bool g_progdir_known = false;

} // namespace

namespace {

bool is_directory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// An installed game keeps its data in a directory of its own; the portable layout keeps it
// beside the executable. The message catalogs' folder tells which is which.
bool holds_data(const char* directory) {
    char probe[PATH_CAPACITY];
    int n = std::snprintf(probe, sizeof probe, "%sCatalogs", directory);
    return n > 0 && static_cast<size_t>(n) < sizeof probe && is_directory(probe);
}

bool g_progdir_installed = false;

#ifdef VANTREL_DATA_FROM_EXE
void choose_installed_data(const char* exe_dir) {
    if (holds_data(exe_dir)) return;
    char installed[PATH_CAPACITY];
    int n = std::snprintf(installed, sizeof installed, "%s%s", exe_dir, VANTREL_DATA_FROM_EXE);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof installed || !holds_data(installed)) return;
    std::snprintf(g_progdir, sizeof g_progdir, "%s", installed);
    g_progdir_installed = true;
}
#else
void choose_installed_data(const char*) {}
#endif

} // namespace

const char* progdir() {
    if (g_progdir_known) return g_progdir;
    g_progdir_known = true;
    char exe[PATH_CAPACITY];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        std::strcpy(g_progdir, "./");
        return g_progdir;
    }
    exe[n] = '\0';
    char* slash = std::strrchr(exe, '/');
    if (slash) slash[1] = '\0';
    std::snprintf(g_progdir, sizeof g_progdir, "%s", exe);
    choose_installed_data(exe);
    return g_progdir;
}

void progdir_set(const char* directory) {
    size_t n = std::strlen(directory);
    std::snprintf(g_progdir, sizeof g_progdir, "%s%s", directory,
                  n > 0 && directory[n - 1] == '/' ? "" : "/");
    g_progdir_known = true;
    g_progdir_installed = false;
}

int progdir_path(const char* name, char* out, size_t size) {
    static constexpr char PREFIX[] = "PROGDIR:";
    int n;
    if (std::strncmp(name, PREFIX, sizeof PREFIX - 1) == 0)
        n = std::snprintf(out, size, "%s%s", progdir(), name + sizeof PREFIX - 1);
    else
        n = std::snprintf(out, size, "%s", name);
    return n >= 0 && static_cast<size_t>(n) < size;
}

int progdir_is_writable() {
    const char* dir = progdir();
    return !g_progdir_installed && access(dir, W_OK) == 0;
}

namespace {

// Makes every missing directory of path (absolute, ending in '/'), private to the player as
// the user directories are meant to be.
const char* make_directories(char* path) {
    for (char* slash = std::strchr(path + 1, '/'); slash; slash = std::strchr(slash + 1, '/')) {
        *slash = '\0';
        int made = mkdir(path, 0700);
        int error = errno;
        *slash = '/';
        if (made != 0 && error != EEXIST) return std::strerror(error);
    }
    return nullptr;
}

// The player's directory for the kind, "<base>/vantrel/"; a relative XDG value is ignored, as
// the convention asks.
const char* user_directory(user_file_kind kind, char* out, size_t size) {
    const char* xdg = std::getenv(kind == USER_CONFIG ? "XDG_CONFIG_HOME" : "XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    int n;
    if (xdg && xdg[0] == '/')
        n = std::snprintf(out, size, "%s/vantrel/", xdg);
    else if (home && home[0] == '/')
        n = std::snprintf(out, size, "%s/%s/vantrel/", home,
                          kind == USER_CONFIG ? ".config" : ".local/state");
    else
        return "no home directory";
    if (n < 0 || static_cast<size_t>(n) >= size) return "name too long";
    return nullptr;
}

const char* leaf_of(const char* name) {
    static constexpr char PREFIX[] = "PROGDIR:";
    return std::strncmp(name, PREFIX, sizeof PREFIX - 1) == 0 ? name + sizeof PREFIX - 1 : name;
}

} // namespace

const char* user_file_path(const char* name, user_file_kind kind, char* out, size_t size) {
    if (progdir_is_writable()) return progdir_path(name, out, size) ? nullptr : "name too long";
    char dir[PATH_CAPACITY];
    const char* why = user_directory(kind, dir, sizeof dir);
    if (!why) why = make_directories(dir);
    if (why) return why;
    int n = std::snprintf(out, size, "%s%s", dir, leaf_of(name));
    return n >= 0 && static_cast<size_t>(n) < size ? nullptr : "name too long";
}

uint8_t* read_user_file(const char* name, user_file_kind kind, uint32_t* out_size) {
    char dir[PATH_CAPACITY], path[PATH_CAPACITY];
    if (!progdir_is_writable() && !user_directory(kind, dir, sizeof dir)) {
        int n = std::snprintf(path, sizeof path, "%s%s", dir, leaf_of(name));
        if (n > 0 && static_cast<size_t>(n) < sizeof path) {
            uint8_t* data = read_file(path, out_size);
            if (data) return data;
        }
    }
    return read_file(name, out_size);
}

namespace {

// Why the last read_file failed: 0 when the file does not exist, an errno value, or one of
// these for files that exist but cannot be used.
constexpr int READ_NOT_REGULAR = -1;
constexpr int READ_TOO_LARGE = -2;
constexpr int READ_NAME_TOO_LONG = -3;
int g_read_error = 0;

uint8_t* read_failed(int why) {
    g_read_error = why;
    return nullptr;
}

// The size of an open file that can be read whole, or -1 with g_read_error set.
long regular_file_size(int fd) {
    struct stat st;
    int why = 0;
    if (fstat(fd, &st) != 0)
        why = errno;
    else if (!S_ISREG(st.st_mode)) // a FIFO or device would block or never end
        why = READ_NOT_REGULAR;
    else if (st.st_size > 0x7FFFFFFF) // sizes are 32-bit throughout the file formats
        why = READ_TOO_LARGE;
    if (why == 0) return static_cast<long>(st.st_size);
    g_read_error = why;
    return -1;
}

// Reads exactly `size` bytes; a file that shrank since it was measured fails.
bool read_exactly(int fd, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            read_failed(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

uint8_t* read_file(const char* path, uint32_t* out_size) {
    char full[PATH_CAPACITY];
    if (!progdir_path(path, full, sizeof full)) return read_failed(READ_NAME_TOO_LONG);
    // Opened without blocking so that a FIFO is refused below instead of waiting for a writer.
    int fd = ::open(full, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return read_failed(errno == ENOENT || errno == ENOTDIR ? 0 : errno);
    long size = regular_file_size(fd);
    uint8_t* buffer = nullptr;
    if (size >= 0) {
        buffer = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
        if (!buffer) read_failed(ENOMEM);
    }
    if (buffer && !read_exactly(fd, buffer, static_cast<size_t>(size))) {
        std::free(buffer);
        buffer = nullptr;
    }
    ::close(fd);
    if (buffer) *out_size = static_cast<uint32_t>(size);
    return buffer;
}

const char* read_file_error() {
    switch (g_read_error) {
    case 0:
        return nullptr;
    case READ_NOT_REGULAR:
        return "not a regular file";
    case READ_TOO_LARGE:
        return "too large";
    case READ_NAME_TOO_LONG:
        return "name too long";
    default:
        return std::strerror(g_read_error);
    }
}

void read_file_free(uint8_t* buffer) {
    std::free(buffer);
}

int mem_file_read(mem_file file, uint32_t offset, void* dest, uint32_t count) {
    if (offset > file.size || file.size - offset < count) return 0;
    if (count > 0) std::memcpy(dest, file.data + offset, count);
    return 1;
}

int mem_file_read_at(void* handle, uint32_t offset, void* dest, uint32_t count) {
    return mem_file_read(*static_cast<const mem_file*>(handle), offset, dest, count);
}

} // namespace vantrel
