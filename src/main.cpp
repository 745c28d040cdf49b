#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/CaptureApp.h"
#include "app/CommandLine.h"
#include "app/HardwarePlatform.h"
#include "app/HeadlessCapture.h"
#include "platform/DataPaths.h"
#include "platform/RegisteredMessages.h"

namespace {

int RunCommand(const CommandLine& commandLine, HardwarePlatform& hardware) {
    if (commandLine.action == CommandLine::Action::RunPanel) {
        return CaptureApp(hardware).InitInstance();
    }
    const DataPaths paths = DataPaths::ForThisProgram();
    HeadlessCapture headless(hardware, paths.ChannelFile(), paths.OptionsFile());
    headless.SetTuning(HeadlessTuning(commandLine.channel, commandLine.frequency_hz));
    if (commandLine.action == CommandLine::Action::Snapshot) {
        return headless.Snapshot(commandLine.outputFile);
    }
    if (commandLine.action == CommandLine::Action::DumpRaw) {
        return headless.DumpRaw(commandLine.outputFile, commandLine.seconds);
    }
    return headless.Record(commandLine.outputFile, commandLine.seconds, commandLine.codec);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = "quorvtv";
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    switch (commandLine.action) {
        case CommandLine::Action::ShowHelp:
            std::fputs(UsageText(program).c_str(), stdout);
            return 0;
        case CommandLine::Action::ShowVersion:
            std::printf("QuorvTV %s\n", QUORV_VERSION);
            return 0;
        case CommandLine::Action::Reject:
            std::fprintf(stderr, "%s: %s\n", program.c_str(), commandLine.error.c_str());
            return 2;
        default:
            break;
    }

    RegisterProgramMessages();
    // The commands without a window need no display.
    if (commandLine.action != CommandLine::Action::RunPanel &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorv Software"));
    QApplication::setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).fileName());
    Q_INIT_RESOURCE(resources);

    std::unique_ptr<HardwarePlatform> hardware;
    try {
        hardware = HardwarePlatform::Create(commandLine.emulate, commandLine.emulateOptions);
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.what());
        return 2;
    } catch (const std::runtime_error& error) {
        // A file or folder given to the emulated card that can't be used.
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.what());
        return 1;
    }
    return RunCommand(commandLine, *hardware);
}
