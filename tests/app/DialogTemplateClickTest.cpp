#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

#include "app/ControlId.h"
#include "app/ModalRunner.h"
#include "app/dialogs/ChannelsDialog.h"
#include "app/dialogs/ManualDialog.h"
#include "app/dialogs/RecordingTimerDialog.h"
#include "app/dialogs/ScanDialog.h"
#include "support/PanelRig.h"

namespace {

// Remembers the widget a mouse press is first delivered to: the one Qt's hit
// test chose.
class PressTarget : public QObject {
public:
    PressTarget() { qApp->installEventFilter(this); }
    ~PressTarget() override { qApp->removeEventFilter(this); }

    QPointer<QWidget> target;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress && target == nullptr) {
            target = qobject_cast<QWidget*>(watched);
        }
        return false;
    }
};

bool OnlyShows(ControlClass controlClass) {
    return controlClass == ControlClass::Static || controlClass == ControlClass::GroupBox ||
           controlClass == ControlClass::Frame;
}

// Presses the middle of every control of `dialog` that takes input, through
// the window as a real click arrives, and releases away from it, so nothing
// is triggered.
void ExpectEveryControlTakesTheMouse(int dialogId, QWidget* parent) {
    QWidget* window = parent->window();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    for (const ControlTemplate& control : FindDialogTemplate(dialogId).controls) {
        if (OnlyShows(control.controlClass)) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << "dialog " << dialogId << ", control " << control.id);
        QWidget* widget = ChildById(parent, control.id);
        ASSERT_NE(widget, nullptr);
        const QPoint middle = widget->mapTo(window, widget->rect().center());
        PressTarget press;
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, middle);
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                            QPoint(-20, -20));
        ASSERT_NE(press.target, nullptr);
        EXPECT_TRUE(press.target == widget || widget->isAncestorOf(press.target))
            << "taken by " << press.target->metaObject()->className();
    }
}

}  // namespace

TEST(DialogTemplateClickTest, EveryControlOfEveryDialogTakesTheMouse) {
    {
        PanelRig rig;
        MainPanel& panel = rig.Open();
        ExpectEveryControlTakesTheMouse(DialogIds::kMainPanel, panel.Client());
    }
    RecordingTimerDialog timer(nullptr);
    ExpectEveryControlTakesTheMouse(DialogIds::kRecordingTimer, &timer);
    timer.hide();
    ManualDialog manual(nullptr);
    ExpectEveryControlTakesTheMouse(DialogIds::kManual, &manual);
    manual.hide();
    QTemporaryDir folder;
    ModalRunner modal;
    ChannelsDialog channels(nullptr, folder.filePath("channels").toStdString(), modal, nullptr);
    ExpectEveryControlTakesTheMouse(DialogIds::kChannels, &channels);
    channels.hide();
    ScanDialog scan(nullptr, nullptr);
    ExpectEveryControlTakesTheMouse(DialogIds::kScan, &scan);
}
