#pragma once

#include "sprite/SpriteBlock.h"
#include "spriteimage/SpriteImage.h"

#include <QProcess>

#include <cstdint>
#include <functional>

namespace morvane::test {

// The bytes of a sprite image PNG as the editor's own export writes it.
QByteArray SpritePngBytes(const SpriteBlock& block, PngPalette palette);

// A copy of `png` whose IHDR claims `width` x `height`, its CRC made right so only the size is
// wrong: a decoder that trusts it would ask for width x height x 4 bytes.
QByteArray WithClaimedSize(const QByteArray& png, std::uint32_t width, std::uint32_t height);

// `png` with the CRC of every chunk wholly inside it made right, so a damaged chunk is judged by
// its contents rather than thrown out for its checksum.
QByteArray WithChunkCrcsFixed(const QByteArray& png);

// A 16 x 96 palette PNG using five entries: the four greys, and a red at pixel (3, 40).
QByteArray FiveColourPng();

// Makes a named pipe; nothing ever writes to it.
bool MakePipe(const QString& path);

// Whether this process runs as root, which no file permission stops.
bool RunningAsRoot();

// While one lives, this process opens files with the rights of an ordinary user ("nobody") when
// it runs as root, so a read-only or unreadable file refuses it as it refuses a user. The real
// user id stays root, which is what lets the destructor switch back.
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

// Lets an ordinary user reach the files of a test folder (a temporary folder is private to its
// owner), so only a file's own permissions decide.
bool OpenFolderToEveryone(const QString& folder);

// A ROM image that is also a running program: a copy of the system's sleep program, lengthened
// with pattern bytes past the last sprite block, and started. While it runs, Linux refuses to
// open it for writing ("Text file busy") to anyone, root included.
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
