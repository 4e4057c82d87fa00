// Generated people, ads and bar offers: pay rules, the board's shape, bar chances, haggling
// and advances, and a few values worked out by hand from the hash.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#include "trade/people.h"

namespace vantrel {
namespace {

constexpr uint32_t JUNE_14_2279 = 102067; // day of the starting world time

TEST(People, PayFollowsTheTermsRule) {
    // h = 0: 3 days, one unit, no extra from the hash.
    struct {
        uint8_t kind, shady;
        uint64_t hash;
        uint32_t experience, count, pay;
    } cases[] = {
        {AD_PASSENGERS, 0, 0, 0, 1, 1610},                     // 2.3 x 700
        {AD_PARCEL, 0, 0, 0, 0, 2760},                         // 2.3 x 1200
        {AD_PARCEL, 1, 0, 0, 0, 5520},                         // shady doubles
        {AD_PARCEL, 0, 0x000F000000000000ull, 0, 0, 4140},     // + 15/30
        {AD_PARCEL, 0, 0, 5, 0, 4140},                         // + 5/10 for experience 5
        {AD_PARCEL, 0, 0x00000000F0F00000ull, 0, 0, 960},      // 18 days: 0.8 x 1200
        {AD_CARGO, 0, 0x0000FF0000000000ull, 0, 5, 1040},      // 255 mod 4 + 2 t
        {AD_SMUGGLED, 0, 0x0000FF0000000000ull, 7, 33, 51610}, // 31 + 2 t, + 7/10
    };
    for (const auto& c : cases) {
        Ad ad{};
        ad.kind = c.kind;
        ad.shady = c.shady;
        ad.day_posted = 100;
        ad_terms(&ad, c.hash, c.experience);
        EXPECT_EQ(ad.count, c.count) << int(c.kind) << " " << c.hash;
        EXPECT_EQ(ad.pay, c.pay) << int(c.kind) << " " << c.hash;
    }
    Ad ad{};
    ad_terms(&ad, 0x12345678ABCDEF01ull, 0);
    EXPECT_EQ(ad.dest, 0x345678ABu);
    EXPECT_EQ(ad.deadline, 0xCu + 3);
}

TEST(People, TheBoardKeepsItsShape) {
    Ad a[64], b[64];
    for (uint32_t day : {0u, 1u, 2u, 3u, 4u, JUNE_14_2279, 200000u}) {
        for (int p = 0; p < PORT_COUNT; p++) {
            const PortBase* port = &PORT_BASES[p];
            int n = port_ads(port, day, 3, a, 64);
            ASSERT_EQ(port_ads(port, day, 3, b, 64), n);
            int per_day[4] = {};
            for (int i = 0; i < n; i++) {
                EXPECT_TRUE(a[i].client == b[i].client && a[i].pay == b[i].pay); // repeatable
                EXPECT_GT(a[i].deadline, day);                       // expired ads are skipped
                EXPECT_LE(day - a[i].day_posted, std::min(day, 3u)); // four days at most
                EXPECT_LE(a[i].day_posted, i ? a[i - 1].day_posted : day); // newest first
                EXPECT_LE(a[i].kind, AD_PARCEL);
                EXPECT_TRUE(a[i].kind == AD_PARCEL ? a[i].count == 0 : a[i].shady == 0);
                per_day[day - a[i].day_posted]++;
            }
            EXPECT_TRUE(n == 0 || port->type != PORT_MILITARY);
            for (int d : per_day) EXPECT_LE(d, port->type == PORT_OUTPOST ? 1 : 7);
        }
    }
    EXPECT_EQ(port_ads(&PORT_BASES[0], JUNE_14_2279, 0, a, 5), 5);
}

TEST(People, WorkedOutByHand) {
    Ad ads[32];
    // The first ad, and the board's 24, are in the end-to-end port walk's trace.
    ASSERT_EQ(port_ads(&PORT_BASES[0], JUNE_14_2279, 0, ads, 32), 24);
    EXPECT_TRUE(ads[2].shady == 1 && ads[2].pay == 6440); // a parcel, no questions asked
    EXPECT_EQ(ads[23].day_posted, JUNE_14_2279 - 3);
    EXPECT_EQ(ads[23].pay, 700u);

    Person staff;
    person_make(&staff, port_staff_id(PORT_BASES[0].seed, PORT_BASES[0].id, 0));
    EXPECT_EQ(staff.id, 0x7e240929d474147eull);
    const uint8_t looks[8] = {1, 3, 2, 6, 3, 4, 0, 4};
    EXPECT_EQ(0, std::memcmp(staff.looks, looks, 8));
    EXPECT_TRUE(staff.haggle == 1 && staff.advance == 2);
}

TEST(People, BarChances) {
    struct {
        int port;
        uint32_t rep;
        int low, high; // offers in 4000 hours
    } cases[] = {
        {2, 49, 0, 0},      {2, 90, 1100, 1300},  {0, 0, 300, 500},
        {1, 0, 2100, 2500}, {1, 100, 3400, 3800},
    };
    for (const auto& c : cases) {
        int offers = 0;
        for (uint32_t hour = 2000000; hour < 2004000; hour++) {
            Ad ad;
            if (!port_bar_offer(&PORT_BASES[c.port], hour, 0, c.rep, &ad)) continue;
            offers++;
            EXPECT_EQ(ad.index, PORT_BAR_INDEX + hour % 24);
            EXPECT_EQ(ad.day_posted, (hour * 60 + 720) / 1440);
            EXPECT_TRUE(ad.shady && (c.port != 2 || ad.kind == AD_SMUGGLED));
        }
        EXPECT_GE(offers, c.low) << c.port << " rep " << c.rep;
        EXPECT_LE(offers, c.high) << c.port << " rep " << c.rep;
    }
}

TEST(People, HaggleAndAdvanceLimits) {
    Ad ad{};
    ad.pay = 1000;
    Person calm{}, tough{};
    calm.haggle = 3;
    const uint32_t calm_pay[6] = {1000, 1100, 1200, 1300, 1400, 0}, tough_pay[3] = {1000, 1100, 0};
    for (int s = 0; s < 6; s++) EXPECT_EQ(port_haggle(&ad, &calm, s), calm_pay[s]) << s;
    for (int s = 0; s < 3; s++) EXPECT_EQ(port_haggle(&ad, &tough, s), tough_pay[s]) << s;
    EXPECT_EQ(port_advance(&ad, &calm, 0), 250u);
    EXPECT_EQ(port_advance(&ad, &calm, 1), 0u);
    ad.pay = 1990;
    EXPECT_EQ(port_advance(&ad, &calm, 0), 490u);
    ad.shady = 1;
    EXPECT_EQ(port_advance(&ad, &calm, 0), 0u);
}

TEST(People, TextsAndDays) {
    Ad ad{};
    ad.kind = AD_PASSENGERS;
    ad.count = 2;
    ad.dest = 0x107; // Tau Ceti
    ad.deadline = JUNE_14_2279;
    char text[200];
    port_ad_text(&ad, text, sizeof text);
    EXPECT_STREQ(text, "Need a ride for 2 people to Tau Ceti. Comfort optional, speed not.");
    ad.client = 1ull << 40; // the second wording
    ad.kind = AD_CARGO;
    port_ad_text(&ad, text, sizeof text);
    EXPECT_STREQ(text, "Bulk freight, 2 t, bound for Tau Ceti. Paid on delivery.");
    port_ad_terms_text(&ad, 1610, text, sizeof text);
    EXPECT_STREQ(text, "until 14.06.2279   1610 cr");
    EXPECT_EQ(port_day(146976480), JUNE_14_2279);
    EXPECT_EQ(port_day(719), 0u);
    EXPECT_EQ(port_day(720), 1u);
    EXPECT_EQ(port_day(0xFFFFFFFFu), uint32_t((0xFFFFFFFFull + 720) / 1440));
}

} // namespace
} // namespace vantrel
