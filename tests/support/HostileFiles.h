#pragma once

#include "sprite/SpriteBlock.h"
#include "spriteimage/SpriteImage.h"

#include <QProcess>

namespace morvane::test {

// The bytes of a sprite image PNG as the editor's own export writes it.
QByteArray SpritePngBytes(const SpriteBlock& block, PngPalette palette);

// A copy of `png` whose IHDR claims `width` x `height`, its checksums right so only the size is
// wrong: a decoder that trusts it would ask for width x height x 4 bytes.
QByteArray WithClaimedSize(QByteArray png, std::uint32_t width, std::uint32_t height);

// `png` with every whole chunk's CRC made right: damage is judged by content, not by checksum.
QByteArray WithChunkCrcsFixed(QByteArray png);

// A 16 x 96 palette PNG using five entries: the four greys, and a red at pixel (3, 40).
QByteArray FiveColourPng();

// Makes a named pipe; nothing ever writes to it.
bool MakePipe(const QString& path);

// Whether this process runs as root, which no file permission stops.
bool RunningAsRoot();

// While one lives, a root process opens files with an ordinary user's rights ("nobody"), so file
// permissions refuse it as they refuse a user; the real user id stays root, to switch back.
class OrdinaryUserRights {
public:
    OrdinaryUserRights();
    ~OrdinaryUserRights();
    Q_DISABLE_COPY(OrdinaryUserRights)

    bool Switched() const { return switched_; }

private:
    bool switched_ = false;
};

// For QProcess::setChildProcessModifier: a child started from root runs as the ordinary user.
std::function<void()> AsOrdinaryUserInChild();

// A copy of a program in `folder`, which an ordinary user can run wherever the build lies (a
// checkout inside a folder only its owner can enter). Empty when it cannot be made.
QString CopyProgramForEveryone(const QString& program, const QString& folder);

// A child-process step that caps the size any file may grow to, for write failures without a
// full disk; the program under test must ignore SIGXFSZ itself.
std::function<void()> FileSizeLimitInChild(qint64 bytes);

// Lets an ordinary user into a private test folder, so only a file's own permissions decide.
bool OpenFolderToEveryone(const QString& folder);

// A running copy of the system's sleep program, lengthened with the fixture pattern into a ROM
// image: while it runs, Linux refuses to open it for writing ("Text file busy"), even to root.
class RunningProgramRom {
public:
    explicit RunningProgramRom(const QString& path) : problem_(Start(path)) { }
    ~RunningProgramRom() { Stop(); }
    Q_DISABLE_COPY(RunningProgramRom)

    // Empty when the program runs and its file refuses writing, else why this system cannot.
    QString Problem() const { return problem_; }
    // Stops the program, after which the file can be written again.
    void Stop();

private:
    QString Start(const QString& path);

    QProcess process_;
    QString problem_;
};

} // namespace morvane::test
