#pragma once

#include <QFont>
#include <QRect>
#include <functional>
#include <map>

#include "app/resources/DialogTemplate.h"

class QWidget;

// Creates the Qt widgets of a dialog template inside a parent widget: each
// control with its identifier (see ControlId.h), text, style, position and
// tooltip (ControlTips.h).
// Push buttons become FlatButtons, the trackbar a round slider, the list view
// a ChannelListCtrl; an owner can supply its own widget for any identifier.
class DialogBuilder {
public:
    using Factory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

    // Dialog base units of the dialog font, fixed so every described pixel
    // position comes out the same on every machine.
    static constexpr int kBaseUnitX = 6;
    static constexpr int kBaseUnitY = 10;

    static QRect ToPixels(const ControlTemplate& control);
    static QSize ToPixels(int width_dlu, int height_dlu);
    static QFont DialogFont(const DialogTemplate& dialog);

    // Builds the widget for `id` with `factory` instead of the default.
    void Override(int id, Factory factory);

    // Creates every control of `dialog` as a child of `parent`.
    void Build(const DialogTemplate& dialog, QWidget* parent) const;

private:
    QWidget* Create(const ControlTemplate& control, QWidget* parent) const;

    std::map<int, Factory> overrides_;
};
