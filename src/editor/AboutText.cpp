#include "AboutText.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace morvane {

QString AboutText()
{
    const QStringList lines = {
        kProgramTitle,
        QStringLiteral("Written by the Morvane Sarnet Sprite Editor team"),
        QString(),
        QStringLiteral("Thanks to everyone who charted the tile format and tried early builds,"),
        QStringLiteral("and to you for using it: write to us about faults or comments."),
        QString(),
        QStringLiteral("sprite-editor@morvane-sarnet.example"),
        QStringLiteral("https://morvane-sarnet.example/sprite-editor"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString HelpFilePath(const QString& programFolder)
{
    const QString name = QStringLiteral("Morvane Sarnet Sprite Editor.txt");
    const QString beside = QDir(programFolder).filePath(name);
    // Beside the program in a build folder; an installed program finds it under share/.
    const QString installed
        = QDir(programFolder).filePath(QStringLiteral("../share/morvane-sprite-editor/") + name);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return QDir::cleanPath(installed);
    return beside;
}

} // namespace morvane
