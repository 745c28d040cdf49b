#include "app/dialogs/CompressionOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/AviCompressor.h"

namespace {

constexpr int kDefaultQuality_percent = 75;
constexpr int kDefaultKeyFrameEvery = 15;
constexpr int kDefaultDataRate_kBps = 300;
constexpr uint32_t kBytesPerKB = 1024;
constexpr uint32_t kQualityPerPercent = AviCompressionOptions::kQualityBest / 100;

const AviCompressor* CompressorAt(const QComboBox* box) {
    return AviCompressor::Find(box->currentData().toUInt());
}

// A check box with its spin box and unit in one row.
QWidget* SettingRow(QCheckBox* check, QSpinBox* spin, const QString& unit) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(check);
    layout->addWidget(spin);
    layout->addWidget(new QLabel(unit));
    layout->addStretch();
    return row;
}

}  // namespace

CompressionOptionsDialog::CompressionOptionsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Video Compression");
    BuildControls();
    Load(AviCompressionOptions{});
}

void CompressionOptionsDialog::BuildControls() {
    compressor_ = new QComboBox;
    for (const AviCompressor* compressor : AviCompressor::Available()) {
        compressor_->addItem(compressor->name, compressor->fourCC);
    }
    quality_ = new QSlider(Qt::Horizontal);
    quality_->setRange(0, 100);
    qualityValue_ = new QLabel;
    keyFrames_ = new QCheckBox("Key Frame Every");
    keyFrameEvery_ = new QSpinBox;
    keyFrameEvery_->setRange(1, 9999);
    dataRate_ = new QCheckBox("Data Rate");
    dataRate_kBps_ = new QSpinBox;
    dataRate_kBps_->setRange(1, 999'999);

    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(quality_);
    qualityRow->addWidget(qualityValue_);
    auto* form = new QFormLayout;
    form->addRow("Compressor:", compressor_);
    form->addRow("Compression Quality:", qualityRow);
    form->addRow(SettingRow(keyFrames_, keyFrameEvery_, "frames"));
    form->addRow(SettingRow(dataRate_, dataRate_kBps_, "KB/sec"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(compressor_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabled(); });
    connect(keyFrames_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(dataRate_, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(quality_, &QSlider::valueChanged, this,
            [this](int value) { qualityValue_->setText(QString::number(value)); });
}

bool CompressionOptionsDialog::Run(AviCompressionOptions& options) {
    Load(options);
    if (exec() != QDialog::Accepted) {
        return false;
    }
    options = Result();
    return true;
}

void CompressionOptionsDialog::Load(const AviCompressionOptions& options) {
    loaded_ = options;
    compressor_->setCurrentIndex(std::max(0, compressor_->findData(options.handler)));
    quality_->setValue(options.quality <= AviCompressionOptions::kQualityBest
                           ? static_cast<int>(options.quality / kQualityPerPercent)
                           : kDefaultQuality_percent);
    qualityValue_->setText(QString::number(quality_->value()));
    keyFrames_->setChecked(options.flags & AviCompressionOptions::kFlagKeyFrames);
    keyFrameEvery_->setValue(options.keyFrameEvery ? static_cast<int>(options.keyFrameEvery)
                                                   : kDefaultKeyFrameEvery);
    dataRate_->setChecked(options.flags & AviCompressionOptions::kFlagDataRate);
    dataRate_kBps_->setValue(options.bytesPerSecond
                                 ? static_cast<int>(options.bytesPerSecond / kBytesPerKB)
                                 : kDefaultDataRate_kBps);
    UpdateEnabled();
}

AviCompressionOptions CompressionOptionsDialog::Result() const {
    AviCompressionOptions options = loaded_;
    options.streamType = AviFourCC("vids");
    options.handler = compressor_->currentData().toUInt();
    options.quality = static_cast<uint32_t>(quality_->value()) * kQualityPerPercent;
    options.keyFrameEvery = static_cast<uint32_t>(keyFrameEvery_->value());
    options.bytesPerSecond = static_cast<uint32_t>(dataRate_kBps_->value()) * kBytesPerKB;
    options.flags = AviCompressionOptions::kFlagValid |
                    (loaded_.flags & AviCompressionOptions::kFlagInterleave);
    if (keyFrames_->isEnabled() && keyFrames_->isChecked()) {
        options.flags |= AviCompressionOptions::kFlagKeyFrames;
    }
    if (dataRate_->isEnabled() && dataRate_->isChecked()) {
        options.flags |= AviCompressionOptions::kFlagDataRate;
    }
    return options;
}

void CompressionOptionsDialog::UpdateEnabled() {
    const AviCompressor* compressor = CompressorAt(compressor_);
    const bool quality = compressor && compressor->hasQuality;
    const bool keyFrames = compressor && compressor->hasKeyFrames;
    const bool dataRate = compressor && compressor->hasDataRate;
    quality_->setEnabled(quality && !(dataRate && dataRate_->isChecked()));
    keyFrames_->setEnabled(keyFrames);
    keyFrameEvery_->setEnabled(keyFrames && keyFrames_->isChecked());
    dataRate_->setEnabled(dataRate);
    dataRate_kBps_->setEnabled(dataRate && dataRate_->isChecked());
}
