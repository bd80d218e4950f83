#pragma once

#include "sprite/SpriteBlock.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace morvane::test {

// A sprite block of random bytes, the same for the same seed.
SpriteBlock RandomBlock(quint32 seed);

// A block's bytes, for comparison with file contents.
QByteArray Bytes(const SpriteBlock& block);

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
    std::function<void()> inChild;
    // Fed to the program's standard input, which is closed after it.
    QByteArray input;
    // Where its standard output goes instead of to the test, such as /dev/full.
    QString outputFile;
    // Appends to outputFile, as ">>" does, instead of truncating it.
    bool appendOutput = false;
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
