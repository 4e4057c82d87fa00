// stars: the star catalog recipe: the real stars (stars.csv) and their known planets and moons
// (bodies.csv) turned into catalog records, then into "stars.catalog".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/catalog_writer.h"

namespace vantrel::datagen {

// 4 ly sectors: a 12 ly query then visits 7^3 sectors, and the 64 coarse cells the game keeps
// room for span +-64 ly in 8 cells a side.
constexpr uint16_t STARS_SCALE = 4;
constexpr uint32_t STARS_MAX_CELLS = 64;
constexpr int STARS_MAX_BODIES = 63; // a system holds the star and 63 bodies

constexpr const char* STARS_HEADER = "id,name,proper,gj,hip,hd,gaia_dr3,ra,dec,parallax_mas,"
                                     "spectral,vmag,teff_k,lum_sun,radius_sun,src";
constexpr const char* BODIES_HEADER = "star,name,kind,parent,type,a_au,a_km,period_d,incl_deg,"
                                      "node_deg,mean_lon_deg,mass_earth,radius_km,temp_k,ring,"
                                      "tilt_deg,rotation_h,src";

// The catalog records of both tables, one per star in stars.csv order. The paths only name
// the files in messages. False with "<file>:<line>: <reason>" in *error on the first problem.
bool stars_parse(std::string_view stars_csv, const std::string& stars_path,
                 std::string_view bodies_csv, const std::string& bodies_path,
                 std::vector<catalog_entry>* out, std::string* error);

// stars_parse, then the file's bytes.
bool stars_catalog_bytes(std::string_view stars_csv, const std::string& stars_path,
                         std::string_view bodies_csv, const std::string& bodies_path,
                         std::vector<uint8_t>* out, std::string* error);

} // namespace vantrel::datagen
