// tables: the equipment and commodity tables recipe: assets/tables/equipment.txt (hulls, items,
// paint schemes) into "equipment.dat" and assets/tables/commodities.txt (trade goods) into
// "commodities.dat".
//
// The sources are UTF-8 text: `#` comment lines, `[section]` lines, then one record a line
// with its columns split by `|` and `-` for an empty field. Names are stored in ISO 8859-2,
// the font's character set, and tonnes as fix16 rounded once from the exact decimal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::datagen {

// Whether a model of that base name is built; the tables name models the SHIP page draws.
using model_check = std::function<bool(const std::string& model)>;

// The bytes of equipment.dat from the text of equipment.txt; path names the file in
// messages, has_model (may be empty) vets the model names. False with
// "<path>:<line>: <reason>" in *error on the first fault.
bool tables_equipment_bytes(std::string_view text, const std::string& path,
                            const model_check& has_model, std::vector<uint8_t>* out,
                            std::string* error);
// The same for commodities.txt and commodities.dat.
bool tables_commodities_bytes(std::string_view text, const std::string& path,
                              std::vector<uint8_t>* out, std::string* error);

} // namespace vantrel::datagen
