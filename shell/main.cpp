#include "shell/instance.h"
#include "shell/mainframe.h"
#include "shell/tenvixapp.h"
#include "uikit/resources.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationName(QStringLiteral("tenvix"));
    tenvix::ui::InitResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    // A file for a program that is already running goes to it.
    tenvix::ui::CInstanceChannel channel;
    const QString file = tenvix::ui::CTenvixApp::FileToOpen(QApplication::arguments());
    if (!file.isEmpty() && channel.HandOver(file))
        return 0;

    tenvix::ui::CTenvixApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    if (channel.Listen())
        app.AcceptFilesFrom(channel);
    QObject::connect(&qapp, &QApplication::aboutToQuit, &app, &tenvix::ui::CTenvixApp::ExitInstance);
    return QApplication::exec();
}
