// The floor that Varnock's start-up on Windows is measured against: a Qt Widgets window of fourteen
// empty tabs, built and started the same way as Varnock.exe.
#include <QApplication>
#include <QTabWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTabWidget tabs;
    tabs.setWindowTitle(QStringLiteral("Varnock floor"));
    for (int i = 0; i < 14; ++i)
        tabs.addTab(new QWidget, QStringLiteral("Tab %1").arg(i));
    tabs.resize(727, 610);
    tabs.show();
    return QApplication::exec();
}
