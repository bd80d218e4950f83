#include "clsMSDLG.h"

#include "DialogFilter.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace morvane {

namespace {

// The hook and template options of the file dialog record: the Qt dialogs have no hooks or
// templates to offer, so the bits never reach them.
constexpr std::uint32_t kHookAndTemplateFlags = 0x20 | 0x40 | 0x80;
// Only the colour dialog's four lowest options pass: initial colour, full open, prevent full open
// and help button.
constexpr std::uint32_t kColorFlags = 0xF;

QByteArray RecordText(const QString& text)
{
    return text.toUtf8();
}

// The text in a NUL-padded buffer at least `minimum` bytes long; a longer text gets a buffer one
// byte longer than itself, so the answer always ends in a NUL.
QByteArray PaddedBuffer(const QString& text, qsizetype minimum)
{
    QByteArray buffer = RecordText(text);
    buffer.append(std::max(minimum - buffer.size(), qsizetype {1}), '\0');
    return buffer;
}

QString TextBeforeNul(const QByteArray& buffer)
{
    const qsizetype end = buffer.indexOf('\0');
    return QString::fromUtf8(end < 0 ? buffer : buffer.first(end));
}

} // namespace

clsMSDLG::clsMSDLG(DialogBackend& backend, QString programFolder)
    : backend_(backend), programFolder_(std::move(programFolder))
{
}

void clsMSDLG::SetAction(std::int32_t action)
{
    switch (action) {
    case 1:
        ShowOpen();
        break;
    case 2:
        ShowSave();
        break;
    case 3:
        ShowColor();
        break;
    default:
        break;
    }
}

void clsMSDLG::PrepareFileDialog()
{
    record_.hwndOwner = owner_;
    record_.Flags = static_cast<std::uint32_t>(flags_) & ~kHookAndTemplateFlags;
    record_.lpstrDefExt = RecordText(defaultExt_);
    record_.lpstrInitialDir = RecordText(initDir_.isEmpty() ? programFolder_ : initDir_);
    record_.lpstrFile = PaddedBuffer(fileName_, kFileBufferChars);
    record_.nMaxFile = static_cast<std::uint32_t>(record_.lpstrFile.size());
    record_.lpstrFileTitle = QByteArray(kFileBufferChars, '\0');
    record_.nMaxFileTitle = static_cast<std::uint32_t>(kFileBufferChars);
    // The list is closed by an empty text; the second NUL keeps it closed even when Filter ends
    // without a separator of its own. Filter keeps its bars for the next dialog.
    record_.lpstrFilter = RecordText(filter_).replace('|', '\0') + QByteArray(2, '\0');
    record_.nFilterIndex = static_cast<std::uint32_t>(filterIndex_);
    record_.lpstrTitle = RecordText(dialogTitle_);
}

FileDialogRequest clsMSDLG::RequestFromRecord() const
{
    FileDialogRequest request;
    request.owner = record_.hwndOwner;
    request.title = TextBeforeNul(record_.lpstrTitle);
    request.initialFolder = TextBeforeNul(record_.lpstrInitialDir);
    request.fileName = TextBeforeNul(record_.lpstrFile);
    request.nameFilters = NameFiltersFromRecord(record_.lpstrFilter);
    request.filterIndex = static_cast<int>(record_.nFilterIndex);
    request.defaultSuffix = TextBeforeNul(record_.lpstrDefExt);
    request.flags = record_.Flags;
    return request;
}

void clsMSDLG::TakeFileAnswer(const QString& path)
{
    record_.lpstrFile = PaddedBuffer(path, record_.nMaxFile);
    record_.nMaxFile = static_cast<std::uint32_t>(record_.lpstrFile.size());
    record_.lpstrFileTitle = PaddedBuffer(QFileInfo(path).fileName(), record_.nMaxFileTitle);
    record_.nMaxFileTitle = static_cast<std::uint32_t>(record_.lpstrFileTitle.size());
    fileTitle_ = TextBeforeNul(record_.lpstrFileTitle);
    fileName_ = TextBeforeNul(record_.lpstrFile);
    confirmed_ = true;
}

bool clsMSDLG::ShowFileDialog(FileDialog kind)
{
    errorNumber_ = 0;
    confirmed_ = false;
    PrepareFileDialog();
    const FileDialogRequest request = RequestFromRecord();
    const std::optional<QString> path = kind == FileDialog::Open
        ? backend_.GetOpenFileName(request)
        : backend_.GetSaveFileName(request);
    if (path)
        TakeFileAnswer(*path);
    return path.has_value();
}

void clsMSDLG::ShowOpen()
{
    // Load Rom reads the error number rather than catching, so a cancelled Open is reported
    // through it and not by an exception.
    if (!ShowFileDialog(FileDialog::Open) && cancelError_)
        errorNumber_ = 1;
}

void clsMSDLG::ShowSave()
{
    if (!ShowFileDialog(FileDialog::Save) && cancelError_)
        throw DialogCancelled();
}

void clsMSDLG::ShowColor()
{
    errorNumber_ = 0;
    confirmed_ = false;
    const std::optional<PackedColor> color = backend_.ChooseColor(
        owner_, rgbResult_, static_cast<std::uint32_t>(flags_) & kColorFlags);
    if (color) {
        rgbResult_ = *color;
        confirmed_ = true;
        return;
    }
    if (cancelError_)
        throw DialogCancelled();
}

} // namespace morvane
