// csv: line splitting and the strict field readers.
#include "tools/datagen/csv.h"

#include <charconv>
#include <cmath>

namespace vantrel::datagen {

namespace {

std::vector<std::string> split_fields(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return fields;
        }
        fields.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

// Shortest round-tripping text, independent of the locale.
std::string number_text(double v) {
    char buffer[32];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, r.ptr);
}

// Keeps messages readable whatever bytes the field holds.
std::string quoted(const std::string& s) {
    std::string q = "'";
    for (unsigned char c : s.substr(0, 40)) q += (c >= 0x20 && c < 0x7F) ? char(c) : '?';
    return q + (s.size() > 40 ? "...'" : "'");
}

} // namespace

std::string csv_message(const std::string& path, int line, const std::string& reason) {
    return path + ":" + std::to_string(line) + ": " + reason;
}

bool csv_read(std::string_view text, const std::string& path, std::string_view header,
              csv_table* out, std::string* error) {
    out->path = path;
    out->columns.clear();
    out->rows.clear();
    bool have_header = false;
    int line_number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        line_number++;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (!have_header) {
            if (line != header) {
                *error = csv_message(path, line_number,
                                     "the header must read '" + std::string(header) + "'");
                return false;
            }
            out->columns = split_fields(header);
            have_header = true;
            continue;
        }
        csv_row row{line_number, split_fields(line)};
        if (row.fields.size() != out->columns.size()) {
            *error = csv_message(path, line_number,
                                 "expected " + std::to_string(out->columns.size()) +
                                     " fields, found " + std::to_string(row.fields.size()));
            return false;
        }
        out->rows.push_back(std::move(row));
    }
    if (!have_header) {
        *error = csv_message(path, line_number > 0 ? line_number : 1,
                             "no header line '" + std::string(header) + "'");
        return false;
    }
    return true;
}

const std::string& csv_fields::raw(const char* column) const {
    static const std::string none;
    for (size_t i = 0; i < table_.columns.size(); i++)
        if (table_.columns[i] == column) return row_.fields[i];
    return none;
}

bool csv_fields::fail(const std::string& reason) {
    error_ = csv_message(table_.path, row_.line, reason);
    return false;
}

// An empty field: an error when required, otherwise "not given".
bool csv_fields::missing(const char* column, bool required, bool* given) {
    if (given) *given = false;
    if (required) return fail(std::string(column) + ": missing");
    return true;
}

bool csv_fields::text(const char* column, bool required, size_t max_length, std::string* out) {
    const std::string& s = raw(column);
    if (s.empty()) return missing(column, required, nullptr);
    for (unsigned char c : s)
        if (c < 0x20 || c >= 0x7F)
            return fail(std::string(column) + ": " + quoted(s) +
                        " has a character outside printable ASCII");
    if (s.size() > max_length)
        return fail(std::string(column) + ": " + quoted(s) + " is longer than " +
                    std::to_string(max_length) + " characters");
    *out = s;
    return true;
}

bool csv_fields::decimal(const char* column, bool required, double lo, double hi, double* out,
                         bool* given) {
    const std::string& s = raw(column);
    if (s.empty()) return missing(column, required, given);
    // Plain decimal notation only: an optional minus, digits, at most one point. from_chars
    // alone would also take "inf", "nan" and exponents.
    size_t i = (s[0] == '-') ? 1 : 0;
    int digits = 0, points = 0;
    for (size_t j = i; j < s.size(); j++) {
        if (s[j] >= '0' && s[j] <= '9')
            digits++;
        else if (s[j] == '.')
            points++;
        else
            digits = -1000;
    }
    double v = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    auto r = std::from_chars(first, last, v, std::chars_format::fixed);
    if (digits <= 0 || points > 1 || r.ec != std::errc() || r.ptr != last || !std::isfinite(v))
        return fail(std::string(column) + ": " + quoted(s) + " is not a decimal number");
    if (v < lo || v > hi)
        return fail(std::string(column) + ": " + s + " is outside " + number_text(lo) + ".." +
                    number_text(hi));
    *out = v;
    if (given) *given = true;
    return true;
}

bool csv_fields::integer(const char* column, bool required, uint64_t lo, uint64_t hi, uint64_t* out,
                         bool* given) {
    const std::string& s = raw(column);
    if (s.empty()) return missing(column, required, given);
    for (char c : s)
        if (c < '0' || c > '9')
            return fail(std::string(column) + ": " + quoted(s) + " is not a whole number");
    uint64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || v < lo || v > hi)
        return fail(std::string(column) + ": " + quoted(s) + " is outside " + std::to_string(lo) +
                    ".." + std::to_string(hi));
    *out = v;
    if (given) *given = true;
    return true;
}

} // namespace vantrel::datagen
