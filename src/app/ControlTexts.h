#pragma once

// Every control's text and shortcut in one table: the buttons' and sliders' tooltips, the menu actions'
// names, the keys, and the window-wide keys that have no control of their own. Tooltips name the keys:
// "Turn left (Ctrl+L)"; a menu button's tooltip lists its menu's entries with their keys.
//
// Thread use: GUI thread.

#include "app/ViewControllerLayout.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <vector>

class QAbstractButton;

class ControlTexts {
  public:
    // What the window-wide keys do.
    struct Hooks {
        std::function<void()> zoomIn;
        std::function<void()> zoomOut;
        std::function<void()> quit;
        std::function<void()> openResolutions;
        std::function<void()> copyPicture;
    };

    struct Entry {
        // The control's object name. For a window-wide key: the control whose tooltip names it, or nullptr.
        const char *control;
        // The localised text: an action's name, a control's tooltip, a window-wide key's name in the
        // tooltip of its control (nullptr: the key goes in brackets after the tooltip).
        const char *textKey;
        QKeySequence keys;
        // A window-wide key: what it does.
        std::function<void()> Hooks::*command = nullptr;
    };
    static const std::vector<Entry> &table();

    // Sets every text, tooltip and shortcut of the window's controls and its window-wide keys; once.
    static void apply(QWidget *host, const ViewControllerLayout &ui, Hooks hooks);
    // The localised text for key, followed by the button's shortcut if it has one: "Turn left (Ctrl+L)".
    static void setToolTipKey(QAbstractButton *button, const QString &key);
};
