// The bare peer of idle_bench: a Qt main window with what Tabulon's has around its forms (an MDI
// area, a menu, a toolbar, a status bar with "Ready"), shown maximized, waiting for nothing.
// With --text the area holds one window with a text field that has the keyboard focus.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    auto* area = new QMdiArea;
    window.setCentralWidget(area);
    if (app.arguments().contains(QStringLiteral("--text"))) {
        auto* text = new QTextEdit;
        area->addSubWindow(text)->showMaximized();
        text->setFocus();
    }
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Файл"));
    QAction* exit = file->addAction(QStringLiteral("&Выход"));
    QObject::connect(exit, &QAction::triggered, &app, &QApplication::quit);
    window.addToolBar(QStringLiteral("Стандартная"))->addAction(exit);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.showMaximized();
    return app.exec();
}
