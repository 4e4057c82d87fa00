// people: the hash inputs, the terms and pay of a contract, the board, the bar, haggling and
// advances, and the texts an ad is shown with.
#include "trade/people.h"

#include <cstdio>

#include "core/hash.h"
#include "shell/loc.h"
#include "universe/world_time.h"

namespace vantrel {

const PortBase PORT_BASES[PORT_COUNT] = {
    {"Mars, Olympus Station", 0, 0x57F3A11C, 101, PORT_STATION, 3, 0},
    {"Wolf 359, Skladka", 0, 0x57F3A11C, 202, PORT_OUTPOST, 1, 3},
    {"Ross 154, Fort Kessel", 0, 0x57F3A11C, 303, PORT_MILITARY, 2, 0},
};

const char* const PORT_DEST[8] = {"Alpha Centauri", "Barnard",  "Wolf 359",        "Lalande 21185",
                                  "Sirius",         "Ross 154", "Epsilon Eridani", "Tau Ceti"};

const int32_t PAY[4] = {700, 90, 1200, 400};

namespace {

constexpr uint64_t TAG_STAFF = hash_tag("STAFF");
constexpr uint64_t TAG_CLIENT = hash_tag("CLIEN");
constexpr uint64_t TAG_LOOKS = hash_tag("PORT");
constexpr uint64_t TAG_ADS = hash_tag("ADS");
constexpr uint64_t TAG_BAR = hash_tag("BAR");
constexpr uint32_t MINUTES_A_DAY = 1440;
constexpr int BOARD_DAYS = 4; // an ad stays on the board for up to four days

uint32_t hash_hi(uint64_t h) {
    return uint32_t(h >> 32);
}
uint32_t hash_lo(uint64_t h) {
    return uint32_t(h);
}

// The count and the pay multiplier of a kind: people or tonnes; a parcel is one parcel.
void ad_count(Ad* ad, uint32_t h_hi, uint32_t e, int64_t* multiplier) {
    uint32_t v = h_hi >> 8;
    uint32_t count = 0;
    if (ad->kind == AD_PASSENGERS)
        count = (v & 15) % ((e >> 1) + 2) + 1;
    else if (ad->kind != AD_PARCEL)
        count = (v & 255) % ((e + 1) * 4) + 2;
    ad->count = uint8_t(count);
    *multiplier = ad->count ? ad->count : 1;
}

// The ad's kind from the board hash: passengers, cargo (never shady) or a parcel.
void board_kind(Ad* ad, uint32_t h_lo, uint8_t crime) {
    uint32_t k = h_lo & 15;
    ad->shady = 0;
    if (k < 5) {
        ad->kind = AD_PASSENGERS;
    } else if (k > 11) {
        ad->kind = AD_PARCEL;
        ad->shady = ((h_lo >> 4) & 15) < uint32_t(crime) * 3 + 2 ? 1 : 0;
    } else {
        ad->kind = AD_CARGO;
    }
}

uint32_t board_count(const PortBase* port, uint32_t day) {
    const uint64_t words[3] = {TAG_ADS, port->id, day};
    uint32_t n = (hash_hi(hash_fold(port->seed, words, 3)) >> 28) & 1;
    if (port->type == PORT_STATION) n += 2 * uint32_t(port->size);
    return n;
}

// The chance of an offer in percent, at most 90.
int32_t bar_chance(const PortBase* port, uint32_t rep) {
    int64_t chance;
    if (port->type == PORT_MILITARY)
        chance = rep < 50 ? 0 : rep / 3;
    else
        chance = (int64_t{port->crime} + 1) * 10 + (port->type == PORT_OUTPOST ? 15 : 0) + rep / 2;
    return chance > 90 ? 90 : int32_t(chance);
}

} // namespace

uint64_t port_staff_id(uint64_t seed, uint32_t port_id, uint32_t staff) {
    const uint64_t words[3] = {TAG_STAFF, port_id, staff};
    return hash_fold(seed, words, 3);
}

uint64_t port_client_id(uint64_t seed, uint32_t port_id, uint32_t day, uint32_t index) {
    const uint64_t words[4] = {TAG_CLIENT, port_id, day, index};
    return hash_fold(seed, words, 4);
}

void person_make(Person* out, uint64_t id) {
    uint64_t h = hash_fold(id, &TAG_LOOKS, 1);
    out->id = id;
    for (int i = 0; i < 8; i++) out->looks[i] = uint8_t((h >> (3 * i)) & 7);
    out->haggle = uint8_t((h >> 32) & 3);
    out->advance = uint8_t((h >> 34) & 3);
}

void ad_terms(Ad* ad, uint64_t h, uint32_t e) {
    uint32_t hi = hash_hi(h), lo = hash_lo(h);
    int64_t days = ((lo >> 20) & 15) + 3;
    ad->deadline = ad->day_posted + uint32_t(days);
    ad->dest = (hi << 8) | (lo >> 24);
    int64_t multiplier;
    ad_count(ad, hi, e, &multiplier);
    int64_t base = multiplier * PAY[ad->kind & 3];
    // Shorter deadlines pay more: 2.3 x base at 3 days down to 0.8 x base at 18.
    int64_t p1 = (260 - 10 * days) * base / 100;
    int64_t p2 = p1 + p1 * ((hi >> 16) & 15) / 30;
    int64_t p3 = p2 + p2 * e / 10;
    int64_t pay = ((ad->shady ? 2 * p3 : p3) + 5) / 10 * 10;
    ad->pay = pay > 0xFFFFFFFF ? 0xFFFFFFFFu : uint32_t(pay);
}

int port_ads(const PortBase* port, uint32_t day, uint32_t experience, Ad* out, int capacity) {
    if (port->type == PORT_MILITARY) return 0;
    int written = 0;
    for (uint32_t age = 0; age < BOARD_DAYS && age <= day; age++) {
        uint32_t d = day - age;
        uint32_t n = board_count(port, d);
        for (uint32_t k = 0; k < n && written < capacity; k++) {
            const uint64_t words[4] = {TAG_ADS, port->id, d, k};
            uint64_t h = hash_fold(port->seed, words, 4);
            Ad ad{};
            ad.day_posted = d;
            ad.index = k;
            ad.client = port_client_id(port->seed, port->id, d, k);
            board_kind(&ad, hash_lo(h), port->crime);
            ad_terms(&ad, h, experience);
            // Expired ads are left out but keep their index: the others' indices stay put.
            if (ad.deadline > day) out[written++] = ad;
        }
    }
    return written;
}

int port_bar_offer(const PortBase* port, uint32_t hour, uint32_t experience, uint32_t illegal_rep,
                   Ad* out) {
    const uint64_t words[3] = {TAG_BAR, port->id, hour};
    uint64_t h = hash_fold(port->seed, words, 3);
    if (bar_chance(port, illegal_rep) <= int32_t(((h & 0xFFFF) * 100) >> 16)) return 0;
    Ad ad{};
    // Taken in 64 bits: the last hours of the clock would wrap the minute count.
    ad.day_posted = uint32_t((uint64_t{hour} * 60 + 720) / MINUTES_A_DAY);
    ad.index = hour % 24 + PORT_BAR_INDEX;
    ad.client = port_client_id(port->seed, port->id, ad.day_posted, ad.index);
    ad.kind = port->type == PORT_MILITARY || (h & 0x100) ? AD_SMUGGLED : AD_PARCEL;
    ad.shady = 1;
    ad_terms(&ad, h, experience);
    *out = ad;
    return 1;
}

uint32_t port_haggle(const Ad* ad, const Person* person, int32_t step) {
    if (step < 1) return ad->pay;
    if (step > person->haggle + 1) return 0;
    uint64_t pay = ad->pay + uint64_t{ad->pay} * uint32_t(step) / 10;
    return pay > 0xFFFFFFFF ? 0xFFFFFFFFu : uint32_t(pay);
}

uint32_t port_advance(const Ad* ad, const Person* person, int32_t step) {
    if (ad->shady || person->advance < step) return 0;
    return ad->pay / 40 * 10;
}

uint32_t port_places(const PortBase* port) {
    return port->type == PORT_MILITARY ? 3 : 15;
}

int port_needs_permit(const PortBase* port) {
    return port->type == PORT_MILITARY ? 1 : 0;
}

uint32_t port_day(uint32_t minutes) {
    return uint32_t((uint64_t{minutes} + 720) / MINUTES_A_DAY);
}

void port_ad_text(const Ad* ad, char* out, size_t size) {
    if (size == 0) return;
    if (size > 160) size = 160; // at most 159 characters
    int variant = int((ad->client >> 40) & 1);
    const char* dest = PORT_DEST[ad->dest & 7];
    switch (ad->kind) {
    case AD_PASSENGERS:
        std::snprintf(out, size, loc(214 + variant), int(ad->count), dest);
        break;
    case AD_CARGO:
        std::snprintf(out, size, loc(216 + variant), int(ad->count), dest);
        break;
    case AD_PARCEL:
        std::snprintf(out, size, loc(218 + variant), dest);
        break;
    default:
        std::snprintf(out, size, loc(220), int(ad->count), dest);
        break;
    }
}

void port_ad_terms_text(const Ad* ad, uint32_t pay, char* out, size_t size) {
    // The deadline day's first minute after midnight is day x 1440 - 720; a day beyond the
    // clock's range shows the clock's last date.
    uint64_t minute = uint64_t{ad->deadline} * MINUTES_A_DAY;
    minute = minute < 720 ? 0 : minute - 720;
    world_time t{minute > 0xFFFFFFFF ? 0xFFFFFFFFu : uint32_t(minute), 0};
    world_date d = world_time_date(&t);
    std::snprintf(out, size, loc(221), int(d.day), int(d.month), int(d.year), long(pay));
}

} // namespace vantrel
