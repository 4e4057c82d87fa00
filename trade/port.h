// port: the port screen's state machine: places, menus, the actions with the time each one
// costs, the ad list, talks with haggling and advances, accepted missions, keys and clicks.
// No drawing: the screen (port_screen) lays the state out and draws it, and tests drive the
// state here directly.
//
// Settled here, where the rules leave a choice or would go wrong:
// - An action does its effects, then spends its time; a clock that moves into a new day
//   rebuilds the ad list. The drink is the exception: it charges, spends its hour, and only
//   then asks for the offer of the hour before it.
// - Credits are signed 32-bit and every change saturates; a drink is served on a tab.
// - The gone list is keyed by port, day posted and index; when full it drops first the oldest
//   entry posted more than three days before today (no longer on any board), only then the
//   oldest, so a taken ad cannot come back while it is still shown.
// - With eight missions open a ninth is refused for want of room, and the ad stays.
// - An advance is given back when the talk ends without a deal: on Leave, Esc or a refused
//   haggle. Asking again after reopening the talk cannot multiply it.
// - Esc comes only through the key queue, one press one step; keys act in queue order, the
//   first digit (or Esc taken as an action) names the frame's one action, then the click
//   may name it, then it runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trade/people.h"
#include "universe/world_time.h"

namespace vantrel {

constexpr int PORT_ADS_MAX = 32;
constexpr int PORT_GONE_MAX = 64;
constexpr int PORT_MISSIONS_MAX = 8;
constexpr int PORT_MENU_MAX = 6;
constexpr int PORT_SPEECH_SIZE = 200; // 199 characters
constexpr int32_t PORT_DRINK_PRICE = 5;
constexpr int32_t PORT_START_CREDITS = 1000;

enum port_place : int32_t {
    PLACE_SHIP = 0,
    PLACE_CONCOURSE = 1,
    PLACE_AUTHORITY = 2,
    PLACE_BAR = 3,
    PLACE_SHIPYARD = 4,
    PLACE_MARKET = 5,
    PLACE_BOARD = 6,
    PLACE_TALK = 7,
};

enum port_action : int32_t {
    ACT_LEAVE_SHIP = 0,
    ACT_BACK_TO_SHIP = 1,
    ACT_BACK = 2,
    ACT_WAIT = 3,
    ACT_AUTHORITY = 4,
    ACT_BAR = 5,
    ACT_SHIPYARD = 6,
    ACT_MARKET = 7,
    ACT_CONTRACTS = 8,
    ACT_FINES = 9,
    ACT_DEPART = 10,
    ACT_BOARD = 11,
    ACT_DRINK = 12,
    ACT_DETAILS = 13,
    ACT_HAGGLE = 14,
    ACT_ADVANCE = 15,
    ACT_ACCEPT = 16,
    ACT_LEAVE_TALK = 17,
    ACT_COUNT = 18,
};

// An ad that was taken or refused: it shows no more on that port's board or at its bar.
struct port_gone {
    uint32_t port_id;
    uint32_t day_posted;
    uint32_t index;
};

struct port_state {
    int32_t port; // index into PORT_BASES
    int32_t place;
    world_time clock; // the port's own copy; the game clock is never written
    int32_t credits;
    Ad missions[PORT_MISSIONS_MAX];
    int32_t mission_count;
    Ad ads[PORT_ADS_MAX];
    int32_t ad_count, selected, first_shown;
    port_gone gone[PORT_GONE_MAX];
    int32_t gone_count;
    // The talk: the ad as generated, what it pays now, where it came from, how it went.
    Ad ad;
    uint32_t pay;
    bool from_bar;
    int32_t haggles;
    bool advance_asked;
    uint32_t advance; // credits taken up front and not yet earned by a deal
    bool done;
    Person person;
    char speech[PORT_SPEECH_SIZE];
    int32_t illegal_rep; // 0..100 in tens
    int32_t experience;  // 0..7
    bool left;           // Esc in the ship: the screen closes
    bool list_rebuilt;   // the ad list was rebuilt since the screen last looked
    bool trace;          // print person and talk lines as they happen
};

// A fresh visit: port 0, in the ship, 1000 cr, the given clock, the list built.
void port_enter(port_state* s, const world_time* clock);
// The actions of the current menu, in order; returns their number.
int port_menu(const port_state* s, int32_t actions[PORT_MENU_MAX]);
// Runs an action with its effects and its time.
void port_act(port_state* s, int32_t action);
// A key from the queue; a digit or Esc taken as an action sets *action when it is still -1.
void port_key(port_state* s, int key, int32_t* action);
void port_rebuild_list(port_state* s);
// Moves the first shown board entry just as far as keeps the selection in view.
void port_scroll(port_state* s);
const PortBase* port_current(const port_state* s);
// An ad's fields as the trace prints them: "DAY/INDEX kind K count C shady S dest X until
// DEADLINE pay PAY" (X = destination code & 7).
void port_ad_fields(const Ad* ad, char* out, size_t size);

// --- the screen as laid out -------------------------------------------------------------------

constexpr int PORT_LINE_SIZE = 48;
constexpr int PORT_LAYOUT_LINES = 48;
constexpr int PORT_TEXT_TOP = 30;
constexpr int PORT_BOARD_BOTTOM = 218; // the selected entry's last row stays at or above it

enum port_colour : uint8_t {
    PORT_BACKGROUND = 152,
    PORT_BAND = 154,
    PORT_TITLE = 155,
    PORT_TEXT = 156,
    PORT_MENU = 157,
    PORT_TERMS = 161,
    PORT_SHADOW = 163,
    PORT_PORTRAIT = 184, // + 8 x layer + look
};

struct port_line {
    int16_t x, y;
    uint8_t colour;
    char text[PORT_LINE_SIZE];
};

// Every text of a frame with its place, the menu's lines and the board entries in view.
struct port_layout {
    port_line lines[PORT_LAYOUT_LINES];
    int line_count;
    int32_t menu[PORT_MENU_MAX];
    int16_t menu_y[PORT_MENU_MAX];
    int menu_count;
    int16_t entry_top[PORT_ADS_MAX], entry_bottom[PORT_ADS_MAX]; // rows, inclusive
    int32_t entry_index[PORT_ADS_MAX];
    int entry_count;
    bool more_above, more_below;
    bool portrait;
};

void port_lay_out(const port_state* s, port_layout* out);
// A left click at (x, y) on the laid-out screen: a menu line names the action (when *action
// is still -1); a board entry is selected, or opened when it already was.
void port_click(port_state* s, const port_layout* layout, int x, int y, int32_t* action);

} // namespace vantrel
