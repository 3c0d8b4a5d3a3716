#include "shell/instance.h"
#include "shell/mainframe.h"
#include "shell/startoptions.h"
#include "shell/tenvixapp.h"
#include "uikit/resources.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    // Usage and version need no window system, so they come before Qt
    // looks for a display.
    using tenvix::ui::StartOptions;
    const StartOptions options = tenvix::ui::ReadStartOptions({argv + std::min(argc, 1), argv + argc});
    switch (options.action) {
    case StartOptions::Action::Help:
        std::fputs(tenvix::ui::StartUsage(), stdout);
        return 0;
    case StartOptions::Action::Version:
        std::fputs(tenvix::ui::StartVersion(), stdout);
        return 0;
    case StartOptions::Action::Bad:
        std::fprintf(stderr, "tenvix: unknown option %s\n%s", options.badOption.c_str(), tenvix::ui::StartUsage());
        return 2;
    case StartOptions::Action::Start:
        break;
    }

    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellmark"));
    QApplication::setApplicationName(QStringLiteral("tenvix"));
    tenvix::ui::InitResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    // A file for a program that is already running goes to it.
    tenvix::ui::InstanceChannel channel;
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
