// The port's state machine driven directly: time, the drink's order, haggling to a refusal,
// advances, the gone list, missions and room, and 100 000 random keys and clicks.
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "platform/present_amiga.h"
#include "trade/loadout.h"
#include "trade/port.h"

namespace vantrel {
namespace {

constexpr uint32_t DAY = 102067;

uint32_t at(uint32_t day, uint32_t minute_of_day) {
    return day * 1440 - 720 + minute_of_day;
}

port_state visit(int port, uint32_t minutes) {
    port_state s{};
    world_time t{minutes, 0};
    port_enter(&s, &t);
    s.port = port;
    port_rebuild_list(&s);
    return s;
}

// Opens the selected board entry.
void open_selected(port_state* s) {
    int32_t action = -1;
    s->place = PLACE_BOARD;
    port_key(s, RAWKEY_RETURN, &action);
    ASSERT_EQ(s->place, PLACE_TALK);
}

TEST(Port, WaitingEndsAtEightTheNextMorning) {
    for (uint32_t minute : {0u, 360u, 480u, 1380u, 1439u}) {
        port_state s = visit(0, at(DAY, minute));
        s.place = PLACE_CONCOURSE;
        s.list_rebuilt = false;
        port_act(&s, ACT_WAIT);
        EXPECT_EQ(s.clock.minutes, at(DAY + 1, 480)) << minute;
        EXPECT_TRUE(s.list_rebuilt);
    }
}

TEST(Port, TheDrinkAsksForTheHourBeforeIt) {
    uint32_t day = DAY;
    for (Ad ad; !port_bar_offer(&PORT_BASES[1], at(day, 1410) / 60, 0, 100, &ad);) day++;
    port_state s = visit(1, at(day, 1410));
    s.illegal_rep = 100;
    s.place = PLACE_BAR;
    s.credits = 3; // served on a tab
    port_act(&s, ACT_DRINK);
    EXPECT_EQ(s.credits, -2);
    EXPECT_EQ(s.clock.minutes, at(day + 1, 30));
    EXPECT_EQ(s.place, PLACE_TALK);
    EXPECT_EQ(s.ad.index, PORT_BAR_INDEX + (at(day, 1410) / 60) % 24);
    EXPECT_EQ(s.ad.day_posted, day);
    for (int i = 0; i < s.ad_count; i++) EXPECT_GT(s.ads[i].deadline, day + 1); // rebuilt first
    EXPECT_EQ(std::strncmp(s.speech, "Someone sits down next to you.", 30), 0) << s.speech;

    // Refused once, the same offer never comes back.
    while (!s.done) port_act(&s, ACT_HAGGLE);
    port_act(&s, ACT_LEAVE_TALK);
    EXPECT_EQ(s.place, PLACE_BAR);
    s.clock.minutes = at(day, 1410);
    port_act(&s, ACT_DRINK);
    EXPECT_STREQ(s.speech, "You drink. Nobody comes.");
}

TEST(Port, HagglingToARefusalGivesTheAdvanceBack) {
    port_state s = visit(0, at(DAY, 720));
    s.selected = 0; // 3 t of cargo for 570 cr
    open_selected(&s);
    port_act(&s, ACT_ADVANCE);
    EXPECT_EQ(s.credits, 1000 + 140);
    int32_t menu[PORT_MENU_MAX];
    EXPECT_EQ(port_menu(&s, menu), 4); // no second advance
    int successes = 0;
    for (; !s.done; successes++) port_act(&s, ACT_HAGGLE);
    EXPECT_EQ(successes - 1, s.person.haggle + 1);
    EXPECT_EQ(s.credits, 1000);
    EXPECT_EQ(port_menu(&s, menu), 1);
    EXPECT_EQ(menu[0], ACT_LEAVE_TALK);
    port_act(&s, ACT_LEAVE_TALK);
    EXPECT_EQ(s.ad_count, 23);
    EXPECT_NE(s.ads[0].index, 0u);

    // An advance on a talk left without a deal goes back too, however often it is reopened.
    for (int i = 0; i < 3; i++) {
        open_selected(&s);
        port_act(&s, ACT_ADVANCE);
        int32_t action = -1;
        port_key(&s, RAWKEY_ESCAPE, &action);
        port_act(&s, action);
    }
    EXPECT_EQ(s.credits, 1000);
}

TEST(Port, TheGoneListIsPerPortAndKeepsWhatIsStillShown) {
    port_state s = visit(0, at(DAY, 720));
    s.selected = 0;
    open_selected(&s);
    port_act(&s, ACT_ACCEPT);
    EXPECT_STREQ(s.speech, "Deal.");
    EXPECT_EQ(s.mission_count, 1);
    s.port = 1; // the outpost has its own ad DAY/0
    port_rebuild_list(&s);
    Ad fresh[PORT_ADS_MAX];
    EXPECT_EQ(s.ad_count, port_ads(&PORT_BASES[1], DAY, 0, fresh, PORT_ADS_MAX));

    // Full: old entries make room before the one still on the board.
    s.port = 0;
    for (int i = 1; i < PORT_GONE_MAX; i++) s.gone[i] = port_gone{101, DAY - 10, uint32_t(i)};
    s.gone_count = PORT_GONE_MAX;
    port_rebuild_list(&s);
    s.selected = 0;
    open_selected(&s);
    port_act(&s, ACT_ACCEPT);
    EXPECT_EQ(s.gone_count, PORT_GONE_MAX);
    EXPECT_EQ(s.gone[0].day_posted, DAY);
    EXPECT_EQ(s.gone[1].index, 2u);
    port_act(&s, ACT_LEAVE_TALK);
    EXPECT_EQ(s.ad_count, 22);
}

TEST(Port, MissionsNeedRoom) {
    port_state s = visit(0, at(DAY, 720));
    s.mission_count = PORT_MISSIONS_MAX;
    open_selected(&s);
    port_act(&s, ACT_ACCEPT);
    EXPECT_STREQ(s.speech, "You haven't the room for it.");
    EXPECT_EQ(s.mission_count, PORT_MISSIONS_MAX);
    EXPECT_FALSE(s.done);

    // A hold of 5.5 t takes 5 t of cargo but not 6; a parcel fits a full hold.
    g_tables = GameTables{};
    g_tables.hull_count = 1;
    g_tables.hulls[0].capacity = 0x58000;
    loadout_init(&g_ship, &g_tables, 0);
    g_ship_ok = 1;
    // kind, count, fuel filling the hold, taken
    const int cases[5][4] = {{AD_CARGO, 6, 0, 0},
                             {AD_SMUGGLED, 5, 0, 1},
                             {AD_PARCEL, 0, 0x58000, 1},
                             {AD_PASSENGERS, 1, 0, 0},
                             {AD_CARGO, 1, 0x58000, 0}};
    for (const auto& c : cases) {
        s = visit(0, at(DAY, 720));
        g_ship.stored_fuel = c[2];
        open_selected(&s);
        s.ad.kind = uint8_t(c[0]);
        s.ad.count = uint8_t(c[1]);
        port_act(&s, ACT_ACCEPT);
        EXPECT_EQ(s.mission_count, c[3]) << c[0] << " " << c[1];
    }
    g_ship_ok = 0;
}

void expect_sound(const port_state& s, const port_layout& l) {
    ASSERT_TRUE(s.ad_count <= PORT_ADS_MAX && s.selected >= 0 && s.first_shown <= s.selected);
    ASSERT_LE(s.selected, s.ad_count > 0 ? s.ad_count - 1 : 0);
    ASSERT_TRUE(s.mission_count <= PORT_MISSIONS_MAX && s.gone_count <= PORT_GONE_MAX);
    ASSERT_TRUE(s.place >= PLACE_SHIP && s.place <= PLACE_TALK);
    ASSERT_TRUE(s.illegal_rep >= 0 && s.illegal_rep <= 100 && s.experience >= 0 &&
                s.experience <= 7);
    ASSERT_LT(std::strlen(s.speech), size_t(PORT_SPEECH_SIZE));
    ASSERT_LE(l.menu_count ? l.menu_y[l.menu_count - 1] : 0, 208);
    bool shown = s.place != PLACE_BOARD || s.ad_count == 0;
    for (int i = 0; i < l.entry_count; i++) {
        ASSERT_LE(l.entry_bottom[i], 218);
        shown |= l.entry_index[i] == s.selected;
    }
    ASSERT_TRUE(shown) << "the selection scrolled out of view";
}

TEST(Port, RandomKeysAndClicksKeepEverythingInRange) {
    const int KEYS[] = {RAWKEY_ESCAPE, 0x01,         0x02,          0x03,         0x04,
                        0x05,          0x06,         RAWKEY_TAB,    RAWKEY_UP,    RAWKEY_DOWN,
                        RAWKEY_RETURN, RAWKEY_SPACE, RAWKEY_EQUALS, RAWKEY_MINUS, RAWKEY_PERIOD,
                        RAWKEY_COMMA,  0x43,         0x07,          0x09,         0x4A};
    std::mt19937 rng(21);
    for (int32_t start : {INT32_MIN + 7, INT32_MAX - 7, 1000}) {
        port_state s = visit(0, at(DAY, 1300));
        s.credits = start;
        port_layout layout;
        for (int step = 0; step < 100000 / 3; step++) {
            int32_t action = -1, before = s.credits;
            for (int k = int(rng() % 3); k >= 0; k--)
                port_key(&s, KEYS[rng() % (sizeof KEYS / sizeof KEYS[0])], &action);
            if (s.left) {
                s = visit(int(rng() % 3), s.clock.minutes);
                continue;
            }
            port_lay_out(&s, &layout);
            if (rng() % 4 == 0)
                port_click(&s, &layout, int(rng() % 320), int(rng() % 256), &action);
            port_act(&s, action);
            // Saturated: a drink never wraps to the top, an advance never to the bottom.
            ASSERT_TRUE(action != ACT_DRINK || s.credits <= before);
            ASSERT_TRUE(action != ACT_ADVANCE || s.credits >= before);
            port_lay_out(&s, &layout);
            expect_sound(s, layout);
        }
    }
}

} // namespace
} // namespace vantrel
