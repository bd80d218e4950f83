#include "EditorStartup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // QApplication has taken its own options out of argv; what is left is the editor's.
    return morvane::RunEditor({}, argc > 1 ? argv[1] : nullptr);
}
