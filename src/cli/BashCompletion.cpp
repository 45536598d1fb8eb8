#include "cli/BashCompletion.h"

#include <algorithm>
#include <cstdio>

#include "settings/SettingCatalogue.h"

namespace magtune::cli {

namespace {

// Options that take the next word as their value.
constexpr const char* kValueOptions[] = {"--com",     "--port",      "--usb",
                                         "--retries", "--name",      "--seconds",
                                         "--sim-usb", "--sim-wedge", "--report"};

void WriteArray(std::ostream& out, const char* name, const std::vector<std::string>& words) {
    out << "    local -a " << name << "=(\n";
    for (const std::string& word : words) {
        out << "        " << BashQuoted(word) << '\n';
    }
    out << "    )\n";
}

std::string Joined(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        joined += (joined.empty() ? "" : " ") + word;
    }
    return joined;
}

}  // namespace

std::vector<std::string> OptionsNamedIn(std::string_view text) {
    std::vector<std::string> options;
    for (std::size_t at = text.find("--"); at != std::string_view::npos;
         at = text.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < text.size() &&
               ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= '0' && text[end] <= '9') ||
                (text[end] == '-' && end + 1 < text.size() && text[end + 1] >= 'a' &&
                 text[end + 1] <= 'z'))) {
            ++end;
        }
        // "--" alone, or a word that merely starts with dashes ("---"), names no option.
        if (end == at + 2 || (at > 0 && text[at - 1] == '-')) {
            continue;
        }
        std::string option(text.substr(at, end - at));
        if (std::find(options.begin(), options.end(), option) == options.end()) {
            options.push_back(std::move(option));
        }
        at = end - 2;
    }
    return options;
}

std::string BashQuoted(const std::string& word) {
    std::string quoted = "$'";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\'' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

void WriteBashCompletion(std::ostream& out, const std::vector<CompletedCommand>& commands) {
    std::vector<std::string> names;
    for (const CompletedCommand& command : commands) {
        names.push_back(command.name);
    }
    std::vector<std::string> rows;
    std::vector<std::string> assignments;
    for (const settings::CatalogueGroup& group : settings::SettingCatalogue) {
        for (const settings::CatalogueRow& row : group.rows) {
            const std::string name = std::string(group.text) + "/" + row.label;
            rows.push_back(name);
            for (const char* text : row.valueTexts) {
                assignments.push_back(name + "=" + text);
            }
            if (row.valueTexts.empty()) {
                assignments.push_back(name + "=");
            }
        }
    }

    out << "# bash completion for magtune-cli, written by \"magtune-cli --bash-completion\".\n"
           "_magtune_cli()\n"
           "{\n"
           "    local cur prev words cword\n"
           "    _init_completion -n =: || return\n\n";
    WriteArray(out, "commands", names);
    out << "    local -A command_options=(\n";
    for (const CompletedCommand& command : commands) {
        out << "        [" << command.name << "]=" << BashQuoted(Joined(command.options)) << '\n';
    }
    out << "    )\n";
    WriteArray(out, "rows", rows);
    WriteArray(out, "assignments", assignments);
    std::vector<std::string> fileCommands;
    for (const CompletedCommand& command : commands) {
        if (command.takesFile) {
            fileCommands.push_back(command.name);
        }
    }
    out << "    local file_commands=" << BashQuoted(" " + Joined(fileCommands) + " ") << '\n';
    out << "    local value_options="
        << BashQuoted(" " + Joined({std::begin(kValueOptions), std::end(kValueOptions)}) + " ")
        << '\n';
    out << R"bash(
    # Offers words that contain spaces, escaped as the shell needs them.
    _magtune_cli_offer()
    {
        local IFS=$'\n' word
        local typed=${cur#[\"\']}
        COMPREPLY=()
        for word in "$@"; do
            [[ $word == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$word")")
        done
        compopt -o nospace 2>/dev/null
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} != *= ]] && compopt +o nospace 2>/dev/null
    }

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "${commands[*]} --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $command in
        help | --help | -h)
            ((cword == 2)) && COMPREPLY=($(compgen -W "${commands[*]}" -- "$cur"))
            return
            ;;
    esac

    case $prev in
        --port)
            COMPREPLY=($(compgen -f -- "${cur:-/dev/tty}"))
            return
            ;;
        --sim-usb | --sim-wedge | --report)
            _filedir
            return
            ;;
        --com)
            COMPREPLY=($(compgen -W "$(seq 1 32)" -- "$cur"))
            return
            ;;
        --usb)
            [[ $command == provision ]] && COMPREPLY=($(compgen -W "all" -- "$cur"))
            return
            ;;
        --retries | --seconds | --name)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${command_options[$command]---help}" -- "$cur"))
        return
    fi

    # Which argument the cursor is on, options and their values left out.
    local -i argument=1 i
    for ((i = 2; i < cword; i++)); do
        if [[ $value_options == *" ${words[i]} "* ]]; then
            ((i++))
        elif [[ ${words[i]} != -* ]]; then
            ((argument++))
        fi
    done
    if [[ $command == formula ]]; then
        if ((argument == 1)); then
            COMPREPLY=($(compgen -W "add delete up down" -- "$cur"))
            return
        fi
        ((argument--))
    fi
    if ((argument == 1)); then
        [[ $file_commands == *" $command "* ]] && _filedir cfg
        return
    fi
    case $command in
        get) ((argument == 2)) && _magtune_cli_offer "${rows[@]}" ;;
        set) ((argument >= 2)) && _magtune_cli_offer "${assignments[@]}" ;;
        diff) ((argument == 2)) && _filedir cfg ;;
    esac
} &&
    complete -F _magtune_cli magtune-cli
)bash";
}

}  // namespace magtune::cli
