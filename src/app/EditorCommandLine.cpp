#include "EditorCommandLine.h"

#include "version/ProjectVersion.h"

#include <QSet>

namespace morvane {

namespace {

// The options QApplication reads itself, without their leading dash; Qt takes them with one dash
// or two. Those in the first set take the next argument as their value, or one after "=".
const QSet<QString> kQtOptionsWithValue = {
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("title"),
    QStringLiteral("name"),
    QStringLiteral("icon"),
};
const QSet<QString> kQtSwitches = {
    QStringLiteral("reverse"),
    QStringLiteral("widgetcount"),
    QStringLiteral("nograb"),
    QStringLiteral("dograb"),
    QStringLiteral("sync"),
};

EditorCommand Refused(const QString& error)
{
    EditorCommand command;
    command.action = EditorCommand::Action::Refuse;
    command.error = error;
    return command;
}

} // namespace

EditorCommand ParseEditorCommandLine(const QStringList& arguments)
{
    QStringList files;
    qsizetype firstFile = -1;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) {
            if (files.isEmpty())
                firstFile = i;
            files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            EditorCommand command;
            command.action = EditorCommand::Action::ShowHelp;
            return command;
        }
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            EditorCommand command;
            command.action = EditorCommand::Action::ShowVersion;
            return command;
        }
        if (argument == QLatin1String("-")) {
            return Refused(QStringLiteral("cannot open a ROM image from standard input: Save "
                                          "rewrites the ROM image in place, so it must be a file"));
        }
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString bareName = name.section(QLatin1Char('='), 0, 0);
        if (kQtOptionsWithValue.contains(bareName)) {
            if (name.contains(QLatin1Char('=')))
                continue;
            if (i + 1 >= arguments.size())
                return Refused(QStringLiteral("the option \"%1\" needs a value").arg(argument));
            ++i;
            continue;
        }
        if (kQtSwitches.contains(name))
            continue;
        return Refused(QStringLiteral("unknown option \"%1\"").arg(argument));
    }

    EditorCommand command;
    if (!files.isEmpty()) {
        command.romPath = files.takeFirst();
        command.romArgument = firstFile;
        command.ignoredFiles = files;
    }
    return command;
}

QString EditorUsageText()
{
    return QStringLiteral(
        R"(Usage: morvane-sprite-editor [OPTIONS] [ROM]

Edits the 45 overworld character sprites stored in a Game Boy ROM image: pick a sprite, see
its 24 tiles, paint them pixel by pixel in four display colours, watch the walking animation,
and save the sprite's 384-byte block back into the ROM image in place.

ROM is a ROM image (.gb or .gbc) to open at start, as File, Load Rom would. The editor opens
one ROM image at a time: further file names are ignored, with a note on standard error. Put
"--" before a file name that starts with "-".

Options:
  -h, --help       Show this text and exit.
  -v, --version    Show the version and exit.

Qt's own options, such as -platform NAME, -style NAME and -reverse, are accepted as well.

Exit status: 0 when the window is closed, or after --help or --version; 1 when standard output
cannot be written; 2 for a mistake on the command line.

Help, Help (F1) opens the user guide. The sprites can also be listed, exported and imported as
PNG images with morvane-sprite-tool.
)");
}

QString EditorVersionText()
{
    return QStringLiteral("morvane-sprite-editor %1\n")
        .arg(QString::fromUtf8(kProjectVersion.data(), qsizetype(kProjectVersion.size())));
}

} // namespace morvane
