// star_query: the star catalog as text. Prints the stars within a radius of a point, in the
// order the game's query returns them, the groups the star map would show, and on request
// one star's system with its bodies' orbits and places at a world time.
//
//   star_query [--catalog F] [--centre X,Y,Z] [--radius LY] [--system ID] [--minutes N]
//
// Defaults: the staged game's catalog, the Sun, 12 light years, the game's starting time.
// Every number is printed from the game's own fixed-point values, so the text is the same on
// every machine. Exit 1 naming the file and the step on a catalog that cannot be used, 2 on
// a usage error.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "shell/loc.h"
#include "universe/body.h"
#include "universe/catalog3.h"
#include "universe/neighbourhood.h"
#include "universe/system.h"

using namespace vantrel;

namespace {

constexpr uint32_t MAX_STARS = 4096;
// Space units (1/4096 m) in a thousandth of an astronomical unit of 149598 Mm.
constexpr int64_t UNITS_PER_MILLI_AU = 612753408000;

// A fixed-point value with `bits` fraction bits as a decimal with `decimals` places, rounded
// half away from zero on the magnitude.
std::string decimal(int64_t value, int bits, int decimals) {
    uint64_t scale = 1;
    for (int i = 0; i < decimals; i++) scale *= 10;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : uint64_t(value);
    uint64_t whole = magnitude >> bits;
    uint64_t frac = magnitude & ((uint64_t{1} << bits) - 1);
    uint64_t half = bits > 0 ? uint64_t{1} << (bits - 1) : 0;
    uint64_t scaled = (frac * scale + half) >> bits;
    if (scaled >= scale) {
        whole++;
        scaled -= scale;
    }
    char out[48];
    if (decimals == 0)
        std::snprintf(out, sizeof out, "%s%llu", value < 0 ? "-" : "", (unsigned long long)whole);
    else
        std::snprintf(out, sizeof out, "%s%llu.%0*llu", value < 0 && (whole || scaled) ? "-" : "",
                      (unsigned long long)whole, decimals, (unsigned long long)scaled);
    return out;
}

// Space units as astronomical units with three places, rounded half away from zero.
std::string au(int64_t units) {
    int64_t milli = units / UNITS_PER_MILLI_AU;
    int64_t rest = units % UNITS_PER_MILLI_AU;
    if (2 * (rest < 0 ? -rest : rest) >= UNITS_PER_MILLI_AU) milli += units < 0 ? -1 : 1;
    int64_t m = milli < 0 ? -milli : milli;
    char out[40];
    std::snprintf(out, sizeof out, "%s%lld.%03lld", milli < 0 ? "-" : "", (long long)(m / 1000),
                  (long long)(m % 1000));
    return out;
}

struct catalog_file {
    std::string path;
    uint8_t* data = nullptr;
    mem_file memory{};
    Catalog3 catalog{};
    Catalog3Cell cells[4096];
};

int fail(const catalog_file& f, const char* step) {
    std::fprintf(stderr, "star_query: %s: %s\n", f.path.c_str(), step);
    return 1;
}

bool parse_centre(const std::string& text, fix32 out[3]) {
    double v[3];
    char tail;
    if (std::sscanf(text.c_str(), "%lf,%lf,%lf%c", &v[0], &v[1], &v[2], &tail) != 3) return false;
    for (int a = 0; a < 3; a++) {
        if (!(v[a] > -30000.0 && v[a] < 30000.0)) return false;
        out[a] = static_cast<fix32>(v[a] * 4294967296.0);
    }
    return true;
}

void print_star(const Catalog3Star& s, const fix32 centre[3], const char* name) {
    vec3 d = {static_cast<fix16>((s.pos[0] - centre[0]) >> 16),
              static_cast<fix16>((s.pos[1] - centre[1]) >> 16),
              static_cast<fix16>((s.pos[2] - centre[2]) >> 16)};
    char cls[8];
    catalog3_class_text(s.cls, s.kind, cls, sizeof cls);
    std::printf("%8u  %7s ly  %8s %8s %8s  %-5s %-7s %s\n", s.id,
                decimal(vec3_length(&d), 16, 3).c_str(), decimal(s.pos[0], 32, 3).c_str(),
                decimal(s.pos[1], 32, 3).c_str(), decimal(s.pos[2], 32, 3).c_str(), cls,
                (s.flags & CATALOG3_HAS_PLANETS) ? "planets" : "-", name);
}

void print_system(const StarSystem& system, const world_time& time) {
    static const char* const KINDS[3] = {"star", "planet", "moon"};
    space_pos at[SYSTEM_MAX_BODIES];
    system_positions(&system, &time, at);
    std::printf("system %s: %d bodies\n", system.name, system.body_count);
    std::printf("  #  kind    parent  type            radius km   orbit AU  period d     K  "
                "position AU  name\n");
    for (int32_t i = 0; i < system.body_count; i++) {
        const SystemBody& b = system.bodies[i];
        std::string parent = b.parent == 255 ? "-" : std::to_string(b.parent);
        const char* type = b.kind == SYSTEM_STAR ? "-" : loc(BODY_TYPE_MESSAGE + b.type);
        std::printf(
            "%3d  %-6s  %6s  %-14s %10s %10s %9s %5u  %s %s %s  %s\n", i, KINDS[b.kind],
            parent.c_str(), type, decimal((b.radius + 2048000) / 4096000, 0, 0).c_str(),
            b.kind == SYSTEM_STAR ? "-" : au(int64_t(b.orbit.radius)).c_str(),
            b.kind == SYSTEM_STAR ? "-"
                                  : decimal(int64_t{b.orbit.period} * 65536 / 1440, 16, 2).c_str(),
            b.temperature, au(at[i].x).c_str(), au(at[i].y).c_str(), au(at[i].z).c_str(), b.name);
    }
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"star_query: the star catalog as text"};
    static catalog_file f;
    f.path = VANTREL_GAME_DIR "/stars.catalog";
    std::string centre_text = "0,0,0";
    double radius_ly = 12.0;
    int64_t system_id = -1;
    uint32_t minutes = WORLD_TIME_START.minutes;
    app.add_option("--catalog", f.path, "Catalog file (default: the staged game's)");
    app.add_option("--centre", centre_text, "Query centre X,Y,Z in light years (default 0,0,0)");
    app.add_option("--radius", radius_ly, "Query radius in light years (default 12)")
        ->check(CLI::Range(0.0, 30000.0));
    app.add_option("--system", system_id, "Also print the system of the star with this id");
    app.add_option("--minutes", minutes, "World time in minutes since J2000 for the positions");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    fix32 centre[3];
    if (!parse_centre(centre_text, centre)) {
        std::fprintf(stderr, "star_query: --centre wants X,Y,Z in light years\n");
        return 2;
    }
    uint32_t size = 0;
    f.data = read_file(f.path.c_str(), &size);
    if (!f.data) return fail(f, "cannot be read");
    f.memory = mem_file{f.data, size};
    if (!catalog3_open(&f.catalog, mem_file_read_at, &f.memory, f.cells, 4096))
        return fail(f, "open: not a star catalog, or its index is damaged");

    static Catalog3Star stars[MAX_STARS];
    static char names[MAX_STARS][CATALOG3_STAR_NAME + 1];
    static fix16 brightness[MAX_STARS];
    static Catalog3Tag tags[64];
    static Catalog3Body bodies[256];
    static uint8_t scratch[65536];
    fix16 radius = static_cast<fix16>(radius_ly * 65536.0);
    uint32_t found = catalog3_query_radius(&f.catalog, centre, radius, stars, MAX_STARS);
    uint32_t n = found < MAX_STARS ? found : MAX_STARS;
    std::printf("%u stars within %s ly of %s\n", found, decimal(radius, 16, 2).c_str(),
                centre_text.c_str());
    for (uint32_t i = 0; i < n; i++) {
        names[i][0] = '\0';
        brightness[i] = 0;
        Catalog3SystemInfo info;
        if (stars[i].detail != CATALOG3_NO_DETAIL) {
            if (!catalog3_read_detail(&f.catalog, stars[i].detail, &info, tags, 64, bodies, 256,
                                      scratch, sizeof scratch))
                return fail(f, ("detail record " + std::to_string(stars[i].detail)).c_str());
            star_map_name(tags, info.tag_count < 64 ? info.tag_count : 64, names[i]);
            brightness[i] = info.brightness;
        }
        print_star(stars[i], centre, names[i]);
    }
    static StarGroup groups[NEIGHBOURHOOD_GROUPS];
    int32_t count = star_map_group(stars, names, brightness, int32_t(n < 96 ? n : 96), centre,
                                   groups, NEIGHBOURHOOD_GROUPS);
    std::printf("%d groups\n", count);
    for (int32_t g = 0; g < count; g++) {
        char cls[8];
        catalog3_class_text(groups[g].cls, groups[g].kind, cls, sizeof cls);
        std::printf("%7s ly  %-5s %u star%s%s  %s\n",
                    decimal(star_map_distance(&groups[g]), 16, 3).c_str(), cls, groups[g].members,
                    groups[g].members == 1 ? "" : "s", groups[g].has_planets ? ", planets" : "",
                    groups[g].name);
    }
    if (system_id >= 0) {
        uint32_t i = 0;
        while (i < n && stars[i].id != uint64_t(system_id)) i++;
        if (i == n) {
            std::fprintf(stderr, "star_query: no star %lld within the query\n",
                         (long long)system_id);
            return 2;
        }
        Catalog3SystemInfo info{};
        if (stars[i].detail != CATALOG3_NO_DETAIL &&
            !catalog3_read_detail(&f.catalog, stars[i].detail, &info, tags, 64, bodies, 256,
                                  scratch, sizeof scratch))
            return fail(f, ("detail record " + std::to_string(stars[i].detail)).c_str());
        static StarSystem system;
        int32_t count_bodies = info.body_count; // a u8: all of them were decoded
        system_from_catalog(&system, names[i], &info, bodies, count_bodies,
                            stars[i].id == 0 ? 1 : stars[i].id);
        print_system(system, world_time{minutes, 0});
    }
    read_file_free(f.data);
    return 0;
}
