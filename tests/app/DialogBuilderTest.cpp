#include "app/DialogBuilder.h"

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

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
