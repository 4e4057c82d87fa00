// port: places, menus, actions, the ad list, talks, keys and the screen's layout.
#include "trade/port.h"

#include <cstdio>
#include <cstring>

#include "platform/present_amiga.h"
#include "shell/loc.h"
#include "trade/loadout.h"

namespace vantrel {

namespace {

constexpr int KEY_KP_ENTER = 0x43, KEY_DIGIT_1 = 0x01, KEY_DIGIT_9 = 0x09;
constexpr int32_t REP_STEP = 10, REP_MAX = 100, EXP_MAX = 7;
constexpr uint32_t MINUTES_A_DAY = 1440;
constexpr uint32_t WAIT_UNTIL = 1920; // 08:00 of the next day, in minutes from midnight
constexpr uint32_t GONE_AGE_DAYS = 3; // older ads are on no board any more

// Time each action costs, in minutes (the wait is computed).
constexpr uint32_t ACTION_MINUTES[ACT_COUNT] = {10, 0, 0, 0,  5, 5,  5, 5, 5,
                                                5,  5, 0, 60, 5, 10, 0, 0, 0};
// Message id of each action's menu label.
constexpr int ACTION_LABEL[ACT_COUNT] = {170, 171, 172, 173, 174, 175, 176, 177, 178,
                                         179, 180, 181, 182, 198, 199, 200, 201, 202};

// The font is fixed-pitch: every character is eight pixels wide.
constexpr int CHAR_W = 8;
constexpr int LINE_H = 10, MENU_LINE_H = 12, ENTRY_GAP = 2;
constexpr int TEXT_X = 4, WIDE_COLUMN = 312, PORTRAIT_COLUMN = 246, BOARD_COLUMN = 304;
constexpr int TITLE_Y = 16, MENU_TOP = 120, MENU_LAST_Y = 208, MENU_GAP = 14;
constexpr int CREDITS_Y = 222, TEST_Y = 234, KEYS_Y = 244, LOOKS_Y = 105, LOOKS_CENTRE_X = 286;

const PortBase* base(const port_state* s) {
    return &PORT_BASES[s->port >= 0 && s->port < PORT_COUNT ? s->port : 0];
}

void say(port_state* s, const char* text) {
    std::snprintf(s->speech, sizeof s->speech, "%s", text);
}

void credits_add(port_state* s, int64_t delta) {
    int64_t c = int64_t{s->credits} + delta;
    s->credits = c > INT32_MAX ? INT32_MAX : c < INT32_MIN ? INT32_MIN : int32_t(c);
}

void trace_person(const port_state* s) {
    if (!s->trace) return;
    const Person& p = s->person;
    std::printf("trace %u: person %016llx looks %d%d%d%d%d%d%d%d haggle %d advance %d\n",
                present_frame_count(), static_cast<unsigned long long>(p.id), p.looks[0],
                p.looks[1], p.looks[2], p.looks[3], p.looks[4], p.looks[5], p.looks[6], p.looks[7],
                p.haggle, p.advance);
}

void set_person(port_state* s, uint64_t id) {
    person_make(&s->person, id);
    trace_person(s);
}

void set_staff(port_state* s, uint32_t n) {
    const PortBase* p = base(s);
    set_person(s, port_staff_id(p->seed, p->id, n));
}

// Spends minutes of the port's clock; a new day brings a new board.
void spend(port_state* s, uint32_t minutes) {
    uint32_t day = port_day(s->clock.minutes);
    world_time_add_minutes(&s->clock, minutes);
    if (port_day(s->clock.minutes) != day) port_rebuild_list(s);
}

bool gone_has(const port_state* s, uint32_t port_id, uint32_t day, uint32_t index) {
    for (int32_t i = 0; i < s->gone_count; i++) {
        const port_gone& g = s->gone[i];
        if (g.port_id == port_id && g.day_posted == day && g.index == index) return true;
    }
    return false;
}

// When full, the oldest entry that no board shows any more makes room; failing that the
// oldest of all.
void gone_add(port_state* s, const Ad* ad) {
    uint32_t id = base(s)->id;
    if (gone_has(s, id, ad->day_posted, ad->index)) return;
    if (s->gone_count >= PORT_GONE_MAX) {
        uint32_t today = port_day(s->clock.minutes);
        int32_t drop = 0;
        for (int32_t i = 0; i < s->gone_count; i++)
            if (uint64_t{s->gone[i].day_posted} + GONE_AGE_DAYS < today) {
                drop = i;
                break;
            }
        std::memmove(&s->gone[drop], &s->gone[drop + 1],
                     sizeof(port_gone) * size_t(s->gone_count - drop - 1));
        s->gone_count--;
    }
    s->gone[s->gone_count++] = port_gone{id, ad->day_posted, ad->index};
}

void trace_talk(const port_state* s) {
    if (!s->trace) return;
    char fields[160];
    port_ad_fields(&s->ad, fields, sizeof fields);
    std::printf("trace %u: talk %s\n", present_frame_count(), fields);
}

void start_talk(port_state* s, const Ad* ad, bool from_bar) {
    s->ad = *ad;
    s->pay = ad->pay;
    s->from_bar = from_bar;
    s->haggles = 0;
    s->advance_asked = false;
    s->advance = 0;
    s->done = false;
    s->place = PLACE_TALK;
    trace_talk(s);
    set_person(s, ad->client);
}

// The talk ends without a deal: what was taken up front goes back.
void return_advance(port_state* s) {
    credits_add(s, -int64_t{s->advance});
    s->advance = 0;
}

void go_to_bar(port_state* s) {
    s->place = PLACE_BAR;
    set_staff(s, 1);
}

void drink(port_state* s) {
    uint32_t hour = s->clock.minutes / 60;
    credits_add(s, -PORT_DRINK_PRICE);
    spend(s, ACTION_MINUTES[ACT_DRINK]);
    Ad offer;
    const PortBase* p = base(s);
    if (!port_bar_offer(p, hour, uint32_t(s->experience), uint32_t(s->illegal_rep), &offer) ||
        gone_has(s, p->id, offer.day_posted, offer.index)) {
        say(s, loc(193));
        return;
    }
    start_talk(s, &offer, true);
    char text[160];
    port_ad_text(&offer, text, sizeof text);
    std::snprintf(s->speech, sizeof s->speech, "%s %s", loc(194), text);
}

fix16 free_hold() {
    if (!g_ship_ok) return 0;
    HoldSummary hold;
    loadout_hold(&hold, &g_ship, &g_tables);
    return hold.free;
}

int32_t free_cabins() {
    return loadout_cabins(&g_ship, &g_tables) - g_ship.passengers;
}

void details(port_state* s) {
    char tonnes[32];
    switch (s->ad.kind) {
    case AD_PASSENGERS:
        if (g_ship_ok)
            std::snprintf(s->speech, sizeof s->speech, loc(203), int(free_cabins()));
        else
            s->speech[0] = '\0';
        break;
    case AD_CARGO:
        loadout_format_tonnes(free_hold(), tonnes, sizeof tonnes);
        std::snprintf(s->speech, sizeof s->speech, loc(204), int(s->ad.count), tonnes);
        break;
    case AD_PARCEL:
        say(s, loc(s->ad.shady ? 206 : 205));
        break;
    default:
        say(s, loc(207));
        break;
    }
}

void haggle(port_state* s) {
    s->haggles++;
    uint32_t pay = port_haggle(&s->ad, &s->person, s->haggles);
    if (pay) {
        s->pay = pay;
        std::snprintf(s->speech, sizeof s->speech, loc(208), long(pay));
        return;
    }
    say(s, loc(209));
    gone_add(s, &s->ad);
    return_advance(s);
    s->done = true;
}

void ask_advance(port_state* s) {
    s->advance_asked = true;
    if (!port_advance(&s->ad, &s->person, 0)) {
        say(s, loc(211));
        return;
    }
    // A quarter of what the job pays now, haggled or not.
    uint32_t advance = s->pay / 40 * 10;
    credits_add(s, advance);
    s->advance += advance;
    std::snprintf(s->speech, sizeof s->speech, loc(210), long(advance));
}

// Passengers need free cabins, goods free hold; a parcel fits anywhere, and without a
// loadout nothing is checked.
bool has_room(const port_state* s) {
    if (!g_ship_ok) return true;
    switch (s->ad.kind) {
    case AD_PASSENGERS:
        return free_cabins() >= s->ad.count;
    case AD_CARGO:
    case AD_SMUGGLED:
        return int64_t{free_hold()} >= int64_t{s->ad.count} << 16;
    default:
        return true;
    }
}

void accept(port_state* s) {
    if (!has_room(s) || s->mission_count >= PORT_MISSIONS_MAX) {
        say(s, loc(213));
        return;
    }
    Ad mission = s->ad;
    mission.pay = s->pay;
    s->missions[s->mission_count++] = mission;
    gone_add(s, &s->ad);
    s->advance = 0; // earned by the deal
    say(s, loc(212));
    s->done = true;
}

void leave_talk(port_state* s) {
    s->speech[0] = '\0';
    return_advance(s);
    if (s->from_bar) {
        go_to_bar(s);
    } else {
        port_rebuild_list(s);
        s->place = PLACE_BOARD;
    }
}

// What an action does, before its time is spent.
void act_effects(port_state* s, int32_t action) {
    static constexpr int32_t STAFF_PLACE[4] = {PLACE_AUTHORITY, PLACE_BAR, PLACE_SHIPYARD,
                                               PLACE_MARKET};
    static constexpr int STAFF_GREETING[4] = {188, 192, 195, 196};
    switch (action) {
    case ACT_LEAVE_SHIP:
    case ACT_BACK:
        s->place = PLACE_CONCOURSE;
        s->speech[0] = '\0';
        break;
    case ACT_BACK_TO_SHIP:
        s->place = PLACE_SHIP;
        s->speech[0] = '\0';
        break;
    case ACT_WAIT:
        s->speech[0] = '\0';
        break;
    case ACT_AUTHORITY:
    case ACT_BAR:
    case ACT_SHIPYARD:
    case ACT_MARKET: {
        int n = action - ACT_AUTHORITY;
        s->place = STAFF_PLACE[n];
        set_staff(s, uint32_t(n));
        say(s, loc(STAFF_GREETING[n]));
        break;
    }
    case ACT_CONTRACTS:
    case ACT_FINES:
    case ACT_DEPART:
        say(s, loc(189 + action - ACT_CONTRACTS));
        break;
    case ACT_BOARD:
        port_rebuild_list(s);
        s->place = PLACE_BOARD;
        break;
    case ACT_DETAILS:
        details(s);
        break;
    case ACT_HAGGLE:
        haggle(s);
        break;
    case ACT_ADVANCE:
        ask_advance(s);
        break;
    case ACT_ACCEPT:
        accept(s);
        break;
    case ACT_LEAVE_TALK:
        leave_talk(s);
        break;
    default:
        break;
    }
}

void choose(const port_state* s, int number, int32_t* action) {
    int32_t menu[PORT_MENU_MAX];
    int n = port_menu(s, menu);
    if (*action < 0 && number >= 1 && number <= n) *action = menu[number - 1];
}

void escape(port_state* s, int32_t* action) {
    int32_t step = -1;
    switch (s->place) {
    case PLACE_SHIP:
        s->left = true;
        return;
    case PLACE_CONCOURSE:
        step = ACT_BACK_TO_SHIP;
        break;
    case PLACE_BOARD:
        s->speech[0] = '\0';
        go_to_bar(s);
        return;
    case PLACE_TALK:
        step = ACT_LEAVE_TALK;
        break;
    default:
        step = ACT_BACK;
        break;
    }
    if (*action < 0) *action = step;
}

void board_key(port_state* s, int key) {
    if (key == RAWKEY_UP && s->selected > 0) s->selected--;
    if (key == RAWKEY_DOWN && s->selected < s->ad_count - 1) s->selected++;
    port_scroll(s);
    bool open = key == RAWKEY_RETURN || key == KEY_KP_ENTER || key == RAWKEY_SPACE;
    if (open && s->selected >= 0 && s->selected < s->ad_count) {
        start_talk(s, &s->ads[s->selected], false);
        say(s, loc(197));
    }
}

// --- layout -----------------------------------------------------------------------------------

// Greedy wrapping at spaces into lines of at most max_chars; a longer word is cut. Calls
// emit(start, length) per line; returns the number of lines.
template <class Emit>
int wrap(const char* text, int max_chars, Emit&& emit) {
    int lines = 0;
    const char* p = text;
    while (*p == ' ') p++;
    while (*p) {
        int len = int(std::strlen(p));
        int take = len, next = len;
        if (len > max_chars) {
            int cut = max_chars;
            while (cut > 0 && p[cut] != ' ') cut--;
            take = cut > 0 ? cut : max_chars;
            next = take;
        }
        int shown = take;
        while (shown > 0 && p[shown - 1] == ' ') shown--;
        emit(p, shown);
        lines++;
        p += next;
        while (*p == ' ') p++;
    }
    return lines;
}

int wrapped_lines(const char* text, int max_chars) {
    return wrap(text, max_chars, [](const char*, int) {});
}

int board_text_lines(const Ad* ad) {
    char text[160];
    port_ad_text(ad, text, sizeof text);
    return wrapped_lines(text, BOARD_COLUMN / CHAR_W);
}

// An entry's height from its top to the next entry's top.
int entry_height(int text_lines) {
    return LINE_H * (text_lines + 1) + ENTRY_GAP;
}

// The last row an entry touches (its terms line with the shadow) from its top.
int entry_last_row(int top, int text_lines) {
    return top + LINE_H * text_lines + 8;
}

struct layout_writer {
    port_layout* out;
    void add(int x, int y, uint8_t colour, const char* text, int len = -1) {
        if (out->line_count >= PORT_LAYOUT_LINES) return;
        port_line& l = out->lines[out->line_count++];
        l.x = int16_t(x);
        l.y = int16_t(y);
        l.colour = colour;
        if (len < 0) len = int(std::strlen(text));
        if (len > PORT_LINE_SIZE - 1) len = PORT_LINE_SIZE - 1;
        std::memcpy(l.text, text, size_t(len));
        l.text[len] = '\0';
    }
    // A paragraph wrapped from y; returns the y of the next line.
    int paragraph(int y, int width, uint8_t colour, const char* text) {
        wrap(text, width / CHAR_W, [&](const char* start, int len) {
            add(TEXT_X, y, colour, start, len);
            y += LINE_H;
        });
        return y;
    }
};

void title_text(const port_state* s, char* out, size_t size) {
    static constexpr int PLACE_NAME[PLACE_TALK + 1] = {0, 0, 174, 175, 176, 177, 181, 0};
    const PortBase* p = base(s);
    const char* place = p->name;
    if (s->place == PLACE_TALK)
        place = loc(s->from_bar ? 175 : 181);
    else if (s->place >= PLACE_AUTHORITY && s->place <= PLACE_BOARD)
        place = loc(PLACE_NAME[s->place]);
    std::snprintf(out, size, "%s  (%s)", place, loc(163 + (p->type <= 2 ? p->type : 0)));
}

// The text of the place above the menu; returns the y below its last line (TEXT_TOP when
// there is none).
int place_text(const port_state* s, layout_writer* w, int width) {
    int y = PORT_TEXT_TOP;
    if (s->place == PLACE_SHIP || s->place == PLACE_CONCOURSE) {
        const PortBase* p = base(s);
        y = w->paragraph(y, width, PORT_TEXT, loc(166 + (p->type <= 2 ? p->type : 0)));
        if (port_needs_permit(p)) y = w->paragraph(y, width, PORT_TEXT, loc(169));
        return w->paragraph(y, width, PORT_TEXT, loc(222));
    }
    if (s->place == PLACE_TALK) {
        char text[160];
        port_ad_text(&s->ad, text, sizeof text);
        y = w->paragraph(y, width, PORT_TEXT, text);
        port_ad_terms_text(&s->ad, s->pay, text, sizeof text);
        y = w->paragraph(y, width, PORT_TERMS, text);
    }
    return w->paragraph(y, width, PORT_TEXT, s->speech);
}

// The menu under the text, moved up when its last line would pass MENU_LAST_Y; text lines it
// would cover are dropped.
void menu_lines(const port_state* s, layout_writer* w, int text_first, int text_end) {
    port_layout* out = w->out;
    out->menu_count = port_menu(s, out->menu);
    if (out->menu_count == 0) return;
    int y0 = text_end > PORT_TEXT_TOP ? text_end - LINE_H + MENU_GAP : MENU_TOP;
    if (y0 < MENU_TOP) y0 = MENU_TOP;
    int last = y0 + MENU_LINE_H * (out->menu_count - 1);
    if (last > MENU_LAST_Y) {
        y0 -= last - MENU_LAST_Y;
        int kept = text_first;
        for (int i = text_first; i < out->line_count; i++)
            if (out->lines[i].y <= y0 - MENU_GAP) out->lines[kept++] = out->lines[i];
        out->line_count = kept;
    }
    for (int i = 0; i < out->menu_count; i++) {
        char label[96], line[112];
        int32_t a = out->menu[i];
        if (a == ACT_DRINK)
            std::snprintf(label, sizeof label, loc(182), int(PORT_DRINK_PRICE));
        else
            std::snprintf(label, sizeof label, "%s", loc(ACTION_LABEL[a]));
        std::snprintf(line, sizeof line, "%d  %s", i + 1, label);
        out->menu_y[i] = int16_t(y0 + MENU_LINE_H * i);
        w->add(TEXT_X, out->menu_y[i], PORT_MENU, line);
    }
}

void board_lines(const port_state* s, layout_writer* w) {
    port_layout* out = w->out;
    if (s->ad_count == 0) {
        w->add(TEXT_X, PORT_TEXT_TOP, PORT_TEXT, loc(187));
        return;
    }
    out->more_above = s->first_shown > 0;
    int top = PORT_TEXT_TOP;
    for (int32_t k = s->first_shown; k < s->ad_count; k++) {
        const Ad& ad = s->ads[k];
        char text[160];
        port_ad_text(&ad, text, sizeof text);
        int lines = wrapped_lines(text, BOARD_COLUMN / CHAR_W);
        if (entry_last_row(top, lines) > PORT_BOARD_BOTTOM) {
            out->more_below = true;
            break;
        }
        uint8_t colour = k == s->selected ? PORT_TITLE : PORT_TEXT;
        int y = w->paragraph(top, BOARD_COLUMN, colour, text);
        port_ad_terms_text(&ad, ad.pay, text, sizeof text);
        w->add(TEXT_X, y, PORT_TERMS, text);
        out->entry_index[out->entry_count] = k;
        out->entry_top[out->entry_count] = int16_t(top - 1);
        out->entry_bottom[out->entry_count] = int16_t(entry_last_row(top, lines));
        out->entry_count++;
        top += entry_height(lines);
    }
}

void bottom_lines(const port_state* s, layout_writer* w) {
    char line[128];
    std::snprintf(line, sizeof line, loc(183), long(s->credits), int(s->mission_count));
    w->add(TEXT_X, CREDITS_Y, PORT_TEXT, line);
    if (s->place == PLACE_BOARD) {
        w->add(TEXT_X, TEST_Y, PORT_TEXT, loc(186));
        return;
    }
    std::snprintf(line, sizeof line, loc(184), int(s->illegal_rep), int(s->experience));
    w->add(TEXT_X, TEST_Y, PORT_TEXT, line);
    w->add(TEXT_X, KEYS_Y, PORT_TEXT, loc(185));
}

void looks_line(const port_state* s, layout_writer* w) {
    const Person& p = s->person;
    char digits[9];
    int n = p.looks[7] ? 8 : 7;
    for (int i = 0; i < n; i++) digits[i] = char('0' + p.looks[i]);
    digits[n] = '\0';
    w->add(LOOKS_CENTRE_X - n * CHAR_W / 2, LOOKS_Y, PORT_TEXT, digits);
}

} // namespace

void port_ad_fields(const Ad* ad, char* out, size_t size) {
    std::snprintf(out, size, "%lu/%lu kind %d count %d shady %d dest %lu until %lu pay %lu",
                  static_cast<unsigned long>(ad->day_posted), static_cast<unsigned long>(ad->index),
                  ad->kind, ad->count, ad->shady, static_cast<unsigned long>(ad->dest & 7),
                  static_cast<unsigned long>(ad->deadline), static_cast<unsigned long>(ad->pay));
}

const PortBase* port_current(const port_state* s) {
    return base(s);
}

void port_enter(port_state* s, const world_time* clock) {
    bool trace = s->trace;
    *s = port_state{};
    s->trace = trace;
    s->credits = PORT_START_CREDITS;
    s->clock = *clock;
    port_rebuild_list(s);
}

int port_menu(const port_state* s, int32_t out[PORT_MENU_MAX]) {
    int n = 0;
    auto add = [&](int32_t a) { out[n++] = a; };
    const PortBase* p = base(s);
    uint32_t places = port_places(p);
    switch (s->place) {
    case PLACE_SHIP:
        add(ACT_LEAVE_SHIP);
        break;
    case PLACE_CONCOURSE:
        if (places & PLACE_AUTHORITY_BIT) add(ACT_AUTHORITY);
        if (places & PLACE_BAR_BIT) add(ACT_BAR);
        if (places & PLACE_SHIPYARD_BIT) add(ACT_SHIPYARD);
        if (places & PLACE_MARKET_BIT) add(ACT_MARKET);
        add(ACT_WAIT);
        add(ACT_BACK_TO_SHIP);
        break;
    case PLACE_AUTHORITY:
        add(ACT_CONTRACTS);
        add(ACT_FINES);
        add(ACT_DEPART);
        add(ACT_BACK);
        break;
    case PLACE_BAR:
        if (p->type != PORT_MILITARY) add(ACT_BOARD);
        add(ACT_DRINK);
        add(ACT_BACK);
        break;
    case PLACE_SHIPYARD:
    case PLACE_MARKET:
        add(ACT_BACK);
        break;
    case PLACE_TALK:
        if (!s->done) {
            add(ACT_DETAILS);
            add(ACT_HAGGLE);
            if (!s->advance_asked) add(ACT_ADVANCE);
            add(ACT_ACCEPT);
        }
        add(ACT_LEAVE_TALK);
        break;
    default:
        break;
    }
    return n;
}

void port_act(port_state* s, int32_t action) {
    if (action < 0 || action >= ACT_COUNT) return;
    if (action == ACT_DRINK) return drink(s);
    act_effects(s, action);
    uint32_t minutes = ACTION_MINUTES[action];
    if (action == ACT_WAIT) minutes = WAIT_UNTIL - (s->clock.minutes + 720) % MINUTES_A_DAY;
    if (minutes) spend(s, minutes);
}

void port_key(port_state* s, int key, int32_t* action) {
    if (key == RAWKEY_ESCAPE) return escape(s, action);
    if (key >= KEY_DIGIT_1 && key <= KEY_DIGIT_9) {
        if (s->place != PLACE_BOARD) choose(s, key - KEY_DIGIT_1 + 1, action);
        return;
    }
    switch (key) {
    case RAWKEY_TAB:
        if (s->place != PLACE_SHIP) return;
        s->port = (s->port + 1) % PORT_COUNT;
        port_rebuild_list(s);
        return;
    case RAWKEY_EQUALS:
    case RAWKEY_KP_PLUS:
        s->illegal_rep = s->illegal_rep + REP_STEP > REP_MAX ? REP_MAX : s->illegal_rep + REP_STEP;
        return;
    case RAWKEY_MINUS:
    case RAWKEY_KP_MINUS:
        s->illegal_rep = s->illegal_rep < REP_STEP ? 0 : s->illegal_rep - REP_STEP;
        return;
    case RAWKEY_PERIOD:
    case RAWKEY_COMMA:
        s->experience += key == RAWKEY_PERIOD ? 1 : -1;
        s->experience = s->experience < 0 ? 0 : s->experience > EXP_MAX ? EXP_MAX : s->experience;
        port_rebuild_list(s);
        return;
    default:
        if (s->place == PLACE_BOARD) board_key(s, key);
        return;
    }
}

void port_rebuild_list(port_state* s) {
    const PortBase* p = base(s);
    Ad fresh[PORT_ADS_MAX];
    int n = port_ads(p, port_day(s->clock.minutes), uint32_t(s->experience), fresh, PORT_ADS_MAX);
    s->ad_count = 0;
    for (int i = 0; i < n; i++)
        if (!gone_has(s, p->id, fresh[i].day_posted, fresh[i].index))
            s->ads[s->ad_count++] = fresh[i];
    if (s->selected < 0 || s->selected >= s->ad_count)
        s->selected = s->ad_count > 0 ? s->ad_count - 1 : 0;
    port_scroll(s);
    s->list_rebuilt = true;
}

void port_scroll(port_state* s) {
    if (s->first_shown > s->selected) s->first_shown = s->selected;
    if (s->first_shown < 0) s->first_shown = 0;
    for (;;) {
        if (s->first_shown >= s->selected) return;
        int top = PORT_TEXT_TOP;
        for (int32_t k = s->first_shown; k < s->selected; k++)
            top += entry_height(board_text_lines(&s->ads[k]));
        if (entry_last_row(top, board_text_lines(&s->ads[s->selected])) <= PORT_BOARD_BOTTOM)
            return;
        s->first_shown++;
    }
}

void port_lay_out(const port_state* s, port_layout* out) {
    out->line_count = 0;
    out->menu_count = 0;
    out->entry_count = 0;
    out->more_above = out->more_below = false;
    layout_writer w{out};
    char title[128];
    title_text(s, title, sizeof title);
    w.add(TEXT_X, TITLE_Y, PORT_TITLE, title);
    // The portrait stands beside the text; the board's entries use the full width.
    out->portrait = s->place >= PLACE_AUTHORITY && s->place != PLACE_BOARD;
    if (s->place == PLACE_BOARD) {
        board_lines(s, &w);
    } else {
        int first = out->line_count;
        int end = place_text(s, &w, out->portrait ? PORTRAIT_COLUMN : WIDE_COLUMN);
        menu_lines(s, &w, first, end);
    }
    bottom_lines(s, &w);
    if (out->portrait) looks_line(s, &w);
}

void port_click(port_state* s, const port_layout* layout, int x, int y, int32_t* action) {
    for (int i = 0; i < layout->menu_count; i++)
        if (y >= layout->menu_y[i] - 2 && y <= layout->menu_y[i] + 9) {
            if (*action < 0) *action = layout->menu[i];
            return;
        }
    if (s->place != PLACE_BOARD || x >= 308) return;
    for (int i = 0; i < layout->entry_count; i++) {
        if (y < layout->entry_top[i] || y > layout->entry_bottom[i]) continue;
        int32_t k = layout->entry_index[i];
        if (k >= s->ad_count) return;
        if (k == s->selected) {
            start_talk(s, &s->ads[k], false);
            say(s, loc(197));
        } else {
            s->selected = k;
            port_scroll(s);
        }
        return;
    }
}

} // namespace vantrel
