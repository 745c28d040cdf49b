#include "app/ControlId.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kProperty = "quorvControlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kProperty, id);
}

int ControlIdOf(const QWidget* control) {
    return control->property(kProperty).toInt();
}

QWidget* ChildById(const QWidget* parent, int id) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (ControlIdOf(child) == id) {
            return child;
        }
    }
    return nullptr;
}

unsigned HighestChildId(const QWidget* parent) {
    unsigned highest = 0;
    for (const QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const unsigned id = static_cast<unsigned>(ControlIdOf(child));
        if (id != 0xFFFFFFFFu && id > highest) {
            highest = id;
        }
    }
    return highest;
}
