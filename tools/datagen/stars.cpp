// stars: stars.csv and bodies.csv into the star catalog. Floating point is used here, on the
// build machine only: every value ends as an integer in the file, rounded once.
#include "tools/datagen/stars.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>
#include <set>

#include "core/hash.h"
#include "tools/datagen/csv.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

constexpr double LY_AT_ONE_MAS = 3261.56378; // distance in light years = this / parallax (mas)
constexpr double MM_PER_AU = 149597.8707;
constexpr double TWO_32 = 4294967296.0;
constexpr uint64_t MAX_STAR_ID = (1u << 24) - 1; // body ids are star id * 256 + index
constexpr uint64_t FIRST_OWN_ID = 1000000;       // ids of stars without a HIP number
constexpr uint8_t TYPE_CLASSIFY = 12;

// Body type names by code, as bodies.csv writes them.
constexpr const char* BODY_TYPES[12] = {
    "terran",     "ocean world",   "desert",    "barren rock",    "ice world", "volcanic",
    "lava world", "cloud covered", "gas giant", "pale gas giant", "ice giant", "hot Jupiter"};

// Sine and cosine of an angle in degrees, with whole quarter turns taken out exactly so that
// the stars on the axes (RA 90, Dec 90, ...) come out exactly on them.
void sincos_degrees(double degrees, double* s, double* c) {
    double quarters = std::round(degrees / 90.0);
    double rest = (degrees - quarters * 90.0) * (std::numbers::pi / 180.0);
    double rs = std::sin(rest), rc = std::cos(rest);
    switch (((int64_t(quarters) % 4) + 4) % 4) {
    case 0:
        *s = rs, *c = rc;
        break;
    case 1:
        *s = rc, *c = -rs;
        break;
    case 2:
        *s = -rs, *c = -rc;
        break;
    default:
        *s = -rc, *c = rs;
        break;
    }
}

fix32 to_fix32(double light_years) {
    return fix32(std::llround(light_years * TWO_32));
}

// Class from the first letter; white dwarfs (D) print as "D" and count as A for the class
// code, brown dwarfs (L, T, Y) print as "L/T" and count as M. Otherwise the luminosity
// class is the first roman numeral after the letter and its digits: V main sequence, IV
// subgiant, III giant, II and I (Ia, Iab, I-II) supergiant; none means main sequence.
bool spectral_codes(const std::string& s, uint8_t* cls, uint8_t* kind) {
    static const char LETTERS[] = "OBAFGKM";
    if (s.empty()) return false;
    if (s[0] == 'D') {
        *cls = 2, *kind = STAR_WHITE_DWARF;
        return true;
    }
    if (s[0] == 'L' || s[0] == 'T' || s[0] == 'Y') {
        *cls = 6, *kind = STAR_BROWN_DWARF;
        return true;
    }
    const char* at = std::strchr(LETTERS, s[0]);
    if (!at || s[0] == '\0') return false;
    *cls = uint8_t(at - LETTERS);
    *kind = STAR_MAIN_SEQUENCE;
    size_t i = 1;
    while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) i++;
    i = s.find_first_of("IV", i);
    if (i == std::string::npos) return true;
    std::string_view rest = std::string_view(s).substr(i);
    if (rest.starts_with("IV"))
        *kind = STAR_SUBGIANT;
    else if (rest.starts_with("III"))
        *kind = STAR_GIANT;
    else if (rest.starts_with("I"))
        *kind = STAR_SUPERGIANT;
    return true;
}

template <size_t N>
void copy_text(char (&out)[N], const std::string& s) {
    size_t n = std::min(s.size(), N - 1);
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
}

Catalog3Tag blank_tag(uint8_t type) {
    Catalog3Tag t{};
    t.type = type;
    t.b3 = 255; // as the reader clears a tag before decoding it
    return t;
}

Catalog3Tag text_tag(uint8_t type, const std::string& s) {
    Catalog3Tag t = blank_tag(type);
    copy_text(t.text, s);
    return t;
}

Catalog3Tag number_tag(uint8_t type, uint64_t v) {
    Catalog3Tag t = blank_tag(type);
    t.value = v;
    return t;
}

// A decimal that must be above zero (a size, a distance, a period) and at most hi.
bool positive(csv_fields& f, const char* column, bool required, double hi, double* out,
              bool* given) {
    if (!f.decimal(column, required, 0, hi, out, given)) return false;
    if (*given && *out <= 0)
        return f.fail(std::string(column) + ": " + f.raw(column) + " is not above 0");
    return true;
}

bool parse_star(csv_fields& f, catalog_entry* e) {
    uint64_t id = 0, hip = 0, hd = 0, gaia = 0;
    bool has_hip = false, has_hd = false, has_gaia = false;
    std::string name, proper, gj, spectral;
    if (!f.integer("id", true, 0, MAX_STAR_ID, &id) || !f.text("name", true, 23, &name) ||
        !f.text("proper", false, CATALOG3_TAG_TEXT, &proper) ||
        !f.text("gj", false, CATALOG3_TAG_TEXT, &gj) ||
        !f.integer("hip", false, 1, 0xFFFFFFFFu, &hip, &has_hip) ||
        !f.integer("hd", false, 1, 0xFFFFFFFFu, &hd, &has_hd) ||
        !f.integer("gaia_dr3", false, 1, UINT64_MAX, &gaia, &has_gaia))
        return false;
    // Ids: the Sun is 0, a star with a HIP number goes by it, the others by fixed numbers of
    // our own from 1000000 up, which no HIP number reaches.
    if (id != 0 && id < FIRST_OWN_ID && (!has_hip || hip != id))
        return f.fail("id: " + std::to_string(id) +
                      " is below 1000000 but not the star's HIP number");

    // Axes: x toward RA 0h Dec 0, y toward the north celestial pole, z toward RA 6h (y up, not
    // mirrored); distance from the parallax; no proper motion. The Sun sits exactly at 0.
    bool sun = id == 0;
    double ra = 0, dec = 0, parallax = 0;
    if (!f.decimal("ra", !sun, 0, 360, &ra) || !f.decimal("dec", !sun, -90, 90, &dec)) return false;
    e->star = Catalog3Star{};
    e->star.id = uint32_t(id);
    if (sun) {
        if (f.has("parallax_mas")) return f.fail("parallax_mas: the Sun (id 0) has none");
    } else {
        if (!f.decimal("parallax_mas", true, 1, 1000000, &parallax)) return false;
        double d = LY_AT_ONE_MAS / parallax, sr, cr, sd, cd;
        sincos_degrees(ra, &sr, &cr);
        sincos_degrees(dec, &sd, &cd);
        e->star.pos[0] = to_fix32(d * cd * cr);
        e->star.pos[1] = to_fix32(d * sd);
        e->star.pos[2] = to_fix32(d * cd * sr);
    }
    if (!f.text("spectral", true, 63, &spectral)) return false;
    if (!spectral_codes(spectral, &e->star.cls, &e->star.kind))
        return f.fail("spectral: '" + spectral +
                      "' does not start with O, B, A, F, G, K, M, D, L, T or Y");

    double vmag = 0, teff = 0, luminosity = 0, radius = 0;
    bool has_vmag = false, has_teff = false, has_luminosity = false, has_radius = false;
    if (!f.decimal("vmag", false, -30, 30, &vmag, &has_vmag) ||
        !f.decimal("teff_k", false, 1, 65535, &teff, &has_teff) ||
        !f.decimal("lum_sun", false, 0, 1e9, &luminosity, &has_luminosity) ||
        !positive(f, "radius_sun", false, 1000, &radius, &has_radius))
        return false;

    // Every star gets a record; its tags in a fixed order, each only when known.
    e->has_detail = true;
    e->tags.clear();
    e->bodies.clear();
    e->tags.push_back(text_tag(1, name));
    if (!proper.empty()) e->tags.push_back(text_tag(7, proper));
    if (!gj.empty()) e->tags.push_back(text_tag(9, gj));
    if (has_hip) e->tags.push_back(number_tag(4, hip));
    if (has_hd) e->tags.push_back(number_tag(5, hd));
    if (has_gaia) e->tags.push_back(number_tag(8, gaia));
    if (has_vmag) {
        // V magnitude in hundredths, offset by 30 magnitudes to stay positive.
        Catalog3Tag t = blank_tag(3);
        t.value = uint64_t(std::llround(vmag * 100) + 3000);
        t.b3 = 0;
        e->tags.push_back(t);
    }

    e->info = Catalog3SystemInfo{};
    e->info.tag_count = uint8_t(e->tags.size());
    e->info.temperature = has_teff ? uint16_t(std::llround(teff)) : 0;
    // Brightness in 1/256 of the Sun's: a known but faint star keeps the smallest step, since
    // 0 means "not recorded"; the brightest saturate. The reader widens it by 256 to fix16.
    if (has_luminosity) {
        int64_t steps = std::clamp<int64_t>(std::llround(luminosity * 256), 1, 0xFFFF);
        e->info.brightness = fix16(steps << 8);
    }
    // Radius in 1/64 solar radius, widened by 1024 when read; a white dwarf smaller than half
    // a step keeps one step, as 0 means "not recorded".
    if (has_radius) e->info.radius = fix16(std::max<int64_t>(std::llround(radius * 64), 1) << 10);
    copy_text(e->info.name, name);
    return true;
}

struct body_key {
    uint32_t star;
    std::string name;
};

bool parse_body(csv_fields& f, const std::vector<body_key>& all_rows, size_t row_index,
                const std::map<uint32_t, size_t>& star_index, std::vector<catalog_entry>* entries) {
    uint64_t star_id = 0;
    std::string name, kind, parent, type;
    if (!f.integer("star", true, 0, MAX_STAR_ID, &star_id)) return false;
    auto found = star_index.find(uint32_t(star_id));
    if (found == star_index.end())
        return f.fail("star: unknown star id " + std::to_string(star_id));
    catalog_entry& e = (*entries)[found->second];
    if (!f.text("name", true, CATALOG3_BODY_NAME, &name) || !f.text("kind", true, 31, &kind) ||
        !f.text("parent", false, CATALOG3_BODY_NAME, &parent) || !f.text("type", false, 31, &type))
        return false;
    if (kind != "planet" && kind != "moon")
        return f.fail("kind: '" + kind + "' is neither planet nor moon");
    bool moon = kind == "moon";
    if (e.bodies.size() >= size_t(STARS_MAX_BODIES))
        return f.fail("star " + std::to_string(star_id) + " has more than " +
                      std::to_string(STARS_MAX_BODIES) + " bodies");
    for (const Catalog3Body& b : e.bodies)
        if (name == b.name)
            return f.fail("name: '" + name + "' is already a body of star " +
                          std::to_string(star_id));

    // A moon names its planet, which must come earlier in the file, under the same star.
    uint8_t parent_index = 255;
    if (!moon && !parent.empty()) return f.fail("parent: a planet has none");
    if (moon) {
        if (parent.empty()) return f.fail("parent: missing");
        for (size_t i = 0; i < e.bodies.size() && parent_index == 255; i++)
            if (parent == e.bodies[i].name) {
                if (e.bodies[i].kind == 1) return f.fail("parent: '" + parent + "' is a moon");
                parent_index = uint8_t(i);
            }
        if (parent_index == 255) {
            for (size_t r = row_index + 1; r < all_rows.size(); r++)
                if (all_rows[r].star == star_id && all_rows[r].name == parent)
                    return f.fail("parent: '" + parent + "' comes later in the file");
            for (size_t r = 0; r < all_rows.size(); r++)
                if (all_rows[r].name == parent)
                    return f.fail("parent: '" + parent + "' belongs to another star");
            return f.fail("parent: no body '" + parent + "' of star " + std::to_string(star_id));
        }
    }
    uint8_t type_code = TYPE_CLASSIFY; // unnamed: the game classifies the body
    if (!type.empty()) {
        const auto* t = std::find(std::begin(BODY_TYPES), std::end(BODY_TYPES), type);
        if (t == std::end(BODY_TYPES)) return f.fail("type: '" + type + "' is not a body type");
        type_code = uint8_t(t - std::begin(BODY_TYPES));
    }

    // Semi-major axis in megametres: given in AU (1 AU = 149597.8707 Mm) or in km, below the
    // 2^31 Mm the game takes.
    double a_au = 0, a_km = 0, period = 0;
    bool has_au = false, has_km = false;
    if (!positive(f, "a_au", false, 14355, &a_au, &has_au) ||
        !positive(f, "a_km", false, 2147483647000.0, &a_km, &has_km))
        return false;
    if (has_au == has_km)
        return f.fail(has_au ? "a_au and a_km: give one of them, not both" : "a_au: missing");
    double mm = has_au ? a_au * MM_PER_AU : a_km / 1000;
    bool has_period = false;
    if (!positive(f, "period_d", true, 2982616, &period, &has_period)) return false;

    double inclination = 0, node = 0, longitude = 0, mass = 0, radius = 0, temperature = 0,
           tilt = 0, rotation = 0;
    bool has_inclination = false, has_node = false, has_longitude = false, has_mass = false,
         has_radius = false, has_temperature = false, has_tilt = false, has_rotation = false;
    uint64_t ring = 0;
    if (!f.decimal("incl_deg", false, 0, 180, &inclination, &has_inclination) ||
        !f.decimal("node_deg", false, -360, 360, &node, &has_node) ||
        !f.decimal("mean_lon_deg", false, -360, 360, &longitude, &has_longitude) ||
        !positive(f, "mass_earth", false, 1e9, &mass, &has_mass) ||
        !positive(f, "radius_km", false, 1e9, &radius, &has_radius) ||
        !f.decimal("temp_k", false, 1, 65535, &temperature, &has_temperature) ||
        !f.integer("ring", false, 1, 1, &ring) ||
        !f.decimal("tilt_deg", false, 0, 180, &tilt, &has_tilt) ||
        !f.decimal("rotation_h", false, -35791394, 35791394, &rotation, &has_rotation))
        return false;

    Catalog3Body b{};
    size_t index = e.bodies.size();
    // Body ids: the star's id * 256 + the body's 1-based place among the star's bodies.
    b.id = uint32_t(star_id) * 256 + uint32_t(index + 1);
    b.kind = moon ? 1 : 0;
    b.parent = parent_index;
    b.type = type_code;
    copy_text(b.name, name);
    // An orbit or a period that rounds to 0 would mark the body unused: keep the least step.
    b.orbit_mm = uint64_t(std::max<long long>(std::llround(mm * TWO_32), 1));
    b.period = uint32_t(std::max<long long>(std::llround(period * 1440), 1));
    if (has_inclination) {
        b.inclination = uint8_t(std::llround(inclination * 255 / 180));
        b.flags |= CATALOG3_INCLINATION_GIVEN;
    }
    if (has_node) {
        b.node = uint8_t(((std::llround(node * 256 / 360) % 256) + 256) % 256);
        b.flags |= CATALOG3_NODE_GIVEN;
    }
    // Phase at minute 0 (J2000.0), counted from the node as stored, in 2^16 steps of a turn:
    // the high byte goes to bits 24-31 and the low byte to bits 16-23. Without a mean
    // longitude the body gets a fixed place of its own from its ids.
    uint32_t p;
    if (has_longitude) {
        double phase = longitude - b.node * 360.0 / 256;
        p = uint32_t(((std::llround(phase / 360 * 65536) % 65536) + 65536) % 65536);
    } else {
        const uint64_t words[2] = {b.id, hash_tag("PHASE")};
        p = uint32_t(hash_fold(star_id, words, 2) >> 48);
    }
    b.phase_high = uint8_t(p >> 8);
    b.phase_low = uint16_t(p & 0xFF);
    if (ring) b.flags |= CATALOG3_RING;
    // Mass code 96 + 32 log10(Earth masses), radius code 150 + 50 log10(Earth radii), both
    // clamped to 1..255 so that a known value never reads as "not recorded".
    if (has_mass) {
        b.mass_code =
            uint8_t(std::clamp<long long>(std::llround(96 + 32 * std::log10(mass)), 1, 255));
        b.mass = CATALOG3_MASS_EARTH[b.mass_code];
    }
    if (has_radius) {
        b.radius_code = uint8_t(
            std::clamp<long long>(std::llround(150 + 50 * std::log10(radius / 6371)), 1, 255));
        b.radius = CATALOG3_RADIUS_EARTH[b.radius_code];
    }
    if (has_temperature) b.temperature = uint16_t(std::llround(temperature));
    // Axial tilt in 255ths of half a turn; 255 means none, so a tilt of 180 keeps 254.
    b.tilt = has_tilt ? uint8_t(std::min<long long>(std::llround(tilt * 255 / 180), 254)) : 255;
    // Spin: the rotation period in minutes, negative for retrograde, 0 not known.
    if (has_rotation) b.spin = int32_t(std::llround(rotation * 60));

    e.bodies.push_back(b);
    e.info.body_count = uint8_t(e.bodies.size());
    e.star.flags |= CATALOG3_HAS_PLANETS; // any body row counts as a known planet
    return true;
}

} // namespace

bool stars_parse(std::string_view stars_csv, const std::string& stars_path,
                 std::string_view bodies_csv, const std::string& bodies_path,
                 std::vector<catalog_entry>* out, std::string* error) {
    csv_table stars, bodies;
    if (!csv_read(stars_csv, stars_path, STARS_HEADER, &stars, error) ||
        !csv_read(bodies_csv, bodies_path, BODIES_HEADER, &bodies, error))
        return false;
    out->clear();
    std::map<uint32_t, size_t> star_index;
    std::set<std::array<int64_t, 3>> cells;
    for (const csv_row& row : stars.rows) {
        csv_fields f(stars, row);
        catalog_entry e{};
        if (!parse_star(f, &e)) {
            *error = f.error();
            return false;
        }
        auto [at, fresh] = star_index.emplace(e.star.id, out->size());
        if (!fresh) {
            f.fail("duplicate star id " + std::to_string(e.star.id) + " (first on line " +
                   std::to_string(stars.rows[at->second].line) + ")");
            *error = f.error();
            return false;
        }
        // Cells of 16 sectors of 4 ly: position >> (32 + 2) >> 4. The game keeps room for 64.
        std::array<int64_t, 3> cell{e.star.pos[0] >> 38, e.star.pos[1] >> 38, e.star.pos[2] >> 38};
        if (cells.insert(cell).second && cells.size() > STARS_MAX_CELLS) {
            f.fail("the star is in a coarse cell beyond the " + std::to_string(STARS_MAX_CELLS) +
                   " the catalog may have");
            *error = f.error();
            return false;
        }
        out->push_back(std::move(e));
    }

    std::vector<body_key> keys;
    for (const csv_row& row : bodies.rows) {
        csv_fields f(bodies, row);
        // Only to tell a later parent from a missing one: a malformed star id is reported
        // when its own row is read.
        uint32_t star = 0;
        const std::string& s = f.raw("star");
        std::from_chars(s.data(), s.data() + s.size(), star);
        keys.push_back(body_key{star, f.raw("name")});
    }
    for (size_t r = 0; r < bodies.rows.size(); r++) {
        csv_fields f(bodies, bodies.rows[r]);
        if (!parse_body(f, keys, r, star_index, out)) {
            *error = f.error();
            return false;
        }
    }
    return true;
}

bool stars_catalog_bytes(std::string_view stars_csv, const std::string& stars_path,
                         std::string_view bodies_csv, const std::string& bodies_path,
                         std::vector<uint8_t>* out, std::string* error) {
    std::vector<catalog_entry> entries;
    if (!stars_parse(stars_csv, stars_path, bodies_csv, bodies_path, &entries, error)) return false;
    std::string why;
    if (!catalog3_write(STARS_SCALE, entries, out, &why)) {
        *error = stars_path + ": " + why;
        return false;
    }
    return true;
}

bool generate_stars(const asset_context& c) {
    std::string stars_path = c.assets_dir + "/universe/stars.csv";
    std::string bodies_path = c.assets_dir + "/universe/bodies.csv";
    std::string stars, bodies, error;
    std::vector<uint8_t> bytes;
    if (!read_text(stars_path, &stars) || !read_text(bodies_path, &bodies)) return false;
    if (!stars_catalog_bytes(stars, stars_path, bodies, bodies_path, &bytes, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return write_file(c.out_dir + "/stars.catalog", bytes);
}

} // namespace vantrel::datagen
