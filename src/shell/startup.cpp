#include "shell/startup.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>

#include "framework/program_folder.h"
#include "framework/string_table.h"
#include "library/thumbnail_worker.h"
#include "shell/app_settings.h"
#include "shell/argument_text.h"
#include "shell/command_line.h"
#include "shell/locale_formats.h"
#include "shell/main_window.h"
#include "shell/resource_modules.h"
#include "shell/scratch_folder.h"
#include "shell/shutdown_sequence.h"
#include "shell/single_instance.h"

namespace {

constexpr const char* kUsage
    = "Usage: VistrelViewer [OPTION]... [FOLDER | FILE]\n"
      "Browse and organise the pictures, movies and sounds of a folder or a camera card.\n"
      "\n"
      "  FOLDER        open this folder\n"
      "  FILE          open the folder of this picture, movie or sound and show it enlarged\n"
      "  /Open         with a FILE handed to a running browser: only show it enlarged\n"
      "  /Desktop      show the FOLDER below the Pictures folder in the folder tree\n"
      "  /SlideShow, /Print, /SendMail\n"
      "                run that service on the current selection\n"
      "  /UpdatePM     bring the date index of all folders up to date\n"
      "  /m, /w, /d    start the camera auto-capture service\n"
      "  --help        show this help and exit\n"
      "  --version     show the version and exit\n"
      "\n"
      "When a browser is already running, the command line is handed to it.\n";

int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window the normal way, so that the settings are saved.
void CloseOnTerminationSignals(MainWindow& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool IsExistingFolder(const std::string& path)
{
    return !path.empty() && !CanonicalisePath(path).empty() && IsFolderOrUnreadable(path);
}

// The saved start folder, else the user's Pictures folder, else the Documents folder.
std::string StartFolder(const AppSettings& settings)
{
    if (IsExistingFolder(settings.startFolder))
        return settings.startFolder;
    for (auto location : {QStandardPaths::PicturesLocation, QStandardPaths::DocumentsLocation}) {
        const std::string folder = QStandardPaths::writableLocation(location).toStdString();
        if (IsExistingFolder(folder))
            return folder;
    }
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString();
}

bool HasArgument(int argc, char** argv, std::string_view wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == wanted)
            return true;
    }
    return false;
}

} // namespace

int RunVistrelViewer(int argc, char** argv)
{
    if (HasArgument(argc, argv, "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (HasArgument(argc, argv, "--version")) {
        std::printf("VistrelViewer %s\n", VISTREL_VERSION);
        return 0;
    }

    InitProgramFolder(argc > 0 ? argv[0] : "");
    const std::string argumentText = ArgumentTextOf(CommandLineFromArguments(argc, argv));

    SingleInstance instance;
    if (!instance.TryBecomeFirst()) {
        QCoreApplication forwarder(argc, argv);
        SingleInstance::Forward(argumentText, kCommandProcessForwardedText);
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("VistrelViewer");
    QApplication::setApplicationVersion(VISTREL_VERSION);
    UseLocaleDateTimeFormats();

    AppSettings& settings = CurrentSettings();
    ReadStartupSettings(settings);

    if (!LoadStringFile("")) {
        QMessageBox::critical(nullptr, "Error", "No language resource is found. Reinstall VistrelViewer.");
        return 0;
    }
    LoadResourceModules();
    ResetScratchFolder(ResolveProgramPath("Temporary"));

    // The background loader runs for the whole session; shut-down pauses it first and ends its
    // thread last.
    ThumbnailWorker& worker = ProgramThumbnailWorker();
    worker.Start();
    ProgramShutdown().Register(ShutdownStep::PauseBackgroundLoader, [&worker] { worker.Cancel(); });
    ProgramShutdown().Register(ShutdownStep::StopBackgroundLoader, [&worker] { worker.Stop(); });

    MainWindow window(settings);
    window.SetCommandLine(argumentText);
    window.PlaceAtStart(ReadBootTimes() == 0);
    instance.onForeground = [&window] { window.BringToFront(); };
    instance.onCopyData = [&window](const std::string& text) { return window.ReceiveCopyData(text); };
    instance.onCommand = [&window](int command) { window.Dispatcher().Dispatch(command); };
    instance.Listen();
    CloseOnTerminationSignals(window);

    window.OpenFolder(StartFolder(settings));
    if (!argumentText.empty())
        settings.pmMode = 0;
    CountThisStart();
    const bool enterPeriodMode = settings.pmMode != 0;
    if (!enterPeriodMode)
        window.RunStartupPreScan(argumentText);
    ReadNetPrintSetting(settings);

    QCoreApplication::processEvents();
    if (!argumentText.empty())
        window.ProcessCommandLine(argumentText, false);

    window.show();
    if (enterPeriodMode)
        window.Dispatcher().Post(kCommandPeriodMode);

    const int exitCode = QApplication::exec();
    ProgramShutdown().Run();
    return exitCode;
}
