#include "base/OptionTable.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

QString bracketed(const QString &text, bool required) {
    return required ? text : u'[' + text + u']';
}

}  // namespace

OptionTable::OptionTable(QString program) : program_(std::move(program)) {}

OptionTable &OptionTable::add(Option option) {
    options_.push_back(std::move(option));
    return *this;
}

OptionTable &OptionTable::addHelp(QString help) {
    trailing_.push_back({{QStringLiteral("h"), QStringLiteral("help")}, {}, std::move(help), false, false});
    return *this;
}

OptionTable &OptionTable::addVersion(QString help) {
    trailing_.push_back(
        {{QStringLiteral("v"), QStringLiteral("version")}, {}, std::move(help), false, false});
    return *this;
}

OptionTable &OptionTable::setArguments(QStringList names) {
    arguments_ = std::move(names);
    return *this;
}

OptionTable &OptionTable::setSynopsis(QString synopsis) {
    synopsis_ = std::move(synopsis);
    return *this;
}

OptionTable &OptionTable::setDescription(QString description) {
    description_ = std::move(description);
    return *this;
}

OptionTable &OptionTable::addSection(Section section) {
    sections_.push_back(std::move(section));
    return *this;
}

OptionTable &OptionTable::setHelpColumn(int column) {
    column_ = column;
    return *this;
}

OptionTable &OptionTable::setOptionsEndAtFirstArgument() {
    endAtFirstArgument_ = true;
    return *this;
}

OptionTable::Parsed OptionTable::parse(const QStringList &arguments) const {
    QCommandLineParser parser;
    if (endAtFirstArgument_)
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    std::vector<const Option *> all;
    for (const auto *list : {&options_, &trailing_})
        for (const Option &option : *list) all.push_back(&option);
    for (const Option *option : all)
        parser.addOption(QCommandLineOption(option->names, {}, option->valueName));

    Parsed parsed;
    if (!parser.parse(arguments)) parsed.error = parser.errorText();
    // What did parse counts even after an error, so help and version can still be answered.
    for (const Option *option : all)
        if (parser.isSet(option->names.first()))
            parsed.given_.push_back({option->names, parser.value(option->names.first())});
    parsed.positional = parser.positionalArguments();
    if (!parsed.ok()) return parsed;

    for (const Option &option : options_) {
        if (option.required && !parsed.isSet(option.names.first())) {
            parsed.error = QStringLiteral("Missing option '%1'.").arg(spelling(option).split(u' ').first());
            return parsed;
        }
    }
    if (endAtFirstArgument_) return parsed;
    if (parsed.positional.size() < arguments_.size())
        parsed.error = QStringLiteral("Missing argument %1.").arg(arguments_[parsed.positional.size()]);
    else if (parsed.positional.size() > arguments_.size())
        parsed.error = QStringLiteral("Unexpected argument '%1'.").arg(parsed.positional[arguments_.size()]);
    return parsed;
}

QStringList OptionTable::words(int argc, char *argv[]) {
    QStringList words;
    for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    return words;
}

QString OptionTable::synopsis() const {
    if (!synopsis_.isEmpty()) return synopsis_;
    QStringList parts;
    for (const Option &option : options_)
        if (option.inSynopsis) parts << bracketed(spelling(option), option.required);
    parts << arguments_;
    return parts.join(u' ');
}

QString OptionTable::helpText() const {
    QString text = QStringLiteral("Usage: ") + program_ + u' ' + synopsis() + u'\n';
    if (!description_.isEmpty()) text += u'\n' + description_ + (description_.endsWith(u'\n') ? "" : "\n");
    text += u'\n';
    const auto sectionText = [this](const Section &section) {
        QString block = section.title + QStringLiteral(":\n");
        for (const Row &r : section.rows)
            block += row(r.left, r.text, section.column ? section.column : column_);
        return block;
    };
    for (const Section &section : sections_)
        if (section.beforeOptions) text += sectionText(section) + u'\n';
    text += QStringLiteral("Options:\n");
    for (const auto *list : {&options_, &trailing_})
        for (const Option &option : *list) text += row(spelling(option), option.help, column_);
    for (const Section &section : sections_)
        if (!section.beforeOptions) text += u'\n' + sectionText(section);
    return text;
}

QString OptionTable::wrapped(const QString &text, int indent, int width) {
    const QString margin(indent, u' ');
    QString result;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            result += margin + line + u'\n';
            line.clear();
        }
        if (!line.isEmpty()) line += u' ';
        line += word;
    }
    if (!line.isEmpty()) result += margin + line + u'\n';
    return result;
}

QString OptionTable::spelling(const Option &option) {
    QStringList names;
    for (const QString &name : option.names)
        names << (name.size() == 1 ? u'-' + name : QStringLiteral("--") + name);
    const QString joined = names.join(QStringLiteral(", "));
    return option.valueName.isEmpty() ? joined : joined + u' ' + option.valueName;
}

// "  left" padded to column with the text beside it; a left part too wide for the column gets the text on
// the lines below, at the column.
QString OptionTable::row(const QString &left, const QString &text, int column) {
    const QString term = QStringLiteral("  ") + left;
    const QString body = wrapped(text, column);
    if (body.isEmpty()) return term + u'\n';
    if (term.size() + 1 > column) return term + u'\n' + body;
    return term.leftJustified(column, u' ') + body.mid(column);
}

bool OptionTable::Parsed::isSet(const QString &name) const {
    return find(name) != nullptr;
}

QString OptionTable::Parsed::value(const QString &name, const QString &fallback) const {
    const Given *given = find(name);
    return given ? given->value : fallback;
}

const OptionTable::Parsed::Given *OptionTable::Parsed::find(const QString &name) const {
    const auto it = std::find_if(given_.begin(), given_.end(),
                                 [&name](const Given &given) { return given.names.contains(name); });
    return it == given_.end() ? nullptr : &*it;
}
