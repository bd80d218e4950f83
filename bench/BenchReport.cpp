#include "BenchReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace morvane::bench {

namespace {

std::string Printf(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Quantity(double value, const std::string& unit)
{
    return Printf(value >= 100 ? "%.0f" : "%.1f", value) + " " + unit;
}

std::string Ratio(double value)
{
    return Printf("%.2f", value) + "x";
}

std::string TargetText(const Measurement& m)
{
    if (!m.limit)
        return "-";
    if (m.ratio)
        return "<= " + Ratio(*m.limit);
    return "< " + Quantity(*m.limit, m.unit);
}

std::string VerdictText(Verdict verdict)
{
    return verdict == Verdict::Met ? "ok" : verdict == Verdict::Missed ? "MISSED" : "-";
}

std::string PadRight(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text + "  ";
}

// Three decimals are finer than any of the figures can be trusted to.
double Rounded(double value)
{
    return std::round(value * 1000) / 1000;
}

} // namespace

Measurement TimedMeasurement(const std::string& name, const std::string& unit, double median,
    int samples, std::optional<double> limit, const std::string& note)
{
    Measurement m;
    m.name = name;
    m.unit = unit;
    m.median = median;
    m.samples = samples;
    m.limit = limit;
    m.note = note;
    return m;
}

Verdict VerdictOf(const Measurement& m)
{
    if (!m.limit)
        return Verdict::NoTarget;
    const double value = m.ratio ? *m.ratio : m.median;
    return value <= *m.limit ? Verdict::Met : Verdict::Missed;
}

std::vector<std::string> MissedNames(const std::vector<Measurement>& measurements)
{
    std::vector<std::string> names;
    for (const Measurement& m : measurements) {
        if (VerdictOf(m) == Verdict::Missed)
            names.push_back(m.name);
    }
    return names;
}

std::string FormatTable(const std::vector<Measurement>& measurements)
{
    const std::vector<std::vector<std::string>> header
        = {{"benchmark", "median", "runs", "compared with", "ratio", "target", "result", ""}};
    std::vector<std::vector<std::string>> rows = header;
    for (const Measurement& m : measurements) {
        const std::string reference
            = m.referenceName.empty() ? "-" : m.referenceName + " " + Quantity(m.reference, m.unit);
        rows.push_back({m.name, Quantity(m.median, m.unit), std::to_string(m.samples), reference,
            m.ratio ? Ratio(*m.ratio) : "-", TargetText(m), VerdictText(VerdictOf(m)), m.note});
    }
    std::vector<std::size_t> widths(header.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    std::ostringstream out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += PadRight(row[c], widths[c]);
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
    const std::vector<std::string> missed = MissedNames(measurements);
    if (missed.empty()) {
        out << "All targets met.\n";
    } else {
        out << "MISSED:";
        for (const std::string& name : missed)
            out << ' ' << name;
        out << '\n';
    }
    return out.str();
}

std::string FormatJson(const std::vector<Measurement>& measurements, bool quick)
{
    QJsonObject results;
    QJsonArray missed;
    for (const Measurement& m : measurements) {
        QJsonObject figure {
            {QString::fromStdString("median_" + m.unit), Rounded(m.median)}, {"runs", m.samples}};
        if (!m.referenceName.empty())
            figure.insert(
                QString::fromStdString(m.referenceName + '_' + m.unit), Rounded(m.reference));
        if (m.ratio)
            figure.insert("ratio", Rounded(*m.ratio));
        if (m.limit) {
            figure.insert(m.ratio ? "target_ratio" : QString::fromStdString("target_" + m.unit),
                Rounded(*m.limit));
            figure.insert("pass", VerdictOf(m) == Verdict::Met);
        }
        if (VerdictOf(m) == Verdict::Missed)
            missed.append(QString::fromStdString(m.name));
        results.insert(QString::fromStdString(m.name), figure);
    }
    const QJsonObject report {
        {"platform", "offscreen"}, {"quick", quick}, {"results", results}, {"missed", missed}};
    return QJsonDocument(report).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace morvane::bench
