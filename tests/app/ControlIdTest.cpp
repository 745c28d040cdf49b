#include "app/ControlId.h"

#include <QWidget>

#include <gtest/gtest.h>

TEST(ControlIdTest, HighestChildIdComparesUnsignedAndIgnoresMinusOne) {
    QWidget parent;
    EXPECT_EQ(HighestChildId(&parent), 0u);

    for (int id : {1004, 1031, -1, 7}) {
        auto* child = new QWidget(&parent);
        SetControlId(child, id);
    }
    auto* grandChild = new QWidget(parent.findChildren<QWidget*>().front());
    SetControlId(grandChild, 5000);

    EXPECT_EQ(HighestChildId(&parent), 1031u);
    EXPECT_EQ(ControlIdOf(ChildById(&parent, 7)), 7);
    EXPECT_EQ(ChildById(&parent, 5000), nullptr);
}
