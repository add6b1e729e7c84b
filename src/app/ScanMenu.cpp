#include "app/ScanMenu.h"

#include "scan/ScanLook.h"

namespace {

struct LookEntry {
    const char *actionName;
    ScanLook::Look look;
};

const LookEntry kLooks[] = {
    {"scan_colour_action", ScanLook::Look::Colour},
    {"scan_grey_action", ScanLook::Look::Grey},
    {"scan_bw_action", ScanLook::Look::BlackAndWhite},
};

}  // namespace

const std::vector<ScanMenu::Languages> &ScanMenu::languageTable() {
    static const std::vector<Languages> table{
        {"scan_text_eng_action", "eng"},
        {"scan_text_chi_action", "chi_sim"},
        {"scan_text_both_action", "eng+chi_sim"},
    };
    return table;
}

ScanMenu::ScanMenu(QWidget *host, QWidget *parent) : QMenu(parent), host_(host) {
    add_page_action = entry("add_page_action", false);
    save_pdf_action = entry("save_pdf_action", false);
    copy_text_action = entry("copy_text_action", false);
    discard_pages_action = entry("discard_pages_action", false);
    addSeparator();
    look_heading_action = entry("scan_look_heading_action", false);
    look_heading_action->setEnabled(false);
    look_actions = new QActionGroup(this);
    for (const LookEntry &look : kLooks) {
        QAction *item = entry(look.actionName, true);
        item->setData(QString::fromLatin1(ScanLook::name(look.look)));
        look_actions->addAction(item);
    }
    addSeparator();
    languages_heading_action = entry("scan_text_heading_action", false);
    languages_heading_action->setEnabled(false);
    language_actions = new QActionGroup(this);
    for (const Languages &languages : languageTable()) {
        QAction *item = entry(languages.actionName, true);
        item->setData(QString::fromLatin1(languages.languages));
        language_actions->addAction(item);
    }
}

QAction *ScanMenu::entry(const char *objectName, bool checkable) {
    QAction *item = addAction(QString());
    item->setObjectName(QString::fromLatin1(objectName));
    item->setCheckable(checkable);
    host_->addAction(item);
    return item;
}
