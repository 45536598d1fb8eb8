#include "cli/BashCompletion.h"

#include <cstdio>

#include "settings/SettingCatalogue.h"

namespace magtune {

namespace {

// Written in full rather than taken from the commands, which parse their
// options where they run.
constexpr const char* kOptions[] = {"--com",    "--port", "--wedge",   "--usb", "--retries",
                                    "--verify", "--name", "--seconds", "--help"};

void WriteArray(std::ostream& out, const char* name, const std::vector<std::string>& words) {
    out << "    local -a " << name << "=(\n";
    for (const std::string& word : words) {
        out << "        " << BashQuoted(word) << '\n';
    }
    out << "    )\n";
}

}  // namespace

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

void WriteBashCompletion(std::ostream& out, const std::vector<std::string>& commands) {
    std::vector<std::string> rows;
    std::vector<std::string> assignments;
    for (const CatalogueGroup& group : SettingCatalogue) {
        for (const CatalogueRow& row : group.rows) {
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
    WriteArray(out, "commands", commands);
    WriteArray(out, "options", {std::begin(kOptions), std::end(kOptions)});
    WriteArray(out, "rows", rows);
    WriteArray(out, "assignments", assignments);
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

    case $prev in
        --port)
            COMPREPLY=($(compgen -f -- "${cur:-/dev/tty}"))
            return
            ;;
        --com)
            COMPREPLY=($(compgen -W "$(seq 1 32)" -- "$cur"))
            return
            ;;
        --usb | --retries | --seconds | --name)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
        return
    fi

    local command=${words[1]} argument=$((cword - 1))
    if [[ $command == formula ]]; then
        if ((cword == 2)); then
            COMPREPLY=($(compgen -W "add delete up down" -- "$cur"))
            return
        fi
        argument=$((cword - 2))
    fi
    if ((argument == 1)); then
        _filedir cfg
        return
    fi
    case $command in
        get) ((argument == 2)) && _magtune_cli_offer "${rows[@]}" ;;
        set) _magtune_cli_offer "${assignments[@]}" ;;
        diff) ((argument == 2)) && _filedir cfg ;;
    esac
} &&
    complete -F _magtune_cli magtune-cli
)bash";
}

}  // namespace magtune
