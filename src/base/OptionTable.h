#pragma once

// A program's command line, declared once: its options, positional arguments and the blocks of its help.
// Parsing (over QCommandLineParser) and the --help text both come from the same rows, so the two cannot
// disagree; the manual pages are made from that text (help2man).
//
// The help reads:
//
//   Usage: PROGRAM SYNOPSIS
//
//   DESCRIPTION (as given)
//
//   SECTIONS shown before the options ("Commands:")
//   Options:
//     --name VALUE        help, wrapped at 100 columns and continued at the help column
//
//   SECTIONS shown after the options ("Environment:", "Files:")

#include <QString>
#include <QStringList>

#include <vector>

class OptionTable {
  public:
    static constexpr int kWidth = 100;
    static constexpr int kDefaultColumn = 22;

    struct Option {
        QStringList names;  // without dashes: {"h", "help"}; one letter is written "-h", longer "--help"
        QString valueName;  // "HOST"; empty for a flag
        QString help;
        bool required = false;  // must be given; written without brackets in the synopsis
        bool inSynopsis = true;
    };
    // A row of a section: left is the term ("DESKCAM_LANG", a file, a command), text what it means.
    struct Row {
        QString left;
        QString text;
    };
    struct Section {
        QString title;  // "Environment"
        std::vector<Row> rows;
        int column = 0;  // where text starts; 0: the table's help column
        bool beforeOptions = false;
    };
    class Parsed;

    explicit OptionTable(QString program);

    OptionTable &add(Option option);
    // -h/--help and -v/--version, listed last and left out of the synopsis.
    OptionTable &addHelp(QString help);
    OptionTable &addVersion(QString help);
    // The positional arguments, all required, in order: "OUT.png".
    OptionTable &setArguments(QStringList names);
    // The synopsis after the program's name; without one it is made from the options and arguments.
    OptionTable &setSynopsis(QString synopsis);
    OptionTable &setDescription(QString description);
    OptionTable &addSection(Section section);
    OptionTable &setHelpColumn(int column);
    // Options end at the first positional argument; it and every word after it are positional, as given
    // (a program of sub-commands).
    OptionTable &setOptionsEndAtFirstArgument();

    // arguments: the program name first. Help and version can be asked even of a command line with errors.
    Parsed parse(const QStringList &arguments) const;
    static QStringList words(int argc, char *argv[]);

    QString program() const { return program_; }
    QString synopsis() const;
    QString helpText() const;

    // text broken at spaces into lines of at most width - indent characters, each after indent spaces.
    static QString wrapped(const QString &text, int indent, int width = kWidth);

  private:
    static QString spelling(const Option &option);
    static QString row(const QString &left, const QString &text, int column);

    QString program_;
    QString synopsis_;
    QString description_;
    std::vector<Option> options_;
    std::vector<Option> trailing_;  // help and version
    QStringList arguments_;
    std::vector<Section> sections_;
    int column_ = kDefaultColumn;
    bool endAtFirstArgument_ = false;
};

class OptionTable::Parsed {
  public:
    // Empty when the command line fits the table: known options with their values, every required option,
    // and exactly the declared arguments (any number for a table that ends options at the first argument).
    QString error;
    QStringList positional;

    bool ok() const { return error.isEmpty(); }
    // name without dashes, any of the option's names.
    bool isSet(const QString &name) const;
    QString value(const QString &name, const QString &fallback = {}) const;

  private:
    friend class OptionTable;
    struct Given {
        QStringList names;
        QString value;
    };
    const Given *find(const QString &name) const;
    std::vector<Given> given_;
};
