#include "shell/instance.h"
#include "shell/mainframe.h"
#include "shell/startoptions.h"
#include "shell/tenvixapp.h"
#include "uikit/resources.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Qt's words while it looks for the window system, held back: should it find
// none it ends the program with a fatal message and an abort, and the user is
// told in one line of ours instead.
std::vector<std::string> g_startMessages;

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(tenvix::ui::NoDisplayText(), stderr);
        std::_Exit(1);
    }
    g_startMessages.push_back(qFormatLogMessage(type, context, text).toStdString());
}

} // namespace

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

    if (!tenvix::ui::DisplayExpected(options, std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                     std::getenv("WAYLAND_DISPLAY"))) {
        std::fputs(tenvix::ui::NoDisplayText(), stderr);
        return 1;
    }
    const QtMessageHandler qtHandler = qInstallMessageHandler(HoldStartMessage);
    QApplication qapp(argc, argv);
    qInstallMessageHandler(qtHandler);
    // A window system was found: what Qt said on the way is said after all.
    for (const std::string& message : g_startMessages)
        std::fprintf(stderr, "%s\n", message.c_str());
    g_startMessages.clear();
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
