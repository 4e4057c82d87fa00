// people: the ports, and the people, ads and bar offers generated for them from seeds.
//
// Nothing here is stored. Every member of a port's staff, every client with a face and a
// temper, every ad on the board and every stranger's offer at the bar is a hash of the port's
// seed, its id, the calendar day (or hour) and a running index: the same board on the same day
// always shows the same ads, and a client always has the same face. Pay is in whole credits;
// days are calendar day numbers (day 0 = 1 January 2000).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

enum port_type : uint8_t { PORT_STATION = 0, PORT_OUTPOST = 1, PORT_MILITARY = 2 };

struct PortBase {
    const char* name;
    uint32_t unused;
    uint64_t seed;
    uint32_t id;
    uint8_t type; // port_type
    uint8_t size;
    uint8_t crime; // 0..3
};

constexpr int PORT_COUNT = 3;
extern const PortBase PORT_BASES[PORT_COUNT];
// Destinations by destination code & 7; shown untranslated.
extern const char* const PORT_DEST[8];

enum ad_kind : uint8_t { AD_PASSENGERS = 0, AD_CARGO = 1, AD_PARCEL = 2, AD_SMUGGLED = 3 };
// Base pay of one person, tonne or parcel, by kind.
extern const int32_t PAY[4];

// A bar offer's index: its hour number mod 24 above this, apart from the board's indices.
constexpr uint32_t PORT_BAR_INDEX = 0x10000;

struct Person {
    uint64_t id;
    uint8_t looks[8]; // 0..7 each: the portrait's layers
    uint8_t haggle;   // tolerance 0..3
    uint8_t advance;  // tolerance 0..3
};

struct Ad {
    uint32_t day_posted; // a bar offer: the day of its hour
    uint32_t index;      // in that day's list; a bar offer: PORT_BAR_INDEX + hour number mod 24
    uint64_t client;
    uint8_t kind;  // ad_kind
    uint8_t count; // people (passengers), tonnes (cargo, smuggled goods), 0 for a parcel
    uint8_t shady; // 1: no questions asked, doubled pay, no advance
    uint32_t dest; // destination code; PORT_DEST[dest & 7]
    uint32_t deadline;
    uint32_t pay;
};

// Places of a port (port_places): bit 0 port authority, 1 bar, 2 shipyard, 3 market.
constexpr uint32_t PLACE_AUTHORITY_BIT = 1, PLACE_BAR_BIT = 2, PLACE_SHIPYARD_BIT = 4,
                   PLACE_MARKET_BIT = 8;

uint64_t port_staff_id(uint64_t seed, uint32_t port_id, uint32_t staff);
uint64_t port_client_id(uint64_t seed, uint32_t port_id, uint32_t day, uint32_t index);
void person_make(Person* out, uint64_t id);

// Count, destination, deadline and pay from a hash, for the ad's kind, shady flag and day.
void ad_terms(Ad* ad, uint64_t hash, uint32_t experience);
// The board of day `day`: ads of the last four days, newest day first, then by index, those
// still running after today; returns the number written (at most capacity).
int port_ads(const PortBase* port, uint32_t day, uint32_t experience, Ad* out, int capacity);
// A stranger's offer in hour `hour` (world minutes / 60): 1 and the ad, or 0 when nobody comes.
int port_bar_offer(const PortBase* port, uint32_t hour, uint32_t experience, uint32_t illegal_rep,
                   Ad* out);
// The ad's generated pay raised by `step` tens of percent; 0 when the client walks away.
uint32_t port_haggle(const Ad* ad, const Person* person, int32_t step);
// A quarter of the generated pay in whole tens up front, or 0.
uint32_t port_advance(const Ad* ad, const Person* person, int32_t step);
uint32_t port_places(const PortBase* port);
int port_needs_permit(const PortBase* port);
// The calendar day of a world minute.
uint32_t port_day(uint32_t minutes);

// The ad's message in the current language (at most 159 characters).
void port_ad_text(const Ad* ad, char* out, size_t size);
// "until DD.MM.YYYY   PAY cr" with the deadline's date and the given pay.
void port_ad_terms_text(const Ad* ad, uint32_t pay, char* out, size_t size);

} // namespace vantrel
