#include "FileSystemPath.h"

#include "sprite/PathSuffix.h"

#include <QMimeData>
#include <QUrl>

namespace morvane {

namespace {

// The length of the UTF-8 character at the start of `bytes`, or 0 when they do not start with
// one. Qt decodes a sequence of the right shape that is no character (an overlong form, a
// surrogate) to a replacement mark, which does not encode back to the same bytes.
std::size_t Utf8CharacterLength(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    // A byte that cannot lead a sequence is taken as one of its own and fails the round trip.
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (bytes.size() < length)
        return 0;
    const QByteArray sequence(bytes.data(), static_cast<qsizetype>(length));
    return QString::fromUtf8(sequence).toUtf8() == sequence ? length : 0;
}

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

bool NamesRomImage(const QByteArray& path)
{
    return HasSuffix(View(path), ".gb") || HasSuffix(View(path), ".gbc");
}

bool NamesSpriteImage(const QByteArray& path)
{
    return HasSuffix(View(path), ".png");
}

QByteArray DroppedFilePath(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile() || !url.host().isEmpty())
        return {};
    // QUrl::toLocalFile would decode the path as UTF-8 and lose any other byte; the encoded
    // path still holds every byte as it came.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QString ReadableText(std::string_view bytes)
{
    QString text;
    while (!bytes.empty()) {
        const std::size_t length = Utf8CharacterLength(bytes);
        if (length == 0) {
            text += QChar(static_cast<unsigned char>(bytes[0]));
            bytes.remove_prefix(1);
        } else {
            text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
            bytes.remove_prefix(length);
        }
    }
    return text;
}

} // namespace morvane
