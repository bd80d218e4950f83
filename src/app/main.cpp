#include "ApplicationStart.h"
#include "EditorCommandLine.h"
#include "EditorStartup.h"
#include "sprite/StandardDescriptors.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Writes a whole text to standard output; a full disk or a closed pipe is an error, not a
// silent success.
int PrintOrFail(const QString& text)
{
    // A closed pipe is reported as a failed write rather than ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout)
            == std::size_t(bytes.size())
        && std::fflush(stdout) == 0;
    if (written)
        return 0;
    std::fprintf(stderr, "morvane-sprite-editor: cannot write to standard output: %s\n",
        std::strerror(errno != 0 ? errno : EIO));
    return 1;
}

void Complain(const QString& line)
{
    std::fprintf(stderr, "morvane-sprite-editor: %s\n", line.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char* argv[])
{
    if (!morvane::OpenClosedStandardDescriptors()) {
        std::fprintf(stderr,
            "morvane-sprite-editor: cannot open /dev/null in place of a closed "
            "standard input, output or error\n");
        return 1;
    }
    // A write past the file-size limit must come back as an error that Save reports, not end the
    // editor with the sprite's edits in it.
    std::signal(SIGXFSZ, SIG_IGN);

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const morvane::EditorCommand command = morvane::ParseEditorCommandLine(arguments);
    switch (command.action) {
    case morvane::EditorCommand::Action::ShowHelp:
        return PrintOrFail(morvane::EditorUsageText());
    case morvane::EditorCommand::Action::ShowVersion:
        return PrintOrFail(morvane::EditorVersionText());
    case morvane::EditorCommand::Action::Refuse:
        Complain(command.error);
        std::fprintf(stderr, "Try \"morvane-sprite-editor --help\".\n");
        return 2;
    case morvane::EditorCommand::Action::Run:
        break;
    }
    if (!command.ignoredFiles.isEmpty()) {
        Complain(QStringLiteral("opens one ROM image at a time; ignoring \"%1\"")
                     .arg(command.ignoredFiles.join(QStringLiteral("\", \""))));
    }

    // The ROM image's name goes on as given, before QApplication rearranges argv: the locale's
    // decoding would lose bytes that are not valid in it.
    const QByteArray romPath
        = command.romArgument >= 0 ? QByteArray(argv[command.romArgument + 1]) : QByteArray();
    const auto application = morvane::StartApplication(argc, argv);
    return morvane::RunEditor(romPath);
}
