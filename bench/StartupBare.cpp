// The least a Qt program with a window like the editor's can do: a main window with a menu bar
// and a 417 x 346 client area, shown and quit once painted. The reference side of the start-up
// comparison.
#include "QuitAfterFirstPaint.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);

    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Quit"));
    window.menuBar()->addMenu(QStringLiteral("&Options"));
    window.menuBar()->addMenu(QStringLiteral("&Help"));
    auto* client = new QWidget(&window);
    client->setFixedSize(417, 346);
    window.setCentralWidget(client);
    window.show();
    morvane::bench::QuitAfterFirstPaint(window);
    return QApplication::exec();
}
