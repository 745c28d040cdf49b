#include "app/CaptureApp.h"

#include <QApplication>
#include <QPixmapCache>

#include "app/ClassicPalette.h"
#include "app/HardwarePlatform.h"
#include "app/MainPanel.h"
#include "app/ModalRunner.h"
#include "app/PanelTerminator.h"
#include "app/QtFileChooser.h"
#include "app/QtWarningBox.h"
#include "app/dialogs/CompressionOptionsDialog.h"
#include "platform/DataPaths.h"
#include "platform/LogindPowerService.h"
#include "platform/WarningBox.h"

namespace {

// Qt's pixmap cache keeps up to 10 MB by default. Every file dialog loads its
// icons anew, under new cache keys, so each one opened used to add about
// 340 kB of pixmaps that were never looked up again until the cache was full
// (the Channels dialog adds about 16 kB the same way). The panel and its
// dialogs draw from well under 1 MB.
constexpr int kPixmapCacheLimit_kb = 1024;

}  // namespace

CaptureApp::CaptureApp(HardwarePlatform& hardware) : hardware_(hardware) {}

int CaptureApp::InitInstance() {
    QApplication::setPalette(ClassicPalette());
    QPixmapCache::setCacheLimit(kPixmapCacheLimit_kb);
    QtWarningBox warningBox;
    SetWarningBox(&warningBox);
    const DataPaths paths = DataPaths::ForThisProgram();
    QtFileChooser fileChooser;
    CompressionOptionsDialog compressionDialog;
    LogindPowerService power;
    ModalRunner modal;

    PanelServices services;
    services.ports = &hardware_.Ports();
    services.driver = &hardware_.Driver();
    services.fileChooser = &fileChooser;
    services.compressionDialog = &compressionDialog;
    services.power = &power;
    services.modal = &modal;
    services.channelFile = paths.ChannelFile();
    services.optionsFile = paths.OptionsFile();
    {
        MainPanel panel(services);
        PanelTerminator terminator(panel);
        modal.Run(panel);
    }
    SetWarningBox(nullptr);
    return 0;
}
