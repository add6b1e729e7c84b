#include "app/ControlTexts.h"

#include "l10n/Localization.h"

#include <QAbstractButton>
#include <QAction>
#include <QShortcut>

namespace {

using Hooks = ControlTexts::Hooks;

using l10n::text;

QString keysText(const QKeySequence &keys) {
    return keys.toString(QKeySequence::NativeText);
}

// Menu buttons list what their menus hold, with the keys; the capture button adds its other way.
struct MenuTip {
    const char *button;
    std::vector<const char *> actions;
    bool appended;
    const char *nameKey = nullptr;  // a button of its own name for screen readers; else the table names it
};

const std::vector<MenuTip> &menuTips() {
    static const std::vector<MenuTip> tips{
        {"orientation_button", {"mirror_action", "flip_action", "overlay_action"}, false, "orientation_menu"},
        {"draw_button",
         {"pen_action", "highlighter_action", "eraser_action", "undo_action", "clear_action", "pan_action",
          "capture_drawings_action", "whiteboard_action", "blackboard_action"},
         false,
         "drawing_tools"},
        {"capture_button", {"capture_drawings_action"}, true},
        {"freeze_button", {"stills_action", "compare_action"}, true},
        {"shade_button", {"spotlight_action", "curtain_action"}, false, "shades_menu"},
        {"scan_button", {"add_page_action", "save_pdf_action", "copy_text_action"}, true},
        {"max_window_button", {"full_screen_action"}, true},
    };
    return tips;
}

// A control's tooltip: its text, its own key, then the window-wide keys that belong to it.
QString toolTipOf(const ControlTexts::Entry &entry, QObject *control) {
    QString tip = text(entry.textKey);
    if (const auto *button = qobject_cast<QAbstractButton *>(control);
        button && !button->shortcut().isEmpty())
        tip += QStringLiteral(" (%1)").arg(keysText(button->shortcut()));
    QStringList bracketed;
    for (const ControlTexts::Entry &key : ControlTexts::table()) {
        if (!key.command || !key.control || qstrcmp(key.control, entry.control) != 0) continue;
        if (key.textKey)
            tip += QStringLiteral(" — %1 (%2)").arg(text(key.textKey), keysText(key.keys));
        else
            bracketed << keysText(key.keys);
    }
    if (!bracketed.isEmpty()) tip += QStringLiteral(" (%1)").arg(bracketed.join(QStringLiteral(" / ")));
    return tip;
}

void applyMenuTips(QWidget *host) {
    for (const MenuTip &menu : menuTips()) {
        QStringList lines;
        for (const char *name : menu.actions) {
            const auto *action = host->findChild<QAction *>(QLatin1String(name));
            lines << (action->shortcut().isEmpty()
                          ? action->text()
                          : QStringLiteral("%1 (%2)").arg(action->text(), keysText(action->shortcut())));
        }
        auto *button = host->findChild<QWidget *>(QLatin1String(menu.button));
        const QString list = lines.join(QLatin1Char('\n'));
        button->setToolTip(menu.appended ? button->toolTip() + QLatin1Char('\n') + list : list);
        if (menu.nameKey) button->setAccessibleName(text(menu.nameKey));
        button->setAccessibleDescription(button->toolTip());
    }
}

}  // namespace

const std::vector<ControlTexts::Entry> &ControlTexts::table() {
    static const std::vector<Entry> entries{
        {"left_rotate_button", "rotate_left", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"ns_slider_rotate", "rotate", {}},
        {"right_rotate_button", "rotate_right", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"actual_1_1_button", "actual_size", QKeySequence(Qt::CTRL | Qt::Key_0)},
        {"suitable_button", "fit_size", QKeySequence(Qt::Key_F)},
        {"ns_slider_zoom", "zoom", {}},
        {"ns_slider_zoom", nullptr, QKeySequence(QKeySequence::ZoomIn), &Hooks::zoomIn},
        {nullptr, nullptr, QKeySequence(Qt::CTRL | Qt::Key_Equal), &Hooks::zoomIn},  // "+" without Shift
        {"ns_slider_zoom", nullptr, QKeySequence(QKeySequence::ZoomOut), &Hooks::zoomOut},
        {"ctrl_resolve_list", "resolution", {}},
        // F4 opens a list as it does on a focused one.
        {"ctrl_resolve_list", nullptr, QKeySequence(Qt::Key_F4), &Hooks::openResolutions},
        {"capture_button", "capture", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"capture_button", "copy_picture", QKeySequence(QKeySequence::Copy), &Hooks::copyPicture},
        {"record_button", "record_start", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)},
        {"library_button", "library", QKeySequence(QKeySequence::Open)},
        {"camera_button", "camera", QKeySequence(Qt::CTRL | Qt::Key_K)},
        {"max_window_button", "max_window", QKeySequence(Qt::Key_F10)},
        {"full_screen_action", "full_screen", QKeySequence(Qt::Key_F11)},
        {"screen_heading_action", "full_screen_on", {}},
        {"window_screen_action", "this_window_screen", {}},
        {nullptr, nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q), &Hooks::quit},
        {"freeze_button", "freeze", QKeySequence(Qt::Key_Space)},
        {"mirror_action", "mirror", QKeySequence(Qt::Key_H)},
        {"flip_action", "flip", QKeySequence(Qt::Key_V)},
        {"overlay_action", "status_overlay", QKeySequence(Qt::CTRL | Qt::Key_I)},
        // Escape leaves a drawing tool first, then full screen.
        {"pan_action", "pan", QKeySequence(Qt::Key_Escape)},
        {"pen_action", "pen", QKeySequence(Qt::Key_P)},
        {"highlighter_action", "highlighter", QKeySequence(Qt::Key_M)},
        {"eraser_action", "eraser", QKeySequence(Qt::Key_E)},
        {"undo_action", "undo", QKeySequence(QKeySequence::Undo)},
        {"clear_action", "clear_drawings", QKeySequence(QKeySequence::Delete)},
        {"capture_drawings_action", "capture_with_drawings", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"stills_action", "stills", QKeySequence(Qt::Key_S)},
        {"compare_action", "compare", QKeySequence(Qt::SHIFT | Qt::Key_S)},
        {"whiteboard_action", "whiteboard", QKeySequence(Qt::Key_W)},
        {"blackboard_action", "blackboard", QKeySequence(Qt::Key_B)},
        {"spotlight_action", "spotlight", QKeySequence(Qt::Key_L)},
        {"curtain_action", "curtain", QKeySequence(Qt::Key_C)},
        {"record_size_camera_action", "record_size_camera", {}},
        {"record_size_1080p_action", "record_size_1080p", {}},
        {"record_size_720p_action", "record_size_720p", {}},
        {"pause_action", "record_pause", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
        {"timelapse_action", "timelapse_start", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"scan_button", "scan_mode", QKeySequence(Qt::Key_D)},
        {"add_page_action", "scan_add_page", QKeySequence(Qt::Key_Return)},
        {"save_pdf_action", "scan_save_pdf", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"copy_text_action", "scan_copy_text", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {"discard_pages_action", "scan_discard_pages", {}},
        {"scan_look_heading_action", "scan_look", {}},
        {"scan_colour_action", "scan_look_colour", {}},
        {"scan_grey_action", "scan_look_grey", {}},
        {"scan_bw_action", "scan_look_bw", {}},
        {"scan_text_heading_action", "scan_text_languages", {}},
        {"scan_text_eng_action", "scan_text_eng", {}},
        {"scan_text_chi_action", "scan_text_chi", {}},
        {"scan_text_both_action", "scan_text_both", {}},
    };
    return entries;
}

void ControlTexts::apply(QWidget *host, const ViewControllerLayout &ui, Hooks hooks) {
    // Keys and names first: the tooltips show them.
    std::vector<std::pair<const Entry *, QObject *>> tipped;
    for (const Entry &entry : table()) {
        if (entry.command) {
            auto *shortcut = new QShortcut(entry.keys, host);
            QObject::connect(shortcut, &QShortcut::activated, host, hooks.*entry.command);
            continue;
        }
        QObject *control = host->findChild<QObject *>(QLatin1String(entry.control));
        if (auto *action = qobject_cast<QAction *>(control)) {
            action->setText(text(entry.textKey));
            action->setShortcut(entry.keys);
            continue;
        }
        if (auto *button = qobject_cast<QAbstractButton *>(control); button && !entry.keys.isEmpty())
            button->setShortcut(entry.keys);
        tipped.emplace_back(&entry, control);
    }
    const QList<QAction *> colours = ui.colour_actions->actions();
    for (qsizetype i = 0; i < colours.size(); ++i)
        colours[i]->setText(text(ViewControllerLayout::inks()[std::size_t(i)].key));
    for (const auto &[entry, control] : tipped) {
        auto *widget = qobject_cast<QWidget *>(control);
        widget->setToolTip(toolTipOf(*entry, control));
        // Screen readers say the control's name, then its tooltip with the keys.
        widget->setAccessibleName(text(entry->textKey));
        widget->setAccessibleDescription(widget->toolTip());
    }
    applyMenuTips(host);
}

void ControlTexts::setToolTipKey(QAbstractButton *button, const QString &key) {
    QString tip = Localization::shared().text(key);
    if (!button->shortcut().isEmpty()) tip += QStringLiteral(" (%1)").arg(keysText(button->shortcut()));
    button->setToolTip(tip);
    button->setAccessibleName(Localization::shared().text(key));
    button->setAccessibleDescription(tip);
}
