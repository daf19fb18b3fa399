#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Orvane");
    QMainWindow window;
    window.setWindowTitle("Orvane");
    window.show();
    return QApplication::exec();
}
