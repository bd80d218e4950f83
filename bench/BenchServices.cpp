#include "BenchServices.h"

namespace morvane::bench {

std::optional<QString> FixedOpenDialogs::GetOpenFileName(const FileDialogRequest&)
{
    return romPath_;
}

std::optional<QString> FixedOpenDialogs::GetSaveFileName(const FileDialogRequest&)
{
    return std::nullopt;
}

std::optional<PackedColor> FixedOpenDialogs::ChooseColor(QWidget*, PackedColor, std::uint32_t)
{
    return std::nullopt;
}

void RecordedMessages::Show(QWidget*, Icon, const QString&, const QString& text)
{
    texts.append(text);
}

bool NoHelpViewer::Open(const QString&, QString& reason)
{
    reason = QStringLiteral("the benchmark shows no help");
    return false;
}

} // namespace morvane::bench
