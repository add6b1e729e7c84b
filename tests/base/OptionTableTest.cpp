#include "base/OptionTable.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// A sub-command's shape: a required option, one with a value, a flag, one argument, help and version.
OptionTable recordTable() {
    OptionTable table(QStringLiteral("tool record"));
    table.add({{QStringLiteral("camera")}, QStringLiteral("HOST"), QStringLiteral("the camera")})
        .add({{QStringLiteral("seconds")}, QStringLiteral("S"), QStringLiteral("how long"), true})
        .add({{QStringLiteral("no-audio")}, {}, QStringLiteral("pictures only")})
        .setArguments({QStringLiteral("OUT.mp4")})
        .addHelp(QStringLiteral("show this help"))
        .addVersion(QStringLiteral("show the version"));
    return table;
}

OptionTable::Parsed parse(const OptionTable &table, QStringList words) {
    words.prepend(table.program());
    return table.parse(words);
}

struct ParseCase {
    const char *name;
    QStringList words;
    QString error;  // empty: parses
    QStringList positional;
    std::optional<QString> camera;  // nullopt: not given
    bool noAudio = false;
};

TEST(OptionTableParse, ReadsOptionsAndArgumentsOrSaysWhatIsWrong) {
    const std::vector<ParseCase> cases = {
        {"spaced value", {"--seconds", "3", "--camera", "h", "a.mp4"}, {}, {"a.mp4"}, "h"},
        {"joined value, argument first", {"a.mp4", "--seconds=3", "--camera=h"}, {}, {"a.mp4"}, "h"},
        {"flag", {"--seconds", "3", "--no-audio", "a.mp4"}, {}, {"a.mp4"}, std::nullopt, true},
        {"dashed argument after --", {"--seconds", "3", "--", "-a.mp4"}, {}, {"-a.mp4"}, std::nullopt},
        {"required option missing", {"a.mp4"}, "Missing option '--seconds'.", {"a.mp4"}, std::nullopt},
        {"argument missing", {"--seconds", "3"}, "Missing argument OUT.mp4.", {}, std::nullopt},
        {"argument too many",
         {"--seconds", "3", "a", "b"},
         "Unexpected argument 'b'.",
         {"a", "b"},
         std::nullopt},
        {"unknown option",
         {"--seconds", "3", "--colour", "a"},
         "Unknown option 'colour'.",
         {"a"},
         std::nullopt},
        {"value missing", {"a", "--seconds"}, "Missing value after '--seconds'.", {"a"}, std::nullopt},
        {"value given to a flag",
         {"--seconds", "3", "--no-audio=1", "a"},
         "Unexpected value after '--no-audio'.",
         {"a"},
         std::nullopt,
         true},
    };
    const OptionTable table = recordTable();
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const OptionTable::Parsed parsed = parse(table, c.words);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_EQ(parsed.ok(), c.error.isEmpty());
        EXPECT_EQ(parsed.positional, c.positional);
        EXPECT_EQ(parsed.isSet(QStringLiteral("camera")), c.camera.has_value());
        EXPECT_EQ(parsed.value(QStringLiteral("camera"), QStringLiteral("none")), c.camera.value_or("none"));
        EXPECT_EQ(parsed.isSet(QStringLiteral("no-audio")), c.noAudio);
    }
}

TEST(OptionTableParse, HelpAndVersionAreSeenDespiteErrorsUnderEitherName) {
    const OptionTable table = recordTable();
    const auto help = parse(table, {"--colour", "-h"});
    EXPECT_FALSE(help.ok());
    EXPECT_TRUE(help.isSet(QStringLiteral("help")));
    EXPECT_TRUE(help.isSet(QStringLiteral("h")));
    const auto version = parse(table, {"--version"});
    EXPECT_TRUE(version.isSet(QStringLiteral("v")));
    EXPECT_FALSE(version.isSet(QStringLiteral("help")));
}

TEST(OptionTableParse, OptionsEndingAtTheFirstArgumentLeaveTheRestAsGiven) {
    OptionTable table(QStringLiteral("tool"));
    table.addHelp(QStringLiteral("help")).setOptionsEndAtFirstArgument();
    const auto command = parse(table, {"frames", "--count", "3", "-h"});
    EXPECT_TRUE(command.ok()) << command.error.toStdString();
    EXPECT_EQ(command.positional, (QStringList{"frames", "--count", "3", "-h"}));
    EXPECT_FALSE(command.isSet(QStringLiteral("help")));
    EXPECT_TRUE(parse(table, {}).ok());
    EXPECT_EQ(parse(table, {"--count", "frames"}).error, QStringLiteral("Unknown option 'count'."));
}

TEST(OptionTableHelp, RendersEveryBlockFromTheRows) {
    OptionTable table(QStringLiteral("tool"));
    table.setDescription(QStringLiteral("Does one thing.\nOn two lines."))
        .add({{QStringLiteral("port")}, QStringLiteral("P"), QStringLiteral("the port (default 1)")})
        .add({{QStringLiteral("name")}, QStringLiteral("N"), QStringLiteral("a name"), true})
        .add({{QStringLiteral("a-very-long-option-name")}, QStringLiteral("VALUE"), QStringLiteral("below")})
        .add({{QStringLiteral("quiet")}, {}, {}})
        .add({{QStringLiteral("hidden")}, {}, QStringLiteral("not in the synopsis"), false, false})
        .add({{QStringLiteral("long")},
              QStringLiteral("L"),
              QStringLiteral(
                  "word word word word word word word word word word word word word word word word word "
                  "word word word word")})
        .setArguments({QStringLiteral("FILE")})
        .addHelp(QStringLiteral("show this help"))
        .addSection(
            {QStringLiteral("Commands"), {{QStringLiteral("go FAST"), QStringLiteral("goes")}}, 4, true})
        .addSection({QStringLiteral("Files"), {{QStringLiteral("~/f"), QStringLiteral("a file")}}});
    EXPECT_EQ(
        table.synopsis(),
        QStringLiteral("[--port P] --name N [--a-very-long-option-name VALUE] [--quiet] [--long L] FILE"));
    const QString expected = QStringLiteral(
        "Usage: tool [--port P] --name N [--a-very-long-option-name VALUE] [--quiet] [--long L] FILE\n"
        "\n"
        "Does one thing.\n"
        "On two lines.\n"
        "\n"
        "Commands:\n"
        "  go FAST\n"
        "    goes\n"
        "\n"
        "Options:\n"
        "  --port P            the port (default 1)\n"
        "  --name N            a name\n"
        "  --a-very-long-option-name VALUE\n"
        "                      below\n"
        "  --quiet\n"
        "  --hidden            not in the synopsis\n"
        "  --long L            word word word word word word word word word word word word word word word\n"
        "                      word word word word word word\n"
        "  -h, --help          show this help\n"
        "\n"
        "Files:\n"
        "  ~/f                 a file\n");
    EXPECT_EQ(table.helpText(), expected);
}

TEST(OptionTableHelp, SetSynopsisAndColumnReplaceTheMadeOnes) {
    OptionTable table(QStringLiteral("sim"));
    table.setSynopsis(QStringLiteral("[options]"))
        .setHelpColumn(10)
        .add({{QStringLiteral("fps")}, QStringLiteral("N"), QStringLiteral("rate")});
    EXPECT_EQ(table.helpText(), QStringLiteral("Usage: sim [options]\n\nOptions:\n  --fps N rate\n"));
}

TEST(OptionTableWrap, BreaksAtSpacesWithinTheWidth) {
    struct Case {
        QString text;
        int indent;
        int width;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"", 4, 20, ""},
        {"one", 2, 20, "  one\n"},
        {"aaaa bbbb cccc", 0, 9, "aaaa bbbb\ncccc\n"},
        {"aaaa bbbb cccc", 2, 11, "  aaaa bbbb\n  cccc\n"},
        {"aaaa bbbb cccc", 2, 10, "  aaaa\n  bbbb\n  cccc\n"},
        {"longerthanwidth x", 0, 5, "longerthanwidth\nx\n"},
        {"spaces  between", 0, 40, "spaces between\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(OptionTable::wrapped(c.text, c.indent, c.width), c.expected);
    }
}

}  // namespace
