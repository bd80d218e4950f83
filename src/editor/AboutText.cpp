#include "AboutText.h"

#include <QDir>
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
    return QDir(programFolder).filePath(QStringLiteral("Morvane Sarnet Sprite Editor.txt"));
}

} // namespace morvane
