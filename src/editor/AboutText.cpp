#include "AboutText.h"

#include "PlatformServices.h"
#include "version/ProjectVersion.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <utility>

namespace morvane {

namespace {

const QString kHelpFileName = QStringLiteral("Morvane Sarnet Sprite Editor.txt");
// The name of the installed data folder, under the data directory.
const QString kDataFolderName = QStringLiteral("morvane-sprite-editor");

// The folder the help text is installed in, as configured when the editor was built.
QString ConfiguredHelpFolder()
{
    return QStringLiteral(MORVANE_INSTALL_DATADIR "/") + kDataFolderName;
}

} // namespace

QString AboutText()
{
    const QString version
        = QString::fromUtf8(kProjectVersion.data(), qsizetype(kProjectVersion.size()));
    const QStringList lines = {
        kProgramTitle,
        QStringLiteral("Version %1, by the Morvane Sarnet Sprite Editor team").arg(version),
        QString(),
        QStringLiteral("Thanks to everyone who charted the tile format and tried early builds,"),
        QStringLiteral("and to you for using it: write to us about faults or comments."),
        QString(),
        QStringLiteral("sprite-editor@morvane-sarnet.example"),
        QStringLiteral("https://morvane-sarnet.example/sprite-editor"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString HelpFilePath(const QString& programFolder, const QString& configuredFolder)
{
    const QString inDataFolder = kDataFolderName + QLatin1Char('/') + kHelpFileName;
    QStringList candidates = {
        QDir(programFolder).filePath(kHelpFileName),
        QDir::cleanPath(
            QDir(programFolder)
                .filePath(QStringLiteral(MORVANE_DATADIR_FROM_BINDIR "/") + inDataFolder)),
        QDir(configuredFolder).filePath(kHelpFileName),
    };
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        candidates << QDir(folder).filePath(kHelpFileName);
    for (const QString& folder :
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir(folder).filePath(inDataFolder);
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return candidates.first();
}

QString HelpFilePath(const QString& programFolder)
{
    return HelpFilePath(programFolder, ConfiguredHelpFolder());
}

QString OpenHelpFile(HelpViewer& viewer, const QString& programFolder)
{
    const QString path = HelpFilePath(programFolder);
    if (!QFileInfo(path).isFile())
        return QStringLiteral("The help file \"%1\" cannot be found.").arg(path);
    QString reason;
    if (!viewer.Open(path, reason))
        return QStringLiteral("The help file \"%1\" cannot be shown: %2").arg(path, reason);
    return {};
}

} // namespace morvane
