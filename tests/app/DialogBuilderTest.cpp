#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>
#include <tuple>

#include "app/ControlId.h"
#include "controls/FlatButton.h"
#include "controls/QuorvRoundSliderCtrl.h"
#include "controls/UpDownCtrl.h"

TEST(DialogBuilderTest, MainPanelTemplateBuildsEveryControlWithItsIdClassAndPlace) {
    QWidget panel;
    DialogBuilder().Build(FindDialogTemplate(DialogIds::kMainPanel), &panel);

    EXPECT_EQ(HighestChildId(&panel), 1023u);
    EXPECT_NE(qobject_cast<UpDownCtrl*>(ChildById(&panel, 1004)), nullptr);
    EXPECT_NE(qobject_cast<FlatButton*>(ChildById(&panel, 1020)), nullptr);
    EXPECT_NE(qobject_cast<QuorvRoundSliderCtrl*>(ChildById(&panel, 1021)), nullptr);
    EXPECT_NE(qobject_cast<QCheckBox*>(ChildById(&panel, 1022)), nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(ChildById(&panel, 1013))->text(), "V Step");
    EXPECT_EQ(qobject_cast<FlatButton*>(ChildById(&panel, 1008))->text(), "Record");

    // Dialog units scale by the fixed base units: x * 6 / 4, y * 10 / 8.
    EXPECT_EQ(ChildById(&panel, 1009)->geometry(), QRect(96, 5, 66, 15));
    EXPECT_EQ(ChildById(&panel, 1021)->geometry(), QRect(96, 97, 66, 50));
}

TEST(DialogBuilderTest, OverrideReplacesTheWidgetOfOneId) {
    QWidget dialog;
    DialogBuilder builder;
    QWidget* own = nullptr;
    builder.Override(1031, [&](const ControlTemplate&, QWidget* parent) {
        own = new QLabel(parent);
        return own;
    });
    builder.Build(FindDialogTemplate(DialogIds::kScan), &dialog);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(ChildById(&dialog, 1031), own);
    EXPECT_EQ(ControlIdOf(own), 1031);
}

// Every control that takes input says what it is for; the adjustments and the
// duration name their units.
TEST(DialogBuilderTest, EveryControlThatTakesInputHasATooltip) {
    using namespace DialogIds;
    for (int id : {kMainPanel, kRecordingTimer, kChannels, kManual, kScan}) {
        const DialogTemplate& dialog = FindDialogTemplate(id);
        QWidget built;
        DialogBuilder().Build(dialog, &built);
        for (const ControlTemplate& control : dialog.controls) {
            const bool takesInput = control.controlClass != ControlClass::Static &&
                                    control.controlClass != ControlClass::GroupBox &&
                                    control.controlClass != ControlClass::Frame;
            EXPECT_EQ(ChildById(&built, control.id)->toolTip().isEmpty(), !takesInput)
                << "dialog " << id << ", control " << control.id;
        }
    }
    const std::tuple<int, int, const char*> named[] = {
        {kMainPanel, ControlIds::kHAdjustSpin, "sampling frequency, about 36 Hz a step"},
        {kMainPanel, ControlIds::kVAdjustSpin, "total lines"},
        {kRecordingTimer, ControlIds::kTimerDuration, "Duration: minutes"},
    };
    for (const auto& [dialogId, controlId, words] : named) {
        QWidget built;
        DialogBuilder().Build(FindDialogTemplate(dialogId), &built);
        EXPECT_TRUE(ChildById(&built, controlId)->toolTip().contains(QLatin1String(words)))
            << words;
    }
}
