#include <QApplication>
#include <QLabel>
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel l("VX5x");
    l.show();
    return app.exec();
}
