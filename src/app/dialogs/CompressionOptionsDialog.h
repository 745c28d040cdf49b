#pragma once

#include <QDialog>

#include "platform/CompressionDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

// The compression-options dialog on Qt: the compressors the installed FFmpeg
// offers, and for each the settings it understands: quality, a key frame
// every n frames, a data rate in KB per second. The two last are chosen with
// their check boxes, which set the options' flags.
//
// User-interface thread only. One object serves every Run.
class CompressionOptionsDialog : public QDialog, public CompressionDialog {
    Q_OBJECT

public:
    explicit CompressionOptionsDialog(QWidget* parent = nullptr);

    bool Run(AviCompressionOptions& options) override;

    // Sets the controls from `options`; settings left at zero get defaults.
    void Load(const AviCompressionOptions& options);

    // The options the controls describe: `Load`'s record with the compressor,
    // quality, key-frame interval, data rate and flags replaced.
    AviCompressionOptions Result() const;

private:
    void BuildControls();
    void UpdateEnabled();

    AviCompressionOptions loaded_;
    QComboBox* compressor_ = nullptr;
    QSlider* quality_ = nullptr;
    QLabel* qualityValue_ = nullptr;
    QCheckBox* keyFrames_ = nullptr;
    QSpinBox* keyFrameEvery_ = nullptr;
    QCheckBox* dataRate_ = nullptr;
    QSpinBox* dataRate_kBps_ = nullptr;
};
