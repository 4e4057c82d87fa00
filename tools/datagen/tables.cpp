// tables: equipment.txt and commodities.txt into the game's two table files. Every number is
// read exactly from its digits and rounded once, so the bytes depend neither on the build
// machine's floating point nor on its locale.
#include "tools/datagen/tables.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "core/save.h"
#include "shell/catalog_amiga.h"
#include "tools/datagen/datagen.h"
#include "trade/equipment.h"

namespace vantrel::datagen {

namespace {

// Text field widths, the terminating NUL included.
constexpr size_t ID_FIELD = 16, NAME_FIELD = 24, MODEL_FIELD = 16;
// Tonnages stay below 32768 so that the fix16 the game keeps them in is never negative; six
// decimals already resolve finer than a fix16 step (1/65536 t).
constexpr uint64_t MAX_TONNES = 32767;
constexpr size_t MAX_DECIMALS = 6;
constexpr uint32_t MAX_PYLONS = 12; // the hull model carries pylon nodes 0-11
constexpr uint32_t MAX_KIND = 5;    // 0 weapon ... 4 sensor, 5 pylon store
constexpr uint32_t MAX_LIGHTS = 4;  // one of the five livery blocks
constexpr uint32_t MAX_CLASS = 2;   // 2 = contraband, the highest class the cargo page knows

// Store types by their byte (the item's kept byte); "-" for items that are not stores.
constexpr const char* STORE_NAMES[] = {"-", "ir", "radar", "bomb"};
// Item flags by bit.
constexpr const char* FLAG_NAMES[] = {"autorefuel", "cabin"};
static_assert(ITEM_AUTOREFUEL == 1 && ITEM_CABIN == 2, "FLAG_NAMES follows the flag bits");
static_assert(STORE_IR == 1 && STORE_RADAR == 2 && STORE_BOMB == 3, "STORE_NAMES follows them");

struct section_layout {
    const char* name;
    std::vector<const char*> columns; // as messages name them
    size_t max_records;
};

const section_layout HULLS = {
    "hulls", {"id", "czech", "english", "model", "hold", "tank", "pylons"}, TABLES_MAX_HULLS};
const section_layout ITEMS = {"items",
                              {"id", "czech", "english", "model", "kind", "store", "flags", "mass"},
                              TABLES_MAX_ITEMS};
const section_layout PAINTS = {
    "paints", {"id", "czech", "english", "main", "accent", "lights"}, TABLES_MAX_PAINTS};
const section_layout GOODS = {"goods", {"id", "czech", "english", "class"}, TABLES_MAX_GOODS};

struct record {
    int line; // 1-based
    std::vector<std::string> fields;
};

std::string message(const std::string& path, int line, const std::string& reason) {
    return path + ":" + std::to_string(line) + ": " + reason;
}

std::string in_quotes(const std::string& s) {
    return "'" + s + "'";
}

std::vector<std::string> split_columns(std::string_view line) {
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        size_t bar = line.find('|', start);
        fields.emplace_back(line.substr(start, bar - start));
        if (bar == std::string_view::npos) return fields;
        start = bar + 1;
    }
}

// The records of each section in layouts, in file order. Every section must appear exactly
// once; blank lines and lines starting with '#' are passed over.
bool read_sections(std::string_view text, const std::string& path,
                   const std::vector<const section_layout*>& layouts,
                   std::vector<std::vector<record>>* out, std::string* error) {
    out->assign(layouts.size(), {});
    std::vector<int> opened(layouts.size(), 0); // the line of each section's header
    int current = -1, line_number = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        line_number++;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
            continue;
        auto fail = [&](const std::string& reason) {
            *error = message(path, line_number, reason);
            return false;
        };
        if (line.front() == '[') {
            current = -1;
            for (size_t s = 0; s < layouts.size(); s++)
                if (line == "[" + std::string(layouts[s]->name) + "]") current = int(s);
            if (current < 0) return fail("unknown section " + in_quotes(std::string(line)));
            if (opened[current])
                return fail("a second " + std::string(line) + " section (the first is on line " +
                            std::to_string(opened[current]) + ")");
            opened[current] = line_number;
            continue;
        }
        if (current < 0) return fail("a record before the first section");
        const section_layout& layout = *layouts[current];
        record r{line_number, split_columns(line)};
        if (r.fields.size() != layout.columns.size())
            return fail("expected " + std::to_string(layout.columns.size()) + " columns, found " +
                        std::to_string(r.fields.size()));
        for (size_t i = 0; i < r.fields.size(); i++) {
            const std::string& f = r.fields[i];
            std::string column = layout.columns[i];
            if (f.empty()) return fail(column + ": empty (write - for none)");
            if (f.front() == ' ' || f.back() == ' ')
                return fail(column + ": " + in_quotes(f) + " begins or ends with a space");
            if (f.find('\t') != std::string::npos)
                return fail(column + ": " + in_quotes(f) + " holds a tab");
        }
        if ((*out)[current].size() == layout.max_records)
            return fail("more than " + std::to_string(layout.max_records) + " " + layout.name);
        (*out)[current].push_back(std::move(r));
    }
    for (size_t s = 0; s < layouts.size(); s++)
        if (!opened[s]) {
            *error = message(path, std::max(line_number, 1),
                             "no [" + std::string(layouts[s]->name) + "] section");
            return false;
        }
    return true;
}

// The fields of one record by column; each reader returns false with the first fault kept
// as "<file>:<line>: <column>: <reason>".
class record_fields {
  public:
    record_fields(const std::string& path, const section_layout& layout, const record& r)
        : path_(path), layout_(layout), record_(r) {}

    const std::string& field(size_t col) const { return record_.fields[col]; }
    int line() const { return record_.line; }
    const std::string& error() const { return error_; }

    bool fail(size_t col, const std::string& reason) {
        error_ = message(path_, record_.line, std::string(layout_.columns[col]) + ": " + reason);
        return false;
    }

    // Ids and model names are lookup and file names, so they keep to one spelling.
    bool id(size_t col, std::string* out) {
        const std::string& s = field(col);
        if (s == "-") return fail(col, "required");
        for (char c : s)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
                return fail(col, in_quotes(s) + " may hold only a-z, 0-9 and _");
        if (s.size() >= ID_FIELD) return fail(col, in_quotes(s) + " is longer than 15 bytes");
        *out = s;
        return true;
    }

    // "-" for none; otherwise an id-like name that has_model (when given) knows.
    bool model(size_t col, const model_check& has_model, std::string* out) {
        out->clear();
        if (field(col) == "-") return true;
        if (!id(col, out)) return false;
        if (has_model && !has_model(*out))
            return fail(col, "no model " + in_quotes(*out) + " is built");
        return true;
    }

    // A display name as the font's ISO 8859-2 bytes, which must fit its field with the NUL.
    bool name(size_t col, std::string* out) {
        const std::string& s = field(col);
        if (s == "-") return fail(col, "required");
        if (catalog_utf8_to_latin2(s.data(), s.size(), out) != 0)
            return fail(col, in_quotes(s) + " is not UTF-8 with ISO 8859-2 characters only");
        for (unsigned char c : *out)
            if (c < 0x20 || (c >= 0x7F && c < 0xA0))
                return fail(col, in_quotes(s) + " has a control character");
        if (out->size() >= NAME_FIELD)
            return fail(col, in_quotes(s) + " takes " + std::to_string(out->size()) +
                                 " bytes in ISO 8859-2, more than 23");
        return true;
    }

    bool whole(size_t col, uint32_t hi, uint32_t* out) {
        const std::string& s = field(col);
        uint64_t v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return fail(col, in_quotes(s) + " is not a whole number");
            v = std::min<uint64_t>(v * 10 + uint64_t(c - '0'), uint64_t(hi) + 1);
        }
        if (v > hi) return fail(col, in_quotes(s) + " is outside 0.." + std::to_string(hi));
        *out = uint32_t(v);
        return true;
    }

    // digits[.digits] taken as the exact fraction n / 10^k and rounded to the nearest fix16,
    // ties up, with integers only: 0.3 t becomes 19661, never a neighbour by way of a double.
    bool tonnes(size_t col, uint32_t* out) {
        const std::string& s = field(col);
        size_t point = s.find('.');
        std::string units = s.substr(0, point);
        std::string decimals = point == std::string::npos ? "" : s.substr(point + 1);
        auto digits = [](const std::string& d) {
            return !d.empty() && d.find_first_not_of("0123456789") == std::string::npos;
        };
        if (!digits(units) || (point != std::string::npos && !digits(decimals)))
            return fail(col, in_quotes(s) + " is not a decimal number");
        if (decimals.size() > MAX_DECIMALS)
            return fail(col, in_quotes(s) + " has more than " + std::to_string(MAX_DECIMALS) +
                                 " decimals");
        uint64_t n = 0, scale = 1;
        for (char c : units) n = std::min<uint64_t>(n * 10 + uint64_t(c - '0'), MAX_TONNES + 1);
        for (char c : decimals) {
            n = n * 10 + uint64_t(c - '0');
            scale *= 10;
        }
        if (n > MAX_TONNES * scale)
            return fail(col, in_quotes(s) + " is outside 0.." + std::to_string(MAX_TONNES));
        *out = uint32_t((n * 2 * uint64_t(FIX16_ONE) + scale) / (2 * scale));
        return true;
    }

    // #rrggbb as RGB565, the livery's colour format: the top 5, 6 and 5 bits of red, green
    // and blue.
    bool colour(size_t col, uint16_t* out) {
        const std::string& s = field(col);
        bool ok = s.size() == 7 && s[0] == '#';
        uint32_t rgb = 0;
        for (size_t i = 1; ok && i < 7; i++) {
            char c = s[i];
            int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            ok = d >= 0;
            rgb = rgb << 4 | uint32_t(d);
        }
        if (!ok) return fail(col, in_quotes(s) + " is not a colour #rrggbb");
        *out = uint16_t((rgb >> 19) << 11 | ((rgb >> 10) & 0x3F) << 5 | ((rgb >> 3) & 0x1F));
        return true;
    }

    bool store(size_t col, uint32_t* out) {
        for (uint32_t i = 0; i < std::size(STORE_NAMES); i++)
            if (field(col) == STORE_NAMES[i]) {
                *out = i;
                return true;
            }
        return fail(col, in_quotes(field(col)) + " is not -, ir, radar or bomb");
    }

    // "-" or flag names joined by commas.
    bool flags(size_t col, uint32_t* out) {
        *out = 0;
        if (field(col) == "-") return true;
        for (const std::string& f : split_flags(field(col))) {
            uint32_t bit = 0;
            while (bit < std::size(FLAG_NAMES) && f != FLAG_NAMES[bit]) bit++;
            if (bit == std::size(FLAG_NAMES))
                return fail(col, in_quotes(f) + " is not autorefuel or cabin");
            *out |= 1u << bit;
        }
        return true;
    }

  private:
    static std::vector<std::string> split_flags(const std::string& s) {
        std::vector<std::string> parts;
        for (size_t start = 0;;) {
            size_t comma = s.find(',', start);
            parts.push_back(s.substr(start, comma - start));
            if (comma == std::string::npos) return parts;
            start = comma + 1;
        }
    }

    const std::string& path_;
    const section_layout& layout_;
    const record& record_;
    std::string error_;
};

struct record_names {
    std::string id, czech, english;
};

// Columns 0-2 of every section: the id, unique within its section, and the two names.
bool read_names(record_fields& f, std::map<std::string, int>* seen, record_names* out) {
    if (!f.id(0, &out->id) || !f.name(1, &out->czech) || !f.name(2, &out->english)) return false;
    auto [first, fresh] = seen->emplace(out->id, f.line());
    if (!fresh)
        return f.fail(0, in_quotes(out->id) + " is already used on line " +
                             std::to_string(first->second));
    return true;
}

// The text and zeros to the field's width; the readers have made sure the NUL fits.
void write_text(save_writer* w, const std::string& s, size_t width) {
    save_write_bytes(w, s.data(), uint32_t(s.size()));
    for (size_t i = s.size(); i < width; i++) save_write_u8(w, 0);
}

void write_names(save_writer* w, const record_names& n) {
    write_text(w, n.id, ID_FIELD);
    write_text(w, n.czech, NAME_FIELD);
    write_text(w, n.english, NAME_FIELD);
}

bool write_hull(save_writer* w, record_fields& f, const model_check& has_model,
                std::map<std::string, int>* seen) {
    record_names n;
    std::string model;
    uint32_t hold = 0, tank = 0, pylons = 0;
    if (!read_names(f, seen, &n) || !f.model(3, has_model, &model) || !f.tonnes(4, &hold) ||
        !f.tonnes(5, &tank) || !f.whole(6, MAX_PYLONS, &pylons))
        return false;
    write_names(w, n);
    write_text(w, model, MODEL_FIELD);
    save_write_u32(w, hold);
    save_write_u32(w, tank);
    save_write_u8(w, uint8_t(pylons));
    save_write_u8(w, 0);
    return true;
}

bool write_item(save_writer* w, record_fields& f, const model_check& has_model,
                std::map<std::string, int>* seen) {
    record_names n;
    std::string model;
    uint32_t kind = 0, store = 0, flags = 0, mass = 0;
    if (!read_names(f, seen, &n) || !f.model(3, has_model, &model) ||
        !f.whole(4, MAX_KIND, &kind) || !f.store(5, &store) || !f.flags(6, &flags) ||
        !f.tonnes(7, &mass))
        return false;
    // A store hangs on a pylon as its type, so every store names one and nothing else does.
    if (kind == ITEM_KIND_STORE && store == STORE_NONE)
        return f.fail(5, "a pylon store (kind 5) needs ir, radar or bomb");
    if (kind != ITEM_KIND_STORE && store != STORE_NONE)
        return f.fail(5, "only a pylon store (kind 5) has a store type");
    write_names(w, n);
    write_text(w, model, MODEL_FIELD);
    save_write_u8(w, uint8_t(kind));
    save_write_u8(w, uint8_t(store));
    save_write_u16(w, uint16_t(flags));
    save_write_u32(w, mass);
    save_write_u32(w, 0);
    return true;
}

bool write_paint(save_writer* w, record_fields& f, std::map<std::string, int>* seen) {
    record_names n;
    uint16_t main_colour = 0, accent = 0;
    uint32_t lights = 0;
    if (!read_names(f, seen, &n) || !f.colour(3, &main_colour) || !f.colour(4, &accent) ||
        !f.whole(5, MAX_LIGHTS, &lights))
        return false;
    write_names(w, n);
    save_write_u16(w, main_colour);
    save_write_u8(w, uint8_t(lights));
    save_write_u16(w, accent);
    save_write_u8(w, 0);
    return true;
}

bool write_goods(save_writer* w, record_fields& f, std::map<std::string, int>* seen) {
    record_names n;
    uint32_t cls = 0;
    if (!read_names(f, seen, &n) || !f.whole(3, MAX_CLASS, &cls)) return false;
    write_names(w, n);
    save_write_u8(w, uint8_t(cls));
    save_write_u8(w, 0);
    save_write_u32(w, 0);
    return true;
}

// Every record of one section through write_one, which reads and writes it.
template <typename F>
bool write_section(save_writer* w, const std::string& path, const section_layout& layout,
                   const std::vector<record>& records, std::string* error, F write_one) {
    std::map<std::string, int> seen;
    for (const record& r : records) {
        record_fields f(path, layout, r);
        if (!write_one(w, f, &seen)) {
            *error = f.error();
            return false;
        }
    }
    return true;
}

// The writer drops what does not fit, so a record layout that disagrees with the sizes shows
// here instead of as a short file.
bool filled(const save_writer& w, const std::string& path, std::string* error) {
    if (w.pos == w.capacity) return true;
    *error = path + ": the records took " + std::to_string(w.pos) + " of " +
             std::to_string(w.capacity) + " bytes";
    return false;
}

} // namespace

bool tables_equipment_bytes(std::string_view text, const std::string& path,
                            const model_check& has_model, std::vector<uint8_t>* out,
                            std::string* error) {
    std::vector<std::vector<record>> s;
    if (!read_sections(text, path, {&HULLS, &ITEMS, &PAINTS}, &s, error)) return false;
    out->assign(
        12 + HULL_RECORD * s[0].size() + ITEM_RECORD * s[1].size() + PAINT_RECORD * s[2].size(), 0);
    save_writer w;
    save_writer_init(&w, out->data(), uint32_t(out->size()));
    save_write_header(&w, EQUIPMENT_MAGIC, EQUIPMENT_VERSION);
    for (const auto& records : s) save_write_u16(&w, uint16_t(records.size()));
    auto hull = [&](save_writer* to, record_fields& f, std::map<std::string, int>* seen) {
        return write_hull(to, f, has_model, seen);
    };
    auto item = [&](save_writer* to, record_fields& f, std::map<std::string, int>* seen) {
        return write_item(to, f, has_model, seen);
    };
    return write_section(&w, path, HULLS, s[0], error, hull) &&
           write_section(&w, path, ITEMS, s[1], error, item) &&
           write_section(&w, path, PAINTS, s[2], error, write_paint) && filled(w, path, error);
}

bool tables_commodities_bytes(std::string_view text, const std::string& path,
                              std::vector<uint8_t>* out, std::string* error) {
    std::vector<std::vector<record>> s;
    if (!read_sections(text, path, {&GOODS}, &s, error)) return false;
    out->assign(8 + GOODS_RECORD * s[0].size(), 0);
    save_writer w;
    save_writer_init(&w, out->data(), uint32_t(out->size()));
    save_write_header(&w, COMMODITIES_MAGIC, COMMODITIES_VERSION);
    save_write_u16(&w, uint16_t(s[0].size()));
    return write_section(&w, path, GOODS, s[0], error, write_goods) && filled(w, path, error);
}

bool generate_tables(const asset_context& c) {
    const std::string equipment_path = c.assets_dir + "/tables/equipment.txt";
    const std::string commodities_path = c.assets_dir + "/tables/commodities.txt";
    std::string equipment, commodities, error;
    if (!read_text(equipment_path, &equipment) || !read_text(commodities_path, &commodities))
        return false;
    // The models are built before the tables, so a misspelt model name stops the build here
    // instead of leaving the SHIP page without its ship.
    model_check built = [&c](const std::string& model) {
        std::error_code ignored;
        return std::filesystem::exists(c.out_dir + "/" + model + ".model", ignored);
    };
    std::vector<uint8_t> equipment_dat, commodities_dat;
    if (!tables_equipment_bytes(equipment, equipment_path, built, &equipment_dat, &error) ||
        !tables_commodities_bytes(commodities, commodities_path, &commodities_dat, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return write_file(c.out_dir + "/equipment.dat", equipment_dat) &&
           write_file(c.out_dir + "/commodities.dat", commodities_dat);
}

} // namespace vantrel::datagen
