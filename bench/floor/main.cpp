// An empty main window with the game's menu bar and nothing else: what any
// program of this kind costs to start, to keep in memory and to leave idle.

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Floor");
    for (const char* title : {"&Game", "&Skills", "&Option", "&Help"}) {
        QMenu* menu = window.menuBar()->addMenu(title);
        for (int i = 0; i < 6; ++i)
            menu->addAction(QString("Item %1").arg(i));
    }
    window.setCentralWidget(new QWidget);
    window.resize(445, 407); // the game's Standard window
    window.show();
    return app.exec();
}
