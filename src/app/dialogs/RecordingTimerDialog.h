#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;
class QTimeEdit;

// Asks for the time of day at which a timed recording starts and for its
// duration in minutes. Only the time of day is edited: the date stays the one
// preset, so the recording starts today at the chosen time.
class RecordingTimerDialog : public QDialog {
    Q_OBJECT

public:
    // The longest duration whose seconds still fit in 31 bits.
    static constexpr uint32_t kMaxDurationMinutes = 35'791'394;

    explicit RecordingTimerDialog(QWidget* parent);

    void SetStart(int64_t calendar_s);
    void SetDurationMinutes(uint32_t minutes);
    int64_t Start() const { return start_s_; }
    uint32_t DurationMinutes() const { return durationMinutes_; }

    QLineEdit* DurationEdit() const { return durationEdit_; }
    QTimeEdit* TimePicker() const { return timePicker_; }

public slots:
    void accept() override;

private:
    bool ExchangeData();

    QTimeEdit* timePicker_;
    QLineEdit* durationEdit_;
    uint32_t durationMinutes_ = 0;
    int64_t start_s_ = 0;
};
