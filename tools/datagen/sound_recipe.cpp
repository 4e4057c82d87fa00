// sound_recipe: the readers of the effect and music recipes. A recipe is a list of lines of
// words; a word that starts with '#' starts a comment. Every fault names the file and the line.
#include <algorithm>
#include <cstring>
#include <map>

#include "tools/datagen/sounds.h"

namespace vantrel::datagen {

namespace {

constexpr size_t MAX_SOUNDS = 64, MAX_LAYERS = 16, MAX_NAME = 31;
constexpr size_t MAX_INSTRUMENTS = 32, MAX_TRACKS = 16, MAX_PATTERNS = 128, MAX_ROWS = 256;
constexpr size_t MAX_ORDER = 256;
constexpr int64_t MAX_TIME = 60000000; // one minute, in microseconds
constexpr int64_t MAX_MUSIC_SAMPLES = 1 << 22;

struct line_words {
    int number;
    std::string_view text; // without the comment
    std::vector<std::string> words;
};

// A comment starts with a '#' that begins a word, so "C#4" stays a note.
size_t comment_start(std::string_view line) {
    for (size_t i = 0; i < line.size(); i++)
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return i;
    return line.size();
}

std::vector<line_words> split_lines(std::string_view text) {
    std::vector<line_words> lines;
    int number = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        number++;
        line = line.substr(0, comment_start(line));
        line_words l{number, line, {}};
        for (size_t i = 0; i < line.size();) {
            size_t w = line.find_first_not_of(" \t\r", i);
            if (w == std::string_view::npos) break;
            size_t e = std::min(line.find_first_of(" \t\r", w), line.size());
            l.words.emplace_back(line.substr(w, e - w));
            i = e;
        }
        if (!l.words.empty()) lines.push_back(std::move(l));
    }
    return lines;
}

// Reads the words of one line in turn; the first fault is kept as "<path>:<line>: <fault>".
class word_reader {
  public:
    word_reader(const std::string& path, const line_words& line, std::string* error)
        : path_(path), line_(line), error_(error) {}

    bool fail(const std::string& reason) {
        *error_ = path_ + ":" + std::to_string(line_.number) + ": " + reason;
        return false;
    }
    bool done() const { return at_ >= line_.words.size(); }
    const std::string& peek() const { return line_.words[at_]; }
    bool word(const char* what, std::string* out) {
        if (done()) return fail(std::string("missing ") + what);
        *out = line_.words[at_++];
        return true;
    }
    // A decimal with at most three places as thousandths, inside [lo, hi] (thousandths).
    bool milli(const char* what, int64_t lo, int64_t hi, int64_t* out) {
        std::string w;
        if (!word(what, &w)) return false;
        if (!parse_milli(w, out)) return fail(std::string(what) + ": '" + w + "' is not a number");
        if (*out < lo || *out > hi)
            return fail(std::string(what) + ": " + w + " is outside " + show(lo) + ".." + show(hi));
        return true;
    }
    // A whole number inside [lo, hi].
    bool whole(const char* what, int64_t lo, int64_t hi, int64_t* out) {
        if (!milli(what, lo * 1000, hi * 1000, out)) return false;
        if (*out % 1000)
            return fail(std::string(what) + ": " + line_.words[at_ - 1] + " is not a whole number");
        *out /= 1000;
        return true;
    }
    bool choice(const char* what, const std::vector<const char*>& names, int* out) {
        std::string w;
        if (!word(what, &w)) return false;
        for (size_t i = 0; i < names.size(); i++)
            if (w == names[i]) {
                *out = int(i);
                return true;
            }
        std::string list;
        for (const char* n : names) list += std::string(list.empty() ? "" : ", ") + n;
        return fail(std::string(what) + ": '" + w + "' is not one of " + list);
    }
    bool name(const char* what, std::string* out) {
        if (!word(what, out)) return false;
        bool ok = !out->empty() && out->size() <= MAX_NAME;
        for (char c : *out)
            ok = ok && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
        if (!ok)
            return fail(std::string(what) + ": '" + *out + "' is not a name of a-z, 0-9 and _" +
                        " (at most 31)");
        return true;
    }
    bool end() { return done() || fail("unexpected '" + peek() + "'"); }

  private:
    static std::string show(int64_t milli) {
        std::string s = std::to_string(milli / 1000);
        if (milli % 1000) {
            std::string f = std::to_string(1000 + std::abs(milli % 1000)).substr(1);
            while (f.back() == '0') f.pop_back();
            s += "." + f;
        }
        return s;
    }
    static bool parse_milli(const std::string& w, int64_t* out) {
        size_t i = (w[0] == '-' || w[0] == '+') ? 1 : 0;
        int64_t units = 0, frac = 0;
        int digits = 0, places = 0;
        bool point = false;
        for (; i < w.size(); i++) {
            char c = w[i];
            if (c == '.' && !point) {
                point = true;
            } else if (c >= '0' && c <= '9') {
                if (point && ++places > 3) return false;
                if (point)
                    frac = frac * 10 + (c - '0');
                else
                    units = std::min<int64_t>(units * 10 + (c - '0'), int64_t(1) << 40);
                digits++;
            } else {
                return false;
            }
        }
        for (; places < 3; places++) frac *= 10;
        int64_t v = units * 1000 + frac;
        *out = w[0] == '-' ? -v : v;
        return digits > 0;
    }

    const std::string& path_;
    const line_words& line_;
    std::string* error_;
    size_t at_ = 0;
};

const std::vector<const char*> WAVES = {"sine", "triangle", "square", "saw", "noise"};
const std::vector<const char*> SWEEPS = {"lin", "exp"};

bool read_sweep(word_reader& r, sound_sweep* out) {
    int s = 0;
    if (!r.choice("sweep shape", SWEEPS, &s)) return false;
    *out = s == 0 ? sound_sweep::linear : sound_sweep::exponential;
    return true;
}

// One key of a layer and its values. Frequencies stay below half the rate.
bool read_layer_key(word_reader& r, const std::string& key, int64_t nyquist, bool instrument,
                    sound_layer* l) {
    const int64_t PERCENT = 100000;
    if (key == "duty") return r.milli("duty", 1000, 99000, &l->duty);
    if (key == "vibrato")
        return r.milli("vibrato rate", 1, 100000, &l->vibrato_rate) &&
               r.milli("vibrato depth", 0, 50000, &l->vibrato_depth);
    if (key == "tremolo")
        return r.milli("tremolo rate", 1, 100000, &l->tremolo_rate) &&
               r.milli("tremolo depth", 0, PERCENT, &l->tremolo_depth);
    if (key == "env")
        return r.milli("attack", 0, MAX_TIME, &l->attack) &&
               r.milli("hold", 0, MAX_TIME, &l->hold) && r.milli("decay", 0, MAX_TIME, &l->decay) &&
               r.whole("curve", 1, 8, &l->curve);
    if (key == "sustain") return r.milli("sustain", 0, PERCENT, &l->sustain);
    if (key == "release") return r.milli("release", 0, MAX_TIME, &l->release);
    if (key == "lowpass")
        return r.milli("cutoff", 1000, nyquist, &l->cutoff) &&
               r.milli("cutoff end", 1000, nyquist, &l->cutoff_to) &&
               read_sweep(r, &l->cutoff_sweep);
    if (key == "level") return r.milli("level", 0, PERCENT, &l->level);
    if (key == "detune") return r.milli("detune", -1200000, 1200000, &l->detune);
    if (instrument) return r.fail("'" + key + "' is not a key of an instrument");
    if (key == "freq") return r.milli("frequency", 1, nyquist, &l->freq);
    if (key == "sweep")
        return r.milli("sweep end", 1, nyquist, &l->sweep_to) && read_sweep(r, &l->sweep);
    if (key == "trill")
        return r.milli("trill frequency", 1, nyquist, &l->trill_freq) &&
               r.milli("trill time", 1000, MAX_TIME, &l->trill_time);
    if (key == "start") return r.milli("start", 0, MAX_TIME, &l->start);
    return r.fail("unknown layer key '" + key + "'");
}

// "<wave> <key> <values>..." after the keyword that opened the line.
bool read_layer(word_reader& r, uint32_t rate, bool instrument, sound_layer* l) {
    int wave = 0;
    if (!r.choice("wave", WAVES, &wave)) return false;
    l->wave = sound_wave(wave);
    int64_t nyquist = int64_t(rate) * 500;
    std::string key;
    while (!r.done())
        if (!r.word("key", &key) || !read_layer_key(r, key, nyquist, instrument, l)) return false;
    if (!instrument && l->freq == 0 && l->wave != sound_wave::noise)
        return r.fail("a layer needs its frequency ('freq')");
    if (l->sweep != sound_sweep::none && l->freq == 0) return r.fail("a sweep needs 'freq'");
    if (l->sweep == sound_sweep::none) l->sweep_to = l->freq;
    if (l->cutoff_sweep == sound_sweep::none) l->cutoff_to = l->cutoff;
    return true;
}

bool read_rate(word_reader& r, uint32_t* out) {
    int64_t v = 0;
    if (!r.whole("rate", 4000, 32000, &v)) return false;
    *out = uint32_t(v);
    return true;
}

bool read_peak(word_reader& r, uint32_t* out) {
    int64_t v = 0;
    if (!r.whole("peak", 1, 127, &v)) return false;
    *out = uint32_t(v);
    return true;
}

// The settings of one effect block; layers are read once the rate is known.
bool read_effect_line(word_reader& r, const std::string& key, sound_recipe* s) {
    if (key == "rate") return read_rate(r, &s->rate) && r.end();
    if (key == "peak") return read_peak(r, &s->peak) && r.end();
    if (key == "length") {
        // Thousandths of a millisecond: microseconds.
        return r.milli("length", 1000, MAX_TIME, &s->length) && r.end();
    }
    if (key == "loop") {
        int yes = 0;
        if (!r.choice("loop", {"no", "yes"}, &yes)) return false;
        s->loop = yes;
        return r.end();
    }
    if (key != "layer") return r.fail("unknown keyword '" + key + "'");
    if (s->rate == 0) return r.fail("'rate' must come before the layers");
    if (s->layers.size() == MAX_LAYERS) return r.fail("more than 16 layers");
    s->layers.emplace_back();
    return read_layer(r, s->rate, false, &s->layers.back());
}

// Checks a whole block; a fault names the block's "sound" line.
bool finish_effect(const std::string& path, int block_line, sound_recipe* s, std::string* error) {
    line_words at{block_line, {}, {}};
    word_reader r(path, at, error);
    if (s->rate == 0 || s->length == 0 || s->peak == 0 || s->layers.empty())
        return r.fail("sound '" + s->name + "' needs rate, length, peak and a layer");
    int64_t samples = s->length * s->rate / 1000000;
    if (samples < 16 || samples > SOUND_MAX_BYTES)
        return r.fail("sound '" + s->name + "' is " + std::to_string(samples) +
                      " samples long, outside 16.." + std::to_string(SOUND_MAX_BYTES));
    for (const sound_layer& l : s->layers)
        if (l.start >= s->length)
            return r.fail("a layer of '" + s->name + "' starts after its end");
    return true;
}

// "sound <name>": opens a block under a name not used before.
bool open_effect(word_reader& r, const line_words& line, std::map<std::string, int>* opened,
                 std::vector<sound_recipe>* out) {
    std::string keyword, name;
    if (out->size() == MAX_SOUNDS) return r.fail("more than 64 sounds");
    if (!r.word("keyword", &keyword) || !r.name("sound name", &name) || !r.end()) return false;
    auto [first, fresh] = opened->emplace(name, line.number);
    if (!fresh)
        return r.fail("sound '" + name + "' is already on line " + std::to_string(first->second));
    out->emplace_back();
    out->back().name = name;
    out->back().source = std::string(line.text) + "\n";
    return true;
}

} // namespace

bool sound_read_effects(std::string_view text, const std::string& path,
                        std::vector<sound_recipe>* out, std::string* error) {
    out->clear();
    std::map<std::string, int> opened;
    int block_line = 0;
    for (const line_words& line : split_lines(text)) {
        word_reader r(path, line, error);
        if (line.words[0] == "sound") {
            if (!out->empty() && !finish_effect(path, block_line, &out->back(), error))
                return false;
            if (!open_effect(r, line, &opened, out)) return false;
            block_line = line.number;
            continue;
        }
        std::string key;
        r.word("keyword", &key);
        if (out->empty()) return r.fail("'" + key + "' before the first 'sound'");
        if (!read_effect_line(r, key, &out->back())) return false;
        out->back().source += std::string(line.text) + "\n";
    }
    if (out->empty()) {
        *error = path + ":1: no sound";
        return false;
    }
    return finish_effect(path, block_line, &out->back(), error);
}

namespace {

// "C-4", "C#4": note names with octaves 0-9 (A-4 = 69 = 440 Hz); "---" holds, "===" stops.
bool parse_cell(const std::string& w, int* out) {
    if (w == "---") return *out = CELL_HOLD, true;
    if (w == "===") return *out = CELL_OFF, true;
    static const char LETTERS[] = "C.D.EF.G.A.B";
    const char* at = w.size() == 3 ? std::strchr(LETTERS, w[0]) : nullptr;
    if (!at || w[0] == '.' || (w[1] != '-' && w[1] != '#') || w[2] < '0' || w[2] > '9')
        return false;
    int semitone = int(at - LETTERS) + (w[1] == '#');
    if (w[1] == '#' && (w[0] == 'E' || w[0] == 'B')) return false;
    *out = 12 * (w[2] - '0' + 1) + semitone;
    return true;
}

int find_named(const auto& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); i++)
        if (list[i].name == name) return int(i);
    return -1;
}

bool read_instrument(word_reader& r, music_recipe* m) {
    std::string name;
    if (m->rate == 0) return r.fail("'rate' must come before the instruments");
    if (!r.name("instrument name", &name)) return false;
    int at = find_named(m->instruments, name);
    if (at < 0) {
        if (m->instruments.size() == MAX_INSTRUMENTS) return r.fail("more than 32 instruments");
        m->instruments.push_back({name, {}});
        at = int(m->instruments.size()) - 1;
    }
    auto& layers = m->instruments[size_t(at)].layers;
    if (layers.size() == MAX_LAYERS) return r.fail("more than 16 layers");
    layers.emplace_back();
    return read_layer(r, m->rate, true, &layers.back());
}

bool read_tracks(word_reader& r, music_recipe* m) {
    if (!m->tracks.empty()) return r.fail("a second 'tracks'");
    std::string name;
    while (!r.done()) {
        if (m->tracks.size() == MAX_TRACKS) return r.fail("more than 16 tracks");
        if (!r.word("instrument", &name)) return false;
        int at = find_named(m->instruments, name);
        if (at < 0) return r.fail("no instrument '" + name + "'");
        m->tracks.push_back(at);
    }
    return !m->tracks.empty() || r.fail("'tracks' names no instrument");
}

bool read_row(word_reader& r, music_recipe* m) {
    if (m->patterns.empty()) return r.fail("unknown keyword '" + r.peek() + "'");
    if (m->tracks.empty()) return r.fail("a row before 'tracks'");
    auto& rows = m->patterns.back().rows;
    if (rows.size() == MAX_ROWS) return r.fail("more than 256 rows in a pattern");
    std::vector<int> cells;
    std::string w;
    while (!r.done() && r.word("cell", &w)) {
        int cell = 0;
        if (!parse_cell(w, &cell)) return r.fail("'" + w + "' is not a note, --- or ===");
        cells.push_back(cell);
    }
    if (cells.size() != m->tracks.size())
        return r.fail(std::to_string(cells.size()) + " cells for " +
                      std::to_string(m->tracks.size()) + " tracks");
    rows.push_back(std::move(cells));
    return true;
}

bool read_order(word_reader& r, music_recipe* m) {
    if (!m->order.empty()) return r.fail("a second 'order'");
    std::string name;
    while (!r.done()) {
        if (m->order.size() == MAX_ORDER) return r.fail("more than 256 entries in the order");
        if (!r.word("pattern", &name)) return false;
        int at = find_named(m->patterns, name);
        if (at < 0) return r.fail("no pattern '" + name + "'");
        if (m->patterns[size_t(at)].rows.empty()) return r.fail("pattern '" + name + "' is empty");
        m->order.push_back(at);
    }
    return !m->order.empty() || r.fail("'order' names no pattern");
}

bool read_music_line(word_reader& r, music_recipe* m) {
    std::string key = r.peek();
    int64_t v = 0;
    if (key == "rate") return r.word("", &key) && read_rate(r, &m->rate) && r.end();
    if (key == "peak") return r.word("", &key) && read_peak(r, &m->peak) && r.end();
    if (key == "tempo")
        return r.word("", &key) && r.milli("tempo", 20000, 400000, &m->tempo) && r.end();
    if (key == "rows-per-beat") {
        if (!r.word("", &key) || !r.whole("rows per beat", 1, 16, &v)) return false;
        m->rows_per_beat = uint32_t(v);
        return r.end();
    }
    if (key == "instrument") return r.word("", &key) && read_instrument(r, m);
    if (key == "tracks") return r.word("", &key) && read_tracks(r, m);
    if (key == "order") return r.word("", &key) && read_order(r, m);
    if (key == "pattern") {
        std::string name;
        if (!r.word("", &key) || !r.name("pattern name", &name) || !r.end()) return false;
        if (find_named(m->patterns, name) >= 0) return r.fail("a second pattern '" + name + "'");
        if (m->patterns.size() == MAX_PATTERNS) return r.fail("more than 128 patterns");
        m->patterns.push_back({name, {}});
        return true;
    }
    return read_row(r, m);
}

} // namespace

bool sound_read_music(std::string_view text, const std::string& path, music_recipe* out,
                      std::string* error) {
    *out = music_recipe{};
    std::vector<line_words> lines = split_lines(text);
    for (const line_words& line : lines) {
        word_reader r(path, line, error);
        if (!read_music_line(r, out)) return false;
    }
    line_words last{lines.empty() ? 1 : lines.back().number, {}, {}};
    word_reader r(path, last, error);
    if (out->rate == 0 || out->tempo == 0 || out->rows_per_beat == 0 || out->peak == 0 ||
        out->tracks.empty() || out->order.empty())
        return r.fail("the music needs rate, tempo, rows-per-beat, peak, tracks and an order");
    int64_t samples = music_length(*out);
    if (samples < 16 || samples > MAX_MUSIC_SAMPLES)
        return r.fail("the music is " + std::to_string(samples) + " samples long, outside 16.." +
                      std::to_string(MAX_MUSIC_SAMPLES));
    out->source = std::string(text);
    return true;
}

uint32_t music_length(const music_recipe& m) {
    int64_t rows = 0;
    for (int p : m.order) rows += int64_t(m.patterns[size_t(p)].rows.size());
    if (m.tempo <= 0 || m.rows_per_beat == 0) return 0;
    // A row lasts 60 / (tempo x rows per beat) seconds; the tempo is in thousandths.
    int64_t samples = rows * m.rate * 60000 / (m.tempo * m.rows_per_beat);
    return uint32_t(std::min<int64_t>(samples, int64_t(1) << 30) & ~int64_t(1));
}

} // namespace vantrel::datagen
