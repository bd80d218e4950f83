// Writes the program's icon to a PNG file at build time, for the desktop to show beside the
// program's name; the tree keeps only the pixel map the editor draws it from.
#include "editor/AppIcon.h"

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICON.png\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!morvane::AppIconImage().save(path, "PNG")) {
        std::fprintf(stderr, "%s: cannot write the icon to \"%s\"\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
