#pragma once

#include "CommandLine.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace morvane {

// What "list", "info" and "diff" print for programs: records whose keys come from one fixed list
// per kind of record, so every record of a kind has the same keys in the same order whatever its
// values, and a script can rely on them. A value that does not apply is null (empty in TSV).
struct Record;
using RecordValue
    = std::variant<std::monostate, bool, std::int64_t, std::string, std::vector<Record>>;

struct Record {
    std::span<const std::string_view> keys;
    std::vector<RecordValue> values; // one per key, in the same order
};

// Writes a record as a JSON object, one key to a line; records inside it, as in a list, stand
// one to a line. Text is written as the tool shows names (odd bytes as \xE9), so the JSON is
// always valid UTF-8.
void WriteJson(std::ostream& out, const Record& record);

// Writes records as a JSON array, one record to a line.
void WriteJson(std::ostream& out, const std::vector<Record>& records);

// Writes records as tab-separated values under a header line of `keys`, the keys every record
// has; written even when there is no record.
void WriteTsv(
    std::ostream& out, std::span<const std::string_view> keys, const std::vector<Record>& records);

} // namespace morvane
