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
};

// Runs a program to completion in `folder`, optionally changing the child before it starts.
ToolRun RunProgram(const QString& program, const QStringList& args, const QString& folder,
    const std::function<void()>& inChild = {});

} // namespace morvane::test
