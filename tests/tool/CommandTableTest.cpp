// The command table behind the tool: the values it refuses, and the texts made from it (usage,
// the top-level synopsis, the man page, the bash completion) against what the parser accepts.

#include "tools/quorutil/CommandTable.h"
#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include "util/UtilVersion.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

using quortest::runTool;
using quorutil::CommandSpec;
using quorutil::commandTable;

namespace {

std::string readText(const char *path)
{
    const QByteArray bytes = quortest::readFile(QString::fromUtf8(path));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// The words a user types for an option in a man page: "--samples" is "\-\-samples" in troff.
std::string roffName(const std::string &name)
{
    std::string out;
    for (const char c : name)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

QStringList words(const char *path)
{
    return QString::fromLatin1(path).split(QLatin1Char(' '));
}

// A value the option takes: its first choice, the low end of its range, or any text.
QString validValue(const quorutil::OptionSpec &option)
{
    if (option.choices)
        return QString::fromLatin1(option.choices).section('|', 0, 0);
    if (option.kind != quorutil::ValueKind::Integer && option.kind != quorutil::ValueKind::Number)
        return QStringLiteral("x");
    const double low = std::isfinite(option.low) ? option.low + (option.lowOpen ? 1 : 0) : 0;
    return QString::number(qint64(low));
}

} // namespace

TEST(CommandTable, RefusesBadValuesAndArgumentCountsWithTheirOwnWords)
{
    const QString data = QDir::cleanPath(quortest::dataPath("."));
    for (const quortest::TableRow &row : quortest::tableRows("tool/values.txt")) {
        const QStringList args =
            QString::fromStdString(row[0]).replace("{data}", data).split(QLatin1Char(' '));
        const std::string err =
            QString::fromStdString(row[1]).replace("{data}", data).toStdString();
        const auto result = runTool(args);
        EXPECT_EQ(result.code, 2) << row.line << ": " << result.err;
        EXPECT_EQ(result.err.rfind(err, 0), 0u) << row.line << "\n" << result.err;
        EXPECT_NE(result.err.find("\n\nUsage: quorutil " + args.first().toStdString()),
                  std::string::npos)
            << row.line;
        EXPECT_EQ(result.out, "") << row.line;
    }
}

TEST(CommandTable, EveryCommandAnswersHelpAndEveryOptionAppearsInItsUsageTheSynopsisAndTheManPage)
{
    const std::string man = readText(QUOR_MAN_PAGE);
    const std::string top = runTool({"--help"}).out;
    std::size_t options = 0;
    for (const CommandSpec &command : commandTable()) {
        const std::string path = command.path;
        EXPECT_NE(man.find(".SS \"" + roffName(path)), std::string::npos) << path;
        // Every command and group answers --help and -h alike, on standard output.
        const auto help = runTool(words(command.path) << "--help");
        ASSERT_EQ(help.code, 0) << path << ": " << help.err;
        EXPECT_NE(help.out.find("Usage: quorutil " + path.substr(0, path.find(' '))),
                  std::string::npos)
            << path << " --help printed: " << help.out;
        EXPECT_EQ(help.err, "") << path;
        EXPECT_EQ(runTool(words(command.path) << "-h").out, help.out) << path;
        if (!command.run)
            continue;
        // The command's lines of the top-level synopsis: its own and those continuing it.
        std::string block;
        const QStringList lines = QString::fromStdString(top).split('\n');
        for (int i = 0; i < lines.size() && block.empty(); ++i) {
            const QString own = "  " + QString::fromLatin1(command.path);
            if (lines[i] != own && !lines[i].startsWith(own + ' '))
                continue;
            block = lines[i].toStdString() + "\n";
            for (int k = i + 1; k < lines.size() && lines[k].startsWith("      "); ++k)
                block += lines[k].toStdString() + "\n";
        }
        EXPECT_FALSE(block.empty()) << path << " is missing from quorutil --help";
        for (const quorutil::OptionSpec &option : command.options) {
            ++options;
            const std::string name = option.name;
            EXPECT_NE(help.out.find(name), std::string::npos) << path << " --help lacks " << name;
            EXPECT_NE(block.find(option.shortName ? option.shortName : option.name),
                      std::string::npos)
                << "quorutil --help lacks " << path << " " << name;
            EXPECT_NE(man.find(roffName(name)), std::string::npos) << "man page lacks " << name;
            // What the usage names, the parser takes (--help after it ends the run).
            QStringList args = words(command.path) << QString::fromStdString(name);
            if (option.hasValue())
                args << validValue(option);
            const auto result = runTool(args << "--help");
            EXPECT_EQ(result.code, 0) << path << " " << name << ": " << result.err;
        }
    }
    EXPECT_GT(options, 50u);
    for (const char *section : {".TH QUORUTIL 1", ".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION",
                                ".SH COMMANDS", ".SH EXIT STATUS", ".SH ENVIRONMENT", ".SH FILES",
                                "QUOR_INI", "QUOR_DEVELOP", "QUOR_PROGRESS_TARGET"})
        EXPECT_NE(man.find(section), std::string::npos) << section;
}

TEST(CommandTable, TheManPageFormatsWithoutWarnings)
{
    const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
    if (groff.isEmpty())
        GTEST_SKIP() << "no groff to format the page with";
    QProcess process;
    process.start(groff, {"-man", "-Tutf8", "-ww", "-z", QString::fromUtf8(QUOR_MAN_PAGE)});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardError().toStdString(), "");
}

TEST(CommandTable, BashCompletesCommandsSubcommandsOptionsAndChoices)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    quortest::writeFile(dir.filePath("report.sup"), "");

    // Each case: the words typed (the last one being completed) and what must be offered.
    std::vector<std::pair<QStringList, std::set<std::string>>> cases;
    std::set<std::string> commands {"--help", "--version"};
    for (const QStringList &path : quorutil::commandPaths())
        commands.insert(path.first().toStdString());
    cases.push_back({{"quorutil", ""}, commands});
    for (const CommandSpec &command : commandTable()) {
        const QStringList path = words(command.path);
        if (!command.run) {
            std::set<std::string> subs;
            for (const CommandSpec *sub : quorutil::subcommandsOf(command))
                subs.insert(words(sub->path).last().toStdString());
            cases.push_back({QStringList {"quorutil"} << path << "", subs});
            continue;
        }
        std::set<std::string> options {"--help"};
        for (const quorutil::OptionSpec &option : command.options) {
            options.insert(option.name);
            if (option.choices) {
                std::set<std::string> choices;
                for (const QString &choice : QString::fromLatin1(option.choices).split('|'))
                    choices.insert(choice.toStdString());
                cases.push_back({QStringList {"quorutil"} << path << option.name << "", choices});
            }
        }
        cases.push_back({QStringList {"quorutil"} << path << "-", options});
    }
    cases.push_back({{"quorutil", "sup", "show", "rep"}, {"report.sup"}});
    cases.push_back({{"quorutil", "lut", "--samples", ""}, {}});

    QString script = QStringLiteral("set -e\nsource '%1'\ncomplete -p quorutil\n")
                         .arg(QString::fromUtf8(QUOR_BASH_COMPLETION));
    script += "ask() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(( $# - 1 )); COMPREPLY=(x); _quorutil; "
              "printf '%s\\n' \"${#COMPREPLY[@]}\" \"${COMPREPLY[@]}\"; }\n";
    for (const auto &c : cases) {
        script += "ask";
        for (const QString &word : c.first)
            script += " '" + word + "'";
        script += "\n";
    }
    quortest::writeFile(dir.filePath("ask.sh"), script.toUtf8());
    QProcess bash;
    bash.setWorkingDirectory(dir.path());
    bash.start("bash", {"--norc", "--noprofile", dir.filePath("ask.sh")});
    ASSERT_TRUE(bash.waitForFinished(60000));
    ASSERT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(bash.readAllStandardOutput()).split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.takeFirst().startsWith("complete ")) << "complete -p says nothing";
    for (const auto &c : cases) {
        ASSERT_FALSE(lines.isEmpty());
        const int count = lines.takeFirst().toInt();
        std::set<std::string> offered;
        for (int i = 0; i < count && !lines.isEmpty(); ++i)
            offered.insert(lines.takeFirst().toStdString());
        const std::string typed = c.first.join(' ').toStdString();
        if (c.second.empty()) {
            EXPECT_TRUE(offered.empty()) << typed;
            continue;
        }
        for (const std::string &word : c.second)
            EXPECT_EQ(offered.count(word), 1u) << typed << " does not offer " << word;
    }
}

TEST(CommandTable, TheReadmeListsWhatQuorutilHelpLists)
{
    // The commands of quorutil --help, without their indent.
    std::string listed;
    const QStringList lines = QString::fromStdString(quorutil::topUsage()).split('\n');
    for (int i = lines.indexOf("Commands:") + 1; i > 0 && i < lines.size() && !lines[i].isEmpty();
         ++i)
        listed += lines[i].mid(2).toStdString() + "\n";
    ASSERT_FALSE(listed.empty());
    const std::string readme = readText(QUOR_SOURCE_DIR "/README.md");
    const std::string start = "## The tool\n\n```\n";
    const std::size_t at = readme.find(start);
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = readme.find("```", at + start.size());
    EXPECT_EQ(readme.substr(at + start.size(), end - at - start.size()), listed)
        << "README.md's list under '## The tool' should read as above";
}

TEST(CommandTable, VersionIsTheLibrarysAndNeedsNothingElse)
{
    for (const char *flag : {"--version", "-V"}) {
        const auto result = runTool({flag});
        EXPECT_EQ(result.code, 0) << flag;
        EXPECT_EQ(result.out, std::string("quorutil ") + UTIL_VERSION_STRING + "\n") << flag;
        EXPECT_EQ(result.err, "") << flag;
    }
}
