#pragma once

#include "sprite/SpriteBlock.h"

#include <QImage>
#include <QProcessEnvironment>

#include <optional>
#include <span>

namespace morvane::test {

// A sprite block of random bytes, the same for the same seed.
SpriteBlock RandomBlock(quint32 seed);

// The bytes of a block, a tile or a whole image, for comparison with file contents.
inline QByteArray Bytes(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// The value of pixel (column, row) of a tile, worked out from its two row bytes directly.
int PixelValue(const QByteArray& tile, int column, int row);

// A file's bytes as the sprite and patch cores take them; valid while `bytes` lives.
inline std::span<const std::uint8_t> Span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

// The CRC-32 that PNG chunks and BPS patches carry (ISO 3309, as zlib computes it).
std::uint32_t Crc32(const QByteArray& bytes);

// The message of the `Error` an operation throws (never empty), or an empty text on success.
template <typename Error, typename Operation> QString FailureOf(Operation&& operation)
{
    try {
        operation();
    } catch (const Error& error) {
        return *error.what() ? QString::fromUtf8(error.what()) : QStringLiteral("(empty message)");
    }
    return {};
}

// An image encoded as a PNG file's bytes.
QByteArray PngBytes(const QImage& image);

// What a run of a program printed and how it ended; status -1 when it crashed or hung.
struct ToolRun {
    int status = -1;
    QString out, err;
    QByteArray outBytes; // standard output as it came, for an image written there
};

// How to start a program beyond its arguments.
struct RunSetup {
    std::function<void()> inChild {}; // runs in the child first (dropping rights, setting limits)
    QByteArray input {}; // fed to standard input, which is closed after it
    QString outputFile {}; // takes standard output instead of the test, such as /dev/full
    bool appendOutput = false; // appends to outputFile, as ">>" does, instead of truncating it
    std::optional<QProcessEnvironment> environment {}; // instead of this process's
};

// Runs a program to completion in `folder`.
ToolRun RunProgram(const QString& program, const QStringList& args, const QString& folder,
    const RunSetup& setup = {});

// The same with each "\xE9" in the arguments passed on as its byte: QProcess passes only UTF-8.
ToolRun RunProgramWithByteArguments(const QString& program, const QStringList& args,
    const QString& folder, const RunSetup& setup = {});

// `name` with each "\xE9" in it turned into the byte it spells, for making a file so named.
QByteArray NameBytes(const QString& name);

} // namespace morvane::test
