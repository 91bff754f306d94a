// The texts made from the command table: usage, the top-level synopsis, the man page and the
// bash completion. None is written by hand, so none can miss an option the parser accepts.

#include "tools/quorutil/CommandTable.h"

#include "util/UtilVersion.h"

#include <cctype>

namespace quorutil {

namespace {

constexpr std::size_t lineWidth = 79;

// text filled into lines of at most lineWidth; the first line starts at column `first`,
// the others are indented by `indent` spaces.
std::string wrap(const std::string &text, std::size_t first, std::size_t indent)
{
    std::string out;
    std::size_t column = first;
    bool lineHasWord = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t space = text.find(' ', at);
        if (space == std::string::npos)
            space = text.size();
        const std::string word = text.substr(at, space - at);
        at = space + 1;
        if (word.empty())
            continue;
        if (lineHasWord && column + 1 + word.size() > lineWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (lineHasWord) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineHasWord = true;
    }
    return out;
}

std::string optionWord(const OptionSpec &option, bool preferShort)
{
    std::string word = preferShort && option.shortName ? option.shortName : option.name;
    if (option.hasValue())
        word += std::string(" ") + (option.valueName ? option.valueName : "VALUE");
    return word;
}

// The words after "quorutil": "lut CURVE [--samples N] ...".
std::string usageWords(const CommandSpec &command)
{
    std::string words = command.path;
    for (const OptionSpec &arg : command.args)
        words += " " + (arg.optional ? "[" + std::string(arg.name) + "]" : arg.name)
            + (arg.repeatable ? "..." : "");
    for (const OptionSpec &option : command.options) {
        const std::string word = optionWord(option, true);
        words +=
            " " + (option.required ? word : "[" + word + "]") + (option.repeatable ? "..." : "");
    }
    return words;
}

// The help of an option with what its table entry says of its value.
std::string optionHelp(const OptionSpec &option)
{
    std::string help = option.help ? option.help : "";
    if (option.kind == ValueKind::Integer || option.kind == ValueKind::Number)
        help += "; " + valueDescription(option);
    if (option.repeatable)
        help += "; may be given more than once";
    if (option.required)
        help += "; required";
    return help;
}

std::string argumentHelp(const OptionSpec &arg)
{
    std::string help = valueDescription(arg);
    if (arg.stdinInput)
        help += std::string(help.empty() ? "" : "; ") + "'-' reads standard input";
    return help;
}

std::string optionLabel(const OptionSpec &option)
{
    return (option.shortName ? std::string(option.shortName) + ", " : std::string())
        + optionWord(option, false);
}

// The paragraphs of a description (or of the summary when there is none), each filled.
std::string paragraphs(const CommandSpec &command)
{
    std::string text = command.description ? command.description : command.summary;
    if (!command.description && !text.empty()) {
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
        text += ".";
    }
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\n\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string paragraph = text.substr(at, end - at);
        for (char &c : paragraph) {
            if (c == '\n')
                c = ' ';
        }
        if (!out.empty())
            out += "\n";
        out += wrap(paragraph, 0, 0) + "\n";
        at = end + 2;
    }
    return out;
}

bool isLeaf(const CommandSpec &command)
{
    return command.run != nullptr;
}

// troff: backslashes, and lines that would read as requests.
std::string roff(const std::string &text)
{
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string shellWords(const std::vector<std::string> &words)
{
    std::string out;
    for (const std::string &word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

} // namespace

std::string synopsis(const CommandSpec &command)
{
    return "quorutil " + usageWords(command);
}

std::string usageText(const CommandSpec &command)
{
    std::string text;
    if (!isLeaf(command)) {
        const auto subs = subcommandsOf(command);
        for (std::size_t i = 0; i < subs.size(); ++i)
            text += (i == 0 ? "Usage: " : "       ") + wrap(synopsis(*subs[i]), 7, 9) + "\n";
        text += "\n";
        if (command.description)
            text += paragraphs(command) + "\n";
        std::size_t widest = 0;
        for (const CommandSpec *sub : subs)
            widest =
                std::max(widest, std::string(sub->path).size() - std::string(command.path).size());
        for (const CommandSpec *sub : subs) {
            const std::string name =
                std::string(sub->path).substr(std::string(command.path).size() + 1);
            text += "  " + name + std::string(widest - name.size() + 1, ' ')
                + wrap(sub->summary, widest + 3, widest + 3) + "\n";
        }
        text += std::string("\nRun 'quorutil ") + command.path
            + " SUBCOMMAND --help' for the options of one.\n";
        return text;
    }
    text = "Usage: " + wrap(synopsis(command), 7, 9) + "\n\n" + paragraphs(command);
    std::vector<std::pair<std::string, std::string>> rows;
    for (const OptionSpec &arg : command.args) {
        const std::string help = argumentHelp(arg);
        if (!help.empty())
            rows.emplace_back(arg.name, help);
    }
    for (const OptionSpec &option : command.options)
        rows.emplace_back(optionLabel(option), optionHelp(option));
    if (!rows.empty())
        text += "\n";
    for (const auto &row : rows) {
        std::string line = "  " + row.first;
        if (line.size() + 2 > 24)
            line += "\n" + std::string(24, ' ');
        else
            line.resize(24, ' ');
        text += line + wrap(row.second, 24, 24) + "\n";
    }
    const auto subs = subcommandsOf(command);
    if (!subs.empty()) {
        text += "\nSubcommands:\n";
        for (const CommandSpec *sub : subs)
            text += "  " + wrap(usageWords(*sub), 2, 6) + "\n";
        text += std::string("Run 'quorutil ") + command.path
            + " SUBCOMMAND --help' for the options of one.\n";
    }
    return text;
}

std::string topUsage()
{
    std::string text = "Usage: quorutil COMMAND [ARGS...]\n"
                       "       quorutil --help | --version\n"
                       "\nCommands:\n";
    for (const CommandSpec &command : commandTable()) {
        if (isLeaf(command))
            text += "  " + wrap(usageWords(command), 2, 6) + "\n";
    }
    text += "\nRun 'quorutil COMMAND --help' for the options of one command.\n"
            "'-V' or '--version' prints the version of the library.\n";
    return text;
}

std::string manPage()
{
    std::string page = std::string(".TH QUORUTIL 1 \"\" \"quorutil ") + UTIL_VERSION_STRING
        + "\" \"User Commands\"\n"
          ".SH NAME\n"
          "quorutil \\- support files, names, bands, tonal curves and progress of the util "
          "library from the command line\n"
          ".SH SYNOPSIS\n"
          ".B quorutil\n"
          ".I COMMAND\n"
          "[\\fIARGS\\fR...]\n"
          ".br\n"
          ".B quorutil\n"
          "\\-\\-help | \\-h | \\-\\-version | \\-V\n"
          ".SH DESCRIPTION\n"
          "Every command answers \\fB\\-\\-help\\fR (or \\fB\\-h\\fR) with its usage. "
          "\\fB\\-\\-opt value\\fR and \\fB\\-\\-opt=value\\fR are the same; \\fB\\-\\-\\fR "
          "ends the options, so what follows is an argument even when it starts with "
          "\\(aq\\-\\(aq. A lone \\(aq\\-\\(aq is an argument: where a command reads one file "
          "it reads standard input, and \\fB\\-o \\-\\fR writes to standard output. An unknown "
          "option, a value of the wrong kind or out of range, and a wrong number of arguments "
          "are usage errors. Failures are reported in one line: "
          "\\fBquorutil\\fR \\fICOMMAND\\fR: \\fIPATH\\fR: \\fIreason\\fR.\n"
          ".SH COMMANDS\n"
          ".nh\n"
          ".ad l\n";
    for (const CommandSpec &command : commandTable()) {
        page += ".SS \"" + roff(command.path) + "\"\n";
        if (isLeaf(command))
            page += "\\fBquorutil " + roff(command.path) + "\\fR"
                + roff(usageWords(command).substr(std::string(command.path).size())) + "\n.PP\n";
        std::string body = roff(paragraphs(command));
        for (std::size_t at = body.find("\n\n"); at != std::string::npos; at = body.find("\n\n"))
            body.replace(at, 2, "\n.PP\n");
        page += body;
        if (!subcommandsOf(command).empty()) {
            page += ".PP\nSubcommands:";
            for (const CommandSpec *sub : subcommandsOf(command))
                page += " \\fB"
                    + roff(std::string(sub->path).substr(std::string(command.path).size() + 1))
                    + "\\fR";
            page += ".\n";
        }
        if (!isLeaf(command))
            continue;
        for (const OptionSpec &arg : command.args) {
            const std::string help = argumentHelp(arg);
            if (!help.empty())
                page += ".TP\n.I " + roff(arg.name) + "\n" + roff(help) + "\n";
        }
        for (const OptionSpec &option : command.options) {
            page += ".TP\n\\fB" + roff(option.shortName ? std::string(option.shortName) + ", " : "")
                + roff(option.name) + "\\fR";
            if (option.hasValue())
                page += " \\fI" + roff(option.valueName ? option.valueName : "VALUE") + "\\fR";
            page += "\n" + roff(optionHelp(option)) + "\n";
        }
    }
    page += ".SH EXIT STATUS\n"
            ".TP\n.B 0\nsuccess (for \\fBxml compare\\fR: the documents are equal)\n"
            ".TP\n.B 1\na failure, reported in one line on standard error (for checks: "
            "something missing, invalid or different)\n"
            ".TP\n.B 2\na usage error: the message, a blank line and the command's usage on "
            "standard error\n"
            ".SH ENVIRONMENT\n"
            ".TP\n.B QUOR_DEVELOP\nthe installation root, instead of the folder of the "
            "library\n"
            ".TP\n.B QUOR_INI\nthe settings file, instead of quor.ini in the installation root\n"
            ".TP\n.B QUOR_PROGRESS_TARGET\n\\fIhost\\fR:\\fIport\\fR where progress datagrams "
            "go (\\fBcopy \\-\\-progress udp\\fR), instead of a broadcast to port 45454\n"
            ".SH FILES\n"
            ".TP\n.I ROOT/quor.ini\nthe settings, among them the naming configuration "
            "([NamingConfig])\n"
            ".TP\n.I ROOT/etc/products.xml\nthe product-to-band map of \\fBproducts\\fR\n"
            ".TP\n.I ROOT/etc/schemas/\nthe schemas \\fBxml validate\\fR finds by name "
            "(tonalcurve.xsd, products.xsd)\n"
            ".PP\nROOT is the installation root that \\fBquorutil env\\fR shows.\n"
            ".SH SEE ALSO\n"
            "Run \\fBquorutil\\fR \\fICOMMAND\\fR \\fB\\-\\-help\\fR for the usage of one "
            "command.\n";
    return page;
}

std::string bashCompletion()
{
    std::vector<std::string> commands;
    std::string groups, optionCases;
    for (const CommandSpec &command : commandTable()) {
        const std::string path = command.path;
        if (path.find(' ') == std::string::npos)
            commands.push_back(path);
        std::vector<std::string> subs;
        for (const CommandSpec *sub : subcommandsOf(command))
            subs.push_back(std::string(sub->path).substr(path.size() + 1));
        if (!subs.empty())
            groups += "    " + path + ") subs=\"" + shellWords(subs) + "\""
                + (isLeaf(command) ? " own=1" : "") + " ;;\n";
        if (!isLeaf(command))
            continue;
        std::vector<std::string> options {"--help"};
        std::string values;
        for (const OptionSpec &option : command.options) {
            options.push_back(option.name);
            if (option.shortName)
                options.push_back(option.shortName);
            if (!option.hasValue())
                continue;
            std::string names = option.name;
            if (option.shortName)
                names += std::string("|") + option.shortName;
            std::string reply;
            if (option.kind == ValueKind::Choice)
                reply = "mapfile -t COMPREPLY < <(compgen -W \""
                    + QString::fromLatin1(option.choices).replace('|', ' ').toStdString()
                    + "\" -- \"$cur\")";
            else if (option.kind == ValueKind::Path)
                reply = "mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")";
            else
                reply = "COMPREPLY=()"; // a value of the user's own
            values += "            " + names + ") " + reply + "; return ;;\n";
        }
        optionCases += "    \"" + path + "\")\n        options=\"" + shellWords(options) + "\"\n";
        if (!values.empty())
            optionCases += "        case $prev in\n" + values + "        esac\n";
        optionCases += "        ;;\n";
    }
    return "# bash completion for quorutil, made from its command table.\n"
           "_quorutil()\n"
           "{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev= command=${COMP_WORDS[1]} subs= own=\n"
           "    (( COMP_CWORD > 0 )) && prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    COMPREPLY=()\n"
           "    if (( COMP_CWORD == 1 )); then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \""
        + shellWords(commands)
        + " --help --version\" -- \"$cur\")\n"
          "        return\n"
          "    fi\n"
          "    case $command in\n"
        + groups
        + "    esac\n"
          "    # A command that runs itself too (own) offers its files and options beside its\n"
          "    # subcommands.\n"
          "    if [[ -n $subs ]]; then\n"
          "        if (( COMP_CWORD == 2 )) && [[ -z $own || $cur != -* ]]; then\n"
          "            mapfile -t COMPREPLY < <(compgen -W \"$subs --help\" -- \"$cur\")\n"
          "            if [[ -n $own ]]; then\n"
          "                mapfile -t -O \"${#COMPREPLY[@]}\" COMPREPLY < <(compgen -f -- "
          "\"$cur\")\n"
          "            fi\n"
          "            return\n"
          "        fi\n"
          "        if [[ \" $subs \" == *\" ${COMP_WORDS[2]} \"* ]]; then\n"
          "            command=\"$command ${COMP_WORDS[2]}\"\n"
          "        fi\n"
          "    fi\n"
          "    local options=\n"
          "    case $command in\n"
        + optionCases
        + "    *) return ;;\n"
          "    esac\n"
          "    if [[ $cur == -* ]]; then\n"
          "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
          "    else\n"
          "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
          "    fi\n"
          "}\n"
          "complete -o filenames -F _quorutil quorutil\n";
}

} // namespace quorutil
