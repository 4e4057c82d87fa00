// csv: the asset builder's reader for hand-edited tables: one record a line, `#` comment
// lines, an exact header line naming the columns, fields split on commas (no quoting), an
// empty field meaning "not known". The field readers are strict and locale-free: a number is
// a number in full or the row is refused, and every failure names "<file>:<line>: <reason>".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::datagen {

struct csv_row {
    int line; // 1-based line in the file
    std::vector<std::string> fields;
};

struct csv_table {
    std::string path; // as given, for messages
    std::vector<std::string> columns;
    std::vector<csv_row> rows;
};

// Reads text whose first line that is neither empty nor a comment must equal header. Every
// record must have as many fields as the header has columns. Lines may end in "\r\n".
bool csv_read(std::string_view text, const std::string& path, std::string_view header,
              csv_table* out, std::string* error);

// "<file>:<line>: <reason>"
std::string csv_message(const std::string& path, int line, const std::string& reason);

// The fields of one record by column name. Each reader returns false with the message in
// error() for a field that is malformed, out of its range or missing when required; an
// optional empty field leaves *given false and the output untouched.
class csv_fields {
  public:
    csv_fields(const csv_table& table, const csv_row& row) : table_(table), row_(row) {}

    // The field as written, unchecked ("" for a column the table does not have).
    const std::string& raw(const char* column) const;
    bool has(const char* column) const { return !raw(column).empty(); }
    // Printable ASCII only, at most max_length characters.
    bool text(const char* column, bool required, size_t max_length, std::string* out);
    // [-]digits[.digits], within [lo, hi].
    bool decimal(const char* column, bool required, double lo, double hi, double* out,
                 bool* given = nullptr);
    // Unsigned digits, within [lo, hi].
    bool integer(const char* column, bool required, uint64_t lo, uint64_t hi, uint64_t* out,
                 bool* given = nullptr);

    int line() const { return row_.line; }
    // Sets the error to "<file>:<line>: reason" and returns false.
    bool fail(const std::string& reason);
    const std::string& error() const { return error_; }

  private:
    bool missing(const char* column, bool required, bool* given);

    const csv_table& table_;
    const csv_row& row_;
    std::string error_;
};

} // namespace vantrel::datagen
