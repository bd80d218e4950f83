#include "TestData.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <zlib.h>

namespace morvane::test {

SpriteBlock RandomBlock(quint32 seed)
{
    QRandomGenerator random(seed);
    SpriteBlock block {};
    std::ranges::generate(block, [&] { return static_cast<std::uint8_t>(random.bounded(256)); });
    return block;
}

int PixelValue(const QByteArray& tile, int column, int row)
{
    // A byte read as a signed char still has its own bits 0 to 7 after any shift right.
    return (tile.at(2 * row) >> (7 - column) & 1) | (tile.at(2 * row + 1) >> (7 - column) & 1) << 1;
}

std::uint32_t Crc32(const QByteArray& bytes)
{
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(bytes.constData()), std::size_t(bytes.size())));
}

QByteArray PngBytes(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return buffer.data();
}

ToolRun RunProgram(
    const QString& program, const QStringList& args, const QString& folder, const RunSetup& setup)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (setup.environment)
        process.setProcessEnvironment(*setup.environment);
    if (setup.inChild)
        process.setChildProcessModifier(setup.inChild);
    if (!setup.outputFile.isEmpty())
        process.setStandardOutputFile(
            setup.outputFile, setup.appendOutput ? QIODevice::Append : QIODevice::Truncate);
    process.start(program, args);
    if (process.waitForStarted(60000)) {
        process.write(setup.input);
        process.closeWriteChannel();
    }
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    const QByteArray out = process.readAllStandardOutput();
    return {process.exitCode(), QString::fromUtf8(out),
        QString::fromUtf8(process.readAllStandardError()), out};
}

ToolRun RunProgramWithByteArguments(
    const QString& program, const QStringList& args, const QString& folder, const RunSetup& setup)
{
    // bash's printf turns each argument's "\xE9" into its byte, and the program then starts in
    // bash's place with the arguments as bytes.
    const QString script = QStringLiteral(
        "args=(); for a; do printf -v b '%b' \"$a\"; args+=(\"$b\"); done; exec \"${args[@]}\"");
    return RunProgram(
        "/bin/bash", QStringList {"-c", script, "bash", program} + args, folder, setup);
}

QByteArray NameBytes(const QString& name)
{
    QByteArray bytes = name.toUtf8();
    for (qsizetype at = bytes.indexOf("\\x"); at >= 0; at = bytes.indexOf("\\x", at + 1))
        bytes.replace(at, 4, QByteArray(1, char(bytes.mid(at + 2, 2).toInt(nullptr, 16))));
    return bytes;
}

} // namespace morvane::test
