#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quellmark");
    QApplication::setApplicationName("tenvix");
    QMainWindow window;
    window.setWindowTitle("Untitled - tenvix");
    window.show();
    return QApplication::exec();
}
