// catalog_amiga: the catalog service over gettext PO files in ISO 8859-2 or UTF-8.
#include "shell/catalog_amiga.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "shell/loc.h"
#include "shell/services.h"

namespace vantrel {

namespace {

constexpr size_t PATH_CAPACITY = 4096;
constexpr size_t LANGUAGE_CAPACITY = 32;

struct language_code {
    const char* code;
    const char* name;
};

// ISO 639-1 codes of languages a catalog might be written for, with the catalog names.
constexpr language_code LANGUAGE_CODES[] = {
    {"bg", "bulgarian"},  {"ca", "catalan"},   {"cs", "czech"},     {"da", "danish"},
    {"de", "german"},     {"el", "greek"},     {"en", "english"},   {"eo", "esperanto"},
    {"es", "spanish"},    {"et", "estonian"},  {"eu", "basque"},    {"fi", "finnish"},
    {"fr", "french"},     {"ga", "irish"},     {"hr", "croatian"},  {"hu", "hungarian"},
    {"is", "icelandic"},  {"it", "italian"},   {"ja", "japanese"},  {"ko", "korean"},
    {"lt", "lithuanian"}, {"lv", "latvian"},   {"nb", "norwegian"}, {"nl", "dutch"},
    {"nn", "norwegian"},  {"no", "norwegian"}, {"pl", "polish"},    {"pt", "portuguese"},
    {"ro", "romanian"},   {"ru", "russian"},   {"sk", "slovak"},    {"sl", "slovenian"},
    {"sr", "serbian"},    {"sv", "swedish"},   {"tr", "turkish"},   {"uk", "ukrainian"},
    {"zh", "chinese"},
};

catalog_texts g_catalog = {};
bool g_catalog_open = false;
char g_catalog_language[LANGUAGE_CAPACITY];

const char* catalog_lookup(int id, const char* builtin) {
    (void)builtin;
    if (!g_catalog_open || id < 0 || id >= LOC_COUNT) return nullptr;
    return g_catalog.text[id];
}

// A language name becomes a directory name: printable, no separators, no leading dot.
bool language_name_usable(const char* name) {
    size_t n = std::strlen(name);
    if (n == 0 || n >= LANGUAGE_CAPACITY || name[0] == '.') return false;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < '!' || c > '~' || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

// --- PO text --------------------------------------------------------------------------

struct po_entry {
    std::string context, id, str;
    bool has_context = false, has_str = false, plural = false, fuzzy = false;
};

// Reads one quoted string at p (after optional blanks), unescaping C escapes; false when
// the line holds no well-formed string.
bool po_read_one_quoted(const char*& p, const char* end, std::string* out) {
    while (p < end && (*p == ' ' || *p == '\t')) p++;
    if (p >= end || *p != '"') return false;
    for (p++; p < end && *p != '"'; p++) {
        if (*p != '\\') {
            out->push_back(*p);
            continue;
        }
        if (++p >= end) return false;
        switch (*p) {
        case 'n':
            out->push_back('\n');
            break;
        case 't':
            out->push_back('\t');
            break;
        case 'r':
            out->push_back('\r');
            break;
        case 'a':
            out->push_back('\a');
            break;
        case 'b':
            out->push_back('\b');
            break;
        case 'f':
            out->push_back('\f');
            break;
        case 'v':
            out->push_back('\v');
            break;
        case 'x': {
            // Two hex digits at most, as gettext reads them: the digits after that are text.
            int v = 0, digits = 0;
            while (digits < 2 && p + 1 < end && p[1] &&
                   std::strchr("0123456789abcdefABCDEF", p[1])) {
                char c = *++p;
                v = v * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
                digits++;
            }
            if (!digits) return false;
            out->push_back(static_cast<char>(v & 0xFF));
            break;
        }
        default:
            if (*p >= '0' && *p <= '7') {
                int v = *p - '0';
                for (int k = 0; k < 2 && p + 1 < end && p[1] >= '0' && p[1] <= '7'; k++)
                    v = v * 8 + (*++p - '0');
                out->push_back(static_cast<char>(v & 0xFF));
            } else {
                out->push_back(*p); // \" \\ \' \? and anything else stand for themselves
            }
        }
    }
    if (p >= end) return false;
    p++;
    return true;
}

// Reads the quoted strings up to the end of the line, joined: a line may hold several.
bool po_read_quoted(const char*& p, const char* end, std::string* out) {
    if (!po_read_one_quoted(p, end, out)) return false;
    for (;;) {
        while (p < end && (*p == ' ' || *p == '\t')) p++;
        if (p >= end) return true;
        if (!po_read_one_quoted(p, end, out)) return false;
    }
}

bool starts_with(const char* p, const char* end, const char* word) {
    size_t n = std::strlen(word);
    return size_t(end - p) >= n && std::memcmp(p, word, n) == 0;
}

// Splits PO text into entries. Malformed lines are skipped, as gettext's own tools report
// them but a game should still start.
std::vector<po_entry> po_entries(const char* text, size_t size) {
    std::vector<po_entry> entries;
    po_entry cur;
    std::string* target = nullptr;
    bool next_fuzzy = false;
    auto finish = [&]() {
        if (cur.has_str) entries.push_back(cur);
        cur = po_entry();
        cur.fuzzy = next_fuzzy;
        next_fuzzy = false;
        target = nullptr;
    };
    const char* end = text + size;
    for (const char* line = text; line < end;) {
        const char* eol = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
        if (!eol) eol = end;
        const char* p = line;
        while (p < eol && (*p == ' ' || *p == '\t' || *p == '\r')) p++;
        const char* q = eol;
        while (q > p && (q[-1] == '\r' || q[-1] == ' ' || q[-1] == '\t')) q--;
        if (p == q) {
            // blank line: entries are separated by them, but nothing depends on it
        } else if (*p == '#') {
            if (starts_with(p, q, "#,") && std::string(p, q).find("fuzzy") != std::string::npos) {
                if (cur.has_str || target) finish();
                next_fuzzy = true;
                cur.fuzzy = true;
            }
        } else if (*p == '"') {
            if (target && !po_read_quoted(p, q, target)) target = nullptr;
        } else {
            auto keyword = [&](const char* word, std::string* field) {
                if (!starts_with(p, q, word)) return false;
                const char* s = p + std::strlen(word);
                if (s < q && *s != ' ' && *s != '\t' && *s != '"') return false;
                p = s;
                field->clear();
                target = po_read_quoted(p, q, field) ? field : nullptr;
                return true;
            };
            if (starts_with(p, q, "msgctxt") || starts_with(p, q, "msgid ") ||
                starts_with(p, q, "msgid\"")) {
                if (cur.has_str) finish();
            }
            if (keyword("msgctxt", &cur.context)) {
                cur.has_context = true;
            } else if (keyword("msgid_plural", &cur.str)) {
                cur.plural = true;
            } else if (keyword("msgid", &cur.id)) {
            } else if (keyword("msgstr", &cur.str)) {
                cur.has_str = true;
            } else if (starts_with(p, q, "msgstr[")) {
                cur.plural = true;
                cur.has_str = true;
                target = nullptr;
            }
        }
        line = eol < end ? eol + 1 : end;
    }
    finish();
    return entries;
}

// A message id written as plain decimal 0-222; -1 otherwise.
int po_message_id(const std::string& context) {
    if (context.empty() || context.size() > 3) return -1;
    int v = 0;
    for (char c : context) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v < LOC_COUNT ? v : -1;
}

// Unicode code points of ISO 8859-2 bytes 0xA0-0xFF, eight to a row; bytes below 0xA0 are
// their own code points.
constexpr uint16_t LATIN2_HIGH[96] = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, // A0
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B, // A8
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7, // B0
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

// The ISO 8859-2 byte of a code point, or -1 when Latin-2 has none.
int latin2_byte(uint32_t code) {
    if (code < 0xA0) return int(code);
    for (int i = 0; i < 96; i++)
        if (LATIN2_HIGH[i] == code) return 0xA0 + i;
    return -1;
}

// Decodes one UTF-8 character at p, advancing past it (a malformed sequence is passed over
// as one unit: the lead byte and its continuation bytes); -1 when malformed.
int32_t utf8_next(const unsigned char*& p, const unsigned char* end) {
    unsigned char lead = *p++;
    // Continuation bytes to follow; a stray continuation byte leads a malformed unit.
    int more = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    uint32_t code = more <= 0 ? lead : lead & (0x3Fu >> more);
    int taken = 0;
    for (; taken < (more < 0 ? 3 : more) && p < end && (*p & 0xC0) == 0x80; taken++)
        code = code << 6 | (*p++ & 0x3F);
    static constexpr uint32_t SMALLEST[4] = {0, 0x80, 0x800, 0x10000}; // overlong below these
    if (more < 0 || lead > 0xF4 || taken != more || code < SMALLEST[more] || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    return int32_t(code);
}

enum class po_charset { utf8, latin2, unknown };

// The charset the header entry (empty msgid, no msgctxt) names; UTF-8 when there is none.
po_charset po_header_charset(const std::vector<po_entry>& entries) {
    for (const po_entry& e : entries) {
        if (e.has_context || !e.id.empty()) continue;
        size_t at = e.str.find("charset=");
        if (at == std::string::npos) break;
        at += std::strlen("charset=");
        std::string name = e.str.substr(at, e.str.find_first_of("; \t\r\n", at) - at);
        for (const char* utf8 : {"UTF-8", "UTF8", "ASCII", "US-ASCII"})
            if (strcasecmp(name.c_str(), utf8) == 0) return po_charset::utf8;
        for (const char* latin2 : {"ISO-8859-2", "ISO8859-2", "ISO_8859-2", "LATIN2"})
            if (strcasecmp(name.c_str(), latin2) == 0) return po_charset::latin2;
        return po_charset::unknown;
    }
    return po_charset::utf8;
}

// Appends a field width or precision at p: "*" or a run of digits.
const char* take_field_size(const char* p, std::string* spec) {
    if (*p == '*') {
        spec->push_back(*p++);
        return p;
    }
    while (*p >= '0' && *p <= '9') spec->push_back(*p++);
    return p;
}

// The conversion of one printf directive, reduced to what decides the argument it takes
// and how long its output may grow: the width, the precision, the length modifier and the
// conversion letter (flags only align or pad). Empty at the end.
const char* next_conversion(const char* p, std::string* spec) {
    spec->clear();
    for (; *p; p++) {
        if (*p != '%') continue;
        p++;
        if (*p == '%') continue;
        while (*p && std::strchr("-+ #0'", *p)) p++;
        p = take_field_size(p, spec);
        if (*p == '.') {
            spec->push_back(*p++);
            p = take_field_size(p, spec);
        }
        while (*p && std::strchr("hlLqjzt", *p)) spec->push_back(*p++);
        if (*p) spec->push_back(*p++);
        return p;
    }
    return p;
}

} // namespace

int catalog_formats_agree(const char* english, const char* translated) {
    std::string a, b;
    const char* p = english;
    const char* q = translated;
    for (;;) {
        p = next_conversion(p, &a);
        q = next_conversion(q, &b);
        if (a != b) return 0;
        if (a.empty()) return 1;
    }
}

size_t catalog_utf8_to_latin2(const char* utf8, size_t size, std::string* out) {
    out->clear();
    size_t lost = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    const unsigned char* end = p + size;
    while (p < end) {
        int32_t code = utf8_next(p, end);
        int byte = code < 0 ? -1 : latin2_byte(uint32_t(code));
        if (byte < 0) lost++;
        out->push_back(byte < 0 ? '?' : char(byte));
    }
    return lost;
}

int catalog_parse(const char* po, size_t size, catalog_texts* out) {
    *out = catalog_texts{};
    const std::vector<po_entry> entries = po_entries(po, size);
    const po_charset charset = po_header_charset(entries);
    if (charset == po_charset::unknown) {
        out->error = "its charset is neither UTF-8 nor ISO-8859-2";
        return 0;
    }
    std::string texts[LOC_COUNT];
    bool present[LOC_COUNT] = {};
    int translated = 0;
    for (const po_entry& e : entries) {
        int id = po_message_id(e.context);
        if (id < 0 || !e.has_context || e.plural || e.fuzzy || e.str.empty()) continue;
        std::string latin2 = e.str;
        if (charset == po_charset::utf8)
            catalog_utf8_to_latin2(e.str.data(), e.str.size(), &latin2);
        if (latin2.find('\0') != std::string::npos) continue;
        if (!catalog_formats_agree(loc_builtin[id], latin2.c_str())) {
            std::printf("catalog: message %d ignored: its printf conversions differ from the "
                        "English text\n",
                        id);
            continue;
        }
        texts[id] = latin2;
        translated += !present[id];
        present[id] = true;
    }
    if (translated == 0) {
        out->error = "it translates no message";
        return 0;
    }

    size_t total = 0;
    for (int id = 0; id < LOC_COUNT; id++)
        if (present[id]) total += texts[id].size() + 1;
    char* storage = static_cast<char*>(std::malloc(total));
    if (!storage) {
        out->error = "out of memory";
        return 0;
    }
    catalog_texts t = {};
    t.storage = storage;
    char* w = storage;
    for (int id = 0; id < LOC_COUNT; id++) {
        if (!present[id]) continue;
        std::memcpy(w, texts[id].c_str(), texts[id].size() + 1);
        t.text[id] = w;
        w += texts[id].size() + 1;
    }
    *out = t;
    return 1;
}

void catalog_texts_free(catalog_texts* texts) {
    std::free(texts->storage);
    *texts = catalog_texts{};
}

const char* catalog_language_from_locale(const char* locale) {
    if (!locale || !*locale) return nullptr;
    if (std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0 ||
        std::strncmp(locale, "C.", 2) == 0)
        return "english";
    char code[8];
    size_t n = 0;
    while (locale[n] && locale[n] != '_' && locale[n] != '.' && locale[n] != '@' &&
           n < sizeof code - 1) {
        code[n] = static_cast<char>(locale[n] | 0x20);
        n++;
    }
    code[n] = '\0';
    for (const language_code& l : LANGUAGE_CODES)
        if (std::strcmp(l.code, code) == 0) return l.name;
    return nullptr;
}

const char* catalog_language_from_environment() {
    // LANGUAGE is a priority list ("cs:en"); the others hold one locale each.
    if (const char* list = std::getenv("LANGUAGE")) {
        char item[64];
        for (const char* p = list; *p;) {
            size_t n = std::strcspn(p, ":");
            if (n < sizeof item) {
                std::memcpy(item, p, n);
                item[n] = '\0';
                if (const char* name = catalog_language_from_locale(item)) return name;
            }
            p += n;
            if (*p == ':') p++;
        }
    }
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* name = catalog_language_from_locale(std::getenv(var))) return name;
    return nullptr;
}

void amiga_catalog_open(const char* language) {
    if (g_catalog_open) return;
    const char* name = language ? language : catalog_language_from_environment();
    // English is built in: there is no catalog to open for it.
    if (!name || std::strcmp(name, "english") == 0) return;
    if (!language_name_usable(name)) {
        std::printf("catalog: no catalog can be named after the language \"%s\", English "
                    "texts\n",
                    name);
        return;
    }
    char path[PATH_CAPACITY];
    std::snprintf(path, sizeof path, "PROGDIR:Catalogs/%s/vantrel.catalog", name);
    uint32_t size = 0;
    uint8_t* data = read_file(path, &size);
    if (!data) {
        if (const char* why = read_file_error())
            std::printf("catalog: %s unreadable (%s), English texts\n", path, why);
        else
            std::printf("catalog: %s missing, English texts\n", path);
        return;
    }
    catalog_texts texts;
    int ok = catalog_parse(reinterpret_cast<const char*>(data), size, &texts);
    read_file_free(data);
    if (!ok) {
        std::printf("catalog: %s invalid (%s), English texts\n", path, texts.error);
        return;
    }
    g_catalog = texts;
    g_catalog_open = true;
    std::snprintf(g_catalog_language, sizeof g_catalog_language, "%s", name);
    loc_set_lookup(catalog_lookup);
}

void amiga_catalog_close() {
    loc_set_lookup(nullptr);
    if (!g_catalog_open) return;
    catalog_texts_free(&g_catalog);
    g_catalog_open = false;
    g_catalog_language[0] = '\0';
}

const char* amiga_catalog_language() {
    return g_catalog_open && g_catalog_language[0] ? g_catalog_language : "english";
}

} // namespace vantrel
