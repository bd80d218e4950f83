#include "Records.h"

#include "DisplayText.h"

namespace morvane {

namespace {

// DisplayText leaves no control character and no byte that is not UTF-8, so only the quote and
// the backslash remain to be escaped.
std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (const char c : DisplayText(text)) {
        if (c == '"' || c == '\\')
            json += '\\';
        json += c;
    }
    return json + "\"";
}

void WriteJsonValue(std::ostream& out, const RecordValue& value);

void WriteJsonObject(std::ostream& out, const Record& record, bool oneLine)
{
    out << (oneLine ? "{" : "{\n");
    for (std::size_t i = 0; i < record.keys.size(); ++i) {
        out << (oneLine ? (i == 0 ? "" : ", ") : "  ") << JsonString(std::string(record.keys[i]))
            << ": ";
        WriteJsonValue(out, record.values[i]);
        if (!oneLine)
            out << (i + 1 < record.keys.size() ? ",\n" : "\n");
    }
    out << "}";
}

// An array that is a record's value is indented as the record's keys are.
void WriteJsonArray(std::ostream& out, const std::vector<Record>& records, std::string_view indent)
{
    if (records.empty()) {
        out << "[]";
        return;
    }
    out << "[\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
        out << indent << "  ";
        WriteJsonObject(out, records[i], true);
        out << (i + 1 < records.size() ? ",\n" : "\n");
    }
    out << indent << "]";
}

void WriteJsonValue(std::ostream& out, const RecordValue& value)
{
    if (std::holds_alternative<std::monostate>(value))
        out << "null";
    else if (const bool* flag = std::get_if<bool>(&value))
        out << (*flag ? "true" : "false");
    else if (const std::int64_t* number = std::get_if<std::int64_t>(&value))
        out << *number;
    else if (const std::string* text = std::get_if<std::string>(&value))
        out << JsonString(*text);
    else
        WriteJsonArray(out, std::get<std::vector<Record>>(value), "  ");
}

} // namespace

void WriteJson(std::ostream& out, const Record& record)
{
    WriteJsonObject(out, record, false);
    out << "\n";
}

void WriteJson(std::ostream& out, const std::vector<Record>& records)
{
    WriteJsonArray(out, records, "");
    out << "\n";
}

void WriteTsv(
    std::ostream& out, std::span<const std::string_view> keys, const std::vector<Record>& records)
{
    for (std::size_t i = 0; i < keys.size(); ++i)
        out << (i == 0 ? "" : "\t") << keys[i];
    out << "\n";
    for (const Record& record : records) {
        for (std::size_t i = 0; i < record.values.size(); ++i) {
            out << (i == 0 ? "" : "\t");
            const RecordValue& value = record.values[i];
            if (const bool* flag = std::get_if<bool>(&value))
                out << (*flag ? "true" : "false");
            else if (const std::int64_t* number = std::get_if<std::int64_t>(&value))
                out << *number;
            else if (const std::string* text = std::get_if<std::string>(&value))
                out << DisplayText(*text);
        }
        out << "\n";
    }
}

} // namespace morvane
