#pragma once

#include "sprite/SpriteBlock.h"

#include <QByteArray>
#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
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
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size())};
}

// The CRC-32 that PNG chunks and BPS patches carry (ISO 3309, as zlib computes it).
std::uint32_t Crc32(const QByteArray& bytes);

// The message of the `Error` an operation throws, or an empty text when it succeeds; an error
// without a message still counts as one.
template <typename Error, typename Operation> QString FailureOf(Operation&& operation)
{
    try {
        operation();
    } catch (const Error& error) {
        const QString message = QString::fromUtf8(error.what());
        return message.isEmpty() ? QStringLiteral("(empty message)") : message;
    }
    return {};
}

// An image encoded as a PNG file's bytes.
QByteArray PngBytes(const QImage& image);

// What a run of a program printed and how it ended; status -1 when it crashed or hung.
struct ToolRun {
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as it came, for an image written there
};

// How to start a program beyond its arguments.
struct RunSetup {
    // Runs in the child before the program starts (dropping rights, setting limits).
    std::function<void()> inChild {};
    // Fed to the program's standard input, which is closed after it.
    QByteArray input {};
    // Where its standard output goes instead of to the test, such as /dev/full.
    QString outputFile {};
    // Appends to outputFile, as ">>" does, instead of truncating it.
    bool appendOutput = false;
    // The program's environment instead of this process's.
    std::optional<QProcessEnvironment> environment {};
};

// Runs a program to completion in `folder`.
ToolRun RunProgram(const QString& program, const QStringList& args, const QString& folder,
    const RunSetup& setup = {});

// Runs it the same way with each "\xE9" in its arguments passed on as the byte it spells, for
// file names that are not UTF-8: QProcess hands arguments on only as UTF-8.
ToolRun RunProgramWithByteArguments(const QString& program, const QStringList& args,
    const QString& folder, const RunSetup& setup = {});

// The file name `name` with each "\xE9" in it turned into the byte it spells, for the system
// calls that make such a file.
QByteArray NameBytes(const QString& name);

} // namespace morvane::test
