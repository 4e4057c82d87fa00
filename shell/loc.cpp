// loc: the built-in English table, the lookup hook and the plural rules.
#include "shell/loc.h"

namespace vantrel {

namespace {

loc_lookup_fn g_loc_lookup = nullptr;

// Rule numbers larger than any count are kept at this value rather than wrapping.
constexpr uint64_t RULE_NUMBER_CAP = 0x1FFFFFFFFull;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

const char* read_number(const char* p, uint64_t* value) {
    uint64_t v = 0;
    for (; is_digit(*p); p++) {
        v = v * 10 + static_cast<uint64_t>(*p - '0');
        if (v > RULE_NUMBER_CAP) v = RULE_NUMBER_CAP;
    }
    *value = v;
    return p;
}

// Whether one form (the text up to the next '|' or the end) matches; *end gets that place.
bool form_matches(const char* p, uint64_t a, const char** end) {
    bool matched = false;
    while (*p && *p != '|') {
        if (*p == '*') {
            matched = true;
            p++;
        } else if (is_digit(*p)) {
            uint64_t n, m;
            p = read_number(p, &n);
            if (*p == '-') {
                if (is_digit(p[1])) {
                    p = read_number(p + 1, &m);
                    if (n <= a && a <= m) matched = true;
                } else {
                    p++; // "n-" without a second number is no item at all
                }
            } else if (a == n) {
                matched = true;
            }
        } else {
            p++;
        }
    }
    *end = p;
    return matched;
}

const char* current_plural_rule() {
    if (g_loc_lookup) {
        const char* rule = g_loc_lookup(0, loc_builtin[0]);
        if (rule) return rule;
    }
    return loc_builtin[0];
}

} // namespace

const char* const loc_builtin[LOC_COUNT] = {
    "1|*",                                                               // 0
    "START",                                                             // 1
    "DEMO (orbit)",                                                      // 2
    "DEMO (dock)",                                                       // 3
    "DEMO (dock) - models missing",                                      // 4
    "SETTINGS",                                                          // 5
    "QUIT",                                                              // 6
    "BACK",                                                              // 7
    "arrows/WSAD, ENTER, ESC",                                           // 8
    "CPU %s | %s | %s",                                                  // 9
    "detected CPU: %s",                                                  // 10
    "used: %s, %s, %s, %s%s",                                            // 11
    "SHADING",                                                           // 12
    "OUTPUT",                                                            // 13
    "PARTICLES",                                                         // 14
    "DETAIL",                                                            // 15
    "auto",                                                              // 16
    "off",                                                               // 17
    "triangles",                                                         // 18
    "low",                                                               // 19
    "high",                                                              // 20
    "ultra",                                                             // 21
    "Output",                                                            // 22
    "Shading",                                                           // 23
    "Particles",                                                         // 24
    "Detail",                                                            // 25
    "Using",                                                             // 26
    "Save",                                                              // 27
    "Start",                                                             // 28
    "Cancel",                                                            // 29
    "OK",                                                                // 30
    "Detecting the system and measuring speed (about 5 s)...",           // 31
    "Report saved to %s",                                                // 32
    "Cannot write the report to %s",                                     // 33
    "Cannot write %s",                                                   // 34
    "The game needs at least a 68030.",                                  // 35
    "Cannot find the program directory.",                                // 36
    "File %s is missing.",                                               // 37
    "Settings could not be saved, the game will use the previous ones.", // 38
    "The game ended with code %ld.\nIts output is in %s",                // 39
    "Vantrel Setup needs AmigaOS 3.0 or newer.",                         // 40
    "Cannot open the window.",                                           // 41
    "Language",                                                          // 42
    "system",                                                            // 43
    "Vantrel Setup - report",                                            // 44
    "Settings",                                                          // 45
    "GUNS",                                                              // 46
    "IR MISSILE",                                                        // 47
    "RADAR MISSILE",                                                     // 48
    "CAMERA",                                                            // 49
    "BOMBS",                                                             // 50
    "PAUSE",                                                             // 51
    "AUTOPILOT",                                                         // 52
    "AUTOPILOT: HOLDING",                                                // 53
    "LOCKED",                                                            // 54
    "MISSILE AWAY",                                                      // 55
    "HIT",                                                               // 56
    "MISS",                                                              // 57
    "PHOTO TAKEN",                                                       // 58
    "NO TARGET",                                                         // 59
    "NO LOCK",                                                           // 60
    "BOMB AWAY",                                                         // 61
    "TIME WARP LIMITED",                                                 // 62
    "TAB weapon T target A auto P pause ,/. time",                       // 63
    "OUT OF RANGE",                                                      // 64
    "HULL",                                                              // 65
    "FUEL",                                                              // 66
    "WEAPONS",                                                           // 67
    "THRUST",                                                            // 68
    "RMB+mouse steer  W/S thrust  D fire",                               // 69
    "F1 shade F3 c2p F6 raster ESC menu",                                // 70
    "AUTO",                                                              // 71
    "PAUSE",                                                             // 72
    "WARP",                                                              // 73
    "LOCK",                                                              // 74
    "FIRE",                                                              // 75
    "SHADE",                                                             // 76
    "VIEW",                                                              // 77
    "View",                                                              // 78
    "DEMO (ships)",                                                      // 79
    "on",                                                                // 80
    "FPU",                                                               // 81
    "FPU (040/060)",                                                     // 82
    "Screen",                                                            // 83
    "AGA",                                                               // 84
    "Graphics card...",                                                  // 85
    "Graphics card screen mode",                                         // 86
    "ARCADE (minigame)",                                                 // 87
    "ZORIVE",                                                            // 88
    "arrows move, space fire, ESC back",                                 // 89
    "SCORE %lu",                                                         // 90
    "WAVE %d",                                                           // 91
    "SHIPS %d",                                                          // 92
    "GAME OVER",                                                         // 93
    "BEST %lu",                                                          // 94
    "ENTER = again, ESC = menu",                                         // 95
    "FPS LIMIT",                                                         // 96
    "FPS limit",                                                         // 97
    "SYSTEM MAP",                                                        // 98
    "RMB drag / arrows turn, +/- zoom, click selects, F focus, S scale, L labels, 0-4 time, F2 "
    "stars, ESC back",           // 99
    "scale: compressed",         // 100
    "scale: real",               // 101
    "time: %s",                  // 102
    "from %s: %s",               // 103
    "orbit: %ld days",           // 104
    "orbit: %ld.%ld years",      // 105
    "moons: %d",                 // 106
    "star, %ld K",               // 107
    "terran",                    // 108
    "ocean world",               // 109
    "desert",                    // 110
    "barren rock",               // 111
    "ice world",                 // 112
    "volcanic",                  // 113
    "lava world",                // 114
    "cloud covered",             // 115
    "gas giant",                 // 116
    "pale gas giant",            // 117
    "ice giant",                 // 118
    "hot Jupiter",               // 119
    "Sun",                       // 120
    "%ld.%ld ly",                // 121
    "class %s, stars: %d",       // 122
    "known planets",             // 123
    "in jump range",             // 124
    "in range with a full tank", // 125
    "out of range",              // 126
    "jump target: %s",           // 127
    "RMB drag / arrows turn, +/- zoom, click selects, Enter = jump target, F focus, L labels, F1 "
    "system, ESC back", // 128
    "M / N next map, I profiles, Esc cockpit, RMB drag / arrows turn, +/- zoom, click selects, "
    "Enter = jump target, F focus",                                            // 129
    "stardate %s",                                                             // 130
    "SYSTEM",                                                                  // 131
    "STARS",                                                                   // 132
    "SHIP",                                                                    // 133
    "PILOT",                                                                   // 134
    "SHIP PROFILE",                                                            // 135
    "PILOT PROFILE",                                                           // 136
    "coming soon",                                                             // 137
    "MAPS",                                                                    // 138
    "PROFILES",                                                                // 139
    "CARGO",                                                                   // 140
    "MISSIONS",                                                                // 141
    "CARGO",                                                                   // 142
    "MISSIONS",                                                                // 143
    "capacity %s, free %s",                                                    // 144
    "EQUIPMENT",                                                               // 145
    "PYLONS",                                                                  // 146
    "empty",                                                                   // 147
    "tank %s / %s",                                                            // 148
    "stored: %s",                                                              // 149
    "REFUEL",                                                                  // 150
    "auto-refuel unit fitted",                                                 // 151
    "HOLD %s / %s",                                                            // 152
    "equipment",                                                               // 153
    "cabins",                                                                  // 154
    "fuel",                                                                    // 155
    "goods",                                                                   // 156
    "free",                                                                    // 157
    "passengers: %d / cabins: %d",                                             // 158
    "no goods on board",                                                       // 159
    "GOODS",                                                                   // 160
    "PAINT: %s",                                                               // 161
    "PORT (TEST)",                                                             // 162
    "station",                                                                 // 163
    "outpost",                                                                 // 164
    "military base",                                                           // 165
    "Through the canopy: the docking bay, cranes and the lights of the port.", // 166
    "A rusty pad, a few containers and a flickering sign: BAR.",               // 167
    "Grey hangars, guards at the gate, fighters on the pads.",                 // 168
    "Landed on a permit (a test one).",                                        // 169
    "Leave the ship",                                                          // 170
    "Back to the ship",                                                        // 171
    "Back",                                                                    // 172
    "Wait until tomorrow",                                                     // 173
    "Port authority",                                                          // 174
    "Bar",                                                                     // 175
    "Shipyard",                                                                // 176
    "Market",                                                                  // 177
    "State contracts",                                                         // 178
    "Fines",                                                                   // 179
    "Ask to depart",                                                           // 180
    "Ad board",                                                                // 181
    "Sit at the bar (a drink, %d cr)",                                         // 182
    "%ld cr   open missions: %d",                                              // 183
    "test: illegal rep %d (+/-)  exp. %d (,/.)",                               // 184
    "1-9 or click: choose   ESC back",                                         // 185
    "arrows scroll, ENTER or click: talk   ESC back",                          // 186
    "The board is empty.",                                                     // 187
    "Port authority. What can I do for you?",                                  // 188
    "Nothing for you. Not yet.",                                               // 189
    "Your record is clean. You owe nothing.",                                  // 190
    "Departure granted. Safe flight.",                                         // 191
    "What'll it be?",                                                          // 192
    "You drink. Nobody comes.",                                                // 193
    "Someone sits down next to you. \"Looking for work?\"",                    // 194
    "We're refitting. Come back later.",                                       // 195
    "The market opens soon.",                                                  // 196
    "You're here about the ad?",                                               // 197
    "Details",                                                                 // 198
    "Haggle",                                                                  // 199
    "Ask for an advance",                                                      // 200
    "Accept",                                                                  // 201
    "Leave",                                                                   // 202
    "Each of them needs a cabin. You have %d free.",                           // 203
    "%d t, it needs room in the hold. You have %s free.",                      // 204
    "Papers. Nothing special, it weighs nothing.",                             // 205
    "What's inside? You don't want to know.",                                  // 206
    "Customs don't need to know. That's why it pays.",                         // 207
    "Fine. %ld cr, not a credit more.",                                        // 208
    "Forget it. I'll find someone else.",                                      // 209
    "Here's %ld cr up front. Don't make me regret it.",                        // 210
    "No advance. Paid on delivery.",                                           // 211
    "Deal.",                                                                   // 212
    "You haven't the room for it.",                                            // 213
    "Need a ride for %d people to %s. Comfort optional, speed not.",           // 214
    "%d of us are moving to %s. A calm pilot preferred.",                      // 215
    "%d t of machine parts to %s. Handle with care.",                          // 216
    "Bulk freight, %d t, bound for %s. Paid on delivery.",                     // 217
    "A small parcel for %s. Discretion appreciated.",                          // 218
    "Documents to %s, by hand. No questions.",                                 // 219
    "%d t of goods to %s, and nobody needs to know.",                          // 220
    "until %02d.%02d.%04d   %ld cr",                                           // 221
    "TAB: another test base",                                                  // 222
};

const char* loc(int id) {
    if (id < 0 || id >= LOC_COUNT) return "?";
    if (g_loc_lookup) {
        const char* text = g_loc_lookup(id, loc_builtin[id]);
        if (text) return text;
    }
    return loc_builtin[id];
}

void loc_set_lookup(loc_lookup_fn hook) {
    g_loc_lookup = hook;
}

int loc_plural_form_rule(const char* rule, int32_t count, int* matched) {
    // The absolute value in 64 bits: -2^31 has no 32-bit positive.
    uint64_t a = count < 0 ? uint64_t(0) - uint64_t(int64_t(count)) : uint64_t(count);
    int form = 0;
    const char* p = rule;
    for (;;) {
        const char* end;
        if (form_matches(p, a, &end)) {
            if (matched) *matched = 1;
            return form;
        }
        if (*end != '|') break;
        p = end + 1;
        form++;
    }
    if (matched) *matched = 0;
    return form;
}

int loc_plural_form(int32_t count) {
    return loc_plural_form_rule(current_plural_rule(), count, nullptr);
}

const char* loc_plural(int base_id, int32_t count) {
    int64_t id = int64_t(base_id) + loc_plural_form(count);
    if (id < 0 || id >= LOC_COUNT) return "?";
    return loc(static_cast<int>(id));
}

} // namespace vantrel
