#include "app/dialogs/ChannelsDialog.h"

#include <QAbstractButton>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <limits>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/ModalRunner.h"
#include "app/dialogs/ManualDialog.h"
#include "app/dialogs/ScanDialog.h"
#include "app/resources/DialogTemplate.h"
#include "controls/ChannelListCtrl.h"
#include "controls/ScanDisplay.h"
#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "platform/WarningBox.h"
#include "util/ExtString.h"

namespace {

constexpr int kNameColumn = 0;
constexpr int kRowColumn = 1;
constexpr int kFrequencyColumn = 2;
constexpr uint32_t kHzPerMHz = 1'000'000;

// The leading decimal digits of `text` with its commas removed ("471,000,000"
// or a typed "471"); 0 without digits, saturated at the largest uint32_t.
uint32_t ParseFrequency(const std::string& text) {
    ExtString digits(text);
    digits.ReplaceAll(",", "");
    uint64_t value = 0;
    for (char c : digits.Text()) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'),
                                   std::numeric_limits<uint32_t>::max());
    }
    return static_cast<uint32_t>(value);
}

QAbstractButton* Button(const QWidget* dialog, int id) {
    return static_cast<QAbstractButton*>(ChildById(dialog, id));
}

}  // namespace

ChannelsDialog::ChannelsDialog(CaptureEngine* engine, std::string channelFile, ModalRunner& modal,
                               QWidget* parent)
    : QDialog(parent), engine_(engine), modal_(modal), channels_(std::move(channelFile)) {
    const DialogTemplate& dialog = FindDialogTemplate(DialogIds::kChannels);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    DialogBuilder().Build(dialog, this);
    setFixedSize(DialogBuilder::ToPixels(dialog.width, dialog.height));
    channelList_ = static_cast<ChannelListCtrl*>(ChildById(this, ControlIds::kChannelList));
    InsertColumns();
    ConnectControls();
    fileReadWhole_ = channels_.Load() || !std::filesystem::exists(channels_.ChannelFilePath());
    FillList();
}

void ChannelsDialog::InsertColumns() {
    using Alignment = ChannelListCtrl::Alignment;
    channelList_->InsertColumn(kNameColumn, "Name", 75, Alignment::Left);
    channelList_->InsertColumn(kRowColumn, "Channel", 25, Alignment::Left);
    channelList_->InsertColumn(kFrequencyColumn, "Frequency", 75, Alignment::Right);
    channelList_->InsertColumn(3, "", 100, Alignment::Left);
}

// The rename is stored and the list refilled after the list has closed its
// editor: refilling from inside the editor's commit would delete the row
// the editor still belongs to.
void ChannelsDialog::ConnectControls() {
    connect(Button(this, ControlIds::kOk), &QAbstractButton::clicked, this,
            &ChannelsDialog::accept);
    connect(Button(this, ControlIds::kCancel), &QAbstractButton::clicked, this,
            &ChannelsDialog::reject);
    connect(Button(this, ControlIds::kManual), &QAbstractButton::clicked, this,
            &ChannelsDialog::OnManual);
    connect(Button(this, ControlIds::kScan), &QAbstractButton::clicked, this,
            &ChannelsDialog::OnScan);
    connect(channelList_, &ChannelListCtrl::NameEdited, this,
            [this](int index, const std::string& name) {
                QMetaObject::invokeMethod(
                    this, [this, index, name] { OnNameEdited(index, name); }, Qt::QueuedConnection);
            });
    connect(channelList_, &ChannelListCtrl::itemSelectionChanged, this,
            &ChannelsDialog::OnItemChanged);
}

void ChannelsDialog::FillList() {
    channelList_->setRowCount(0);
    channels_.SortChannels();
    for (int i = 0; i < channels_.GetCount(); ++i) {
        channelList_->InsertItem(i, kNameColumn, channels_.GetChannelName(i));
        channelList_->InsertItem(i, kRowColumn, std::to_string(i));
        channelList_->InsertItem(i, kFrequencyColumn, channels_.GetFrequencyText(i));
    }
    channelList_->AutoSizeColumns(-1, kFrequencyColumn);
}

// A list that can't be saved would be lost when the panel reloads the file:
// say so and keep the dialog open. So does a damaged file the user would
// rather keep: the list shown holds only the part that could be read.
void ChannelsDialog::accept() {
    const char* file = channels_.ChannelFilePath().c_str();
    const int count = channels_.GetCount();
    if (!fileReadWhole_ &&
        !ConfirmWithUser("The channel file %s could be read only in part; the list shown holds "
                         "the %d %s read from it. OK replaces the file with this list, and the "
                         "rest of it is lost.",
                         file, count, count == 1 ? "channel" : "channels")) {
        return;
    }
    if (!channels_.Save()) {
        WarnUser("Couldn't save the channel list to %s: %s", file, channels_.SaveProblem().c_str());
        return;
    }
    fileReadWhole_ = true;
    QDialog::accept();
}

void ChannelsDialog::OnNameEdited(int index, const std::string& name) {
    channels_.RenameChannel(index, name.c_str());
    FillList();
}

// Every selection change tunes, a deselection included: no row gives
// frequency 0, which the tuner refuses and stays where it was.
void ChannelsDialog::OnItemChanged() {
    if (engine_ == nullptr) {
        return;
    }
    const int row = channelList_->GetSelectedItem();
    const std::string text = row >= 0 ? channelList_->ItemText(row, kFrequencyColumn) : "";
    const uint32_t frequency_hz = std::min<uint32_t>(ParseFrequency(text), INT32_MAX);
    engine_->GetCard()->Tune(static_cast<int32_t>(frequency_hz));
}

// An empty edit names no frequency: storing it as 0 Hz would add a channel
// that can never be tuned and shift every stored knob index.
void ChannelsDialog::OnManual() {
    ManualDialog manual(this);
    if (modal_.Run(manual) != QDialog::Accepted || manual.FrequencyText().empty()) {
        return;
    }
    channels_.SetChannel(ParseFrequency(manual.FrequencyText()), nullptr);
    FillList();
}

// The display starts with the stored channels, which it draws and whose
// stations it doesn't report again. Only what the sweep appended is stored:
// the stored entries are in the list already, and passing one back in hertz
// would turn a 1 MHz entry into a bogus 1,000,000 MHz one.
void ChannelsDialog::OnScan() {
    ScanDialog scan(engine_, this);
    std::vector<uint32_t>& found = scan.Display()->foundFrequencies;
    found.clear();
    for (int i = 0; i < channels_.GetCount(); ++i) {
        found.push_back(static_cast<uint32_t>(channels_.GetChannelFrequency(i)) * kHzPerMHz);
    }
    const size_t storedCount = found.size();
    if (modal_.Run(scan) != QDialog::Accepted) {
        return;
    }
    for (size_t k = storedCount; k < found.size(); ++k) {
        channels_.SetChannel(found[k], nullptr);
    }
    FillList();
}
