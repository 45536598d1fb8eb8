#include "app/ProvisionReport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "platform/SystemError.h"

namespace magtune::app {
namespace {

// What the table shows beside the state: the failure, or the transfer's
// status while it runs.
std::string Detail(const ProvisionResult& row) {
    return IsFinal(row.state) ? row.message : row.status;
}

std::array<std::string, 6> Cells(const ProvisionResult& row) {
    const bool done = IsFinal(row.state);
    return {row.target.port,
            row.device,
            row.baudRate ? std::to_string(row.baudRate) : std::string("-"),
            done ? ProvisionDuration(row.durationMs) : std::string("-"),
            ProvisionStateName(row.state),
            Detail(row)};
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::size_t Count(const std::vector<ProvisionResult>& rows, ProvisionState state) {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [state](const ProvisionResult& r) { return r.state == state; }));
}

}  // namespace

std::string ProvisionDuration(std::uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llus", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000 / 10));
    return text;
}

std::string ProvisionTable(const std::vector<ProvisionResult>& rows) {
    const std::array<std::string, 6> header = {"PORT", "DEVICE", "BAUD",
                                               "TIME", "STATE",  "MESSAGE"};
    std::array<std::size_t, 6> width{};
    std::vector<std::array<std::string, 6>> lines = {header};
    for (const auto& row : rows) {
        lines.push_back(Cells(row));
    }
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < width.size(); ++i) {
            width[i] = std::max(width[i], line[i].size());
        }
    }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            text += line[i];
            if (i + 1 < line.size()) {
                text.append(width[i] - line[i].size() + 2, ' ');
            }
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out += text + '\n';
    }
    return out;
}

std::string ProvisionSummary(const std::vector<ProvisionResult>& rows) {
    std::string out = std::to_string(rows.size()) + (rows.size() == 1 ? " reader: " : " readers: ");
    std::string parts;
    for (ProvisionState state :
         {ProvisionState::Verified, ProvisionState::Downloaded, ProvisionState::Failed}) {
        const std::size_t n = Count(rows, state);
        if (n != 0 || state == ProvisionState::Failed) {
            parts +=
                (parts.empty() ? "" : ", ") + std::to_string(n) + " " + ProvisionStateName(state);
        }
    }
    const std::size_t open = rows.size() - Count(rows, ProvisionState::Verified) -
                             Count(rows, ProvisionState::Downloaded) -
                             Count(rows, ProvisionState::Failed);
    if (open != 0) {
        parts += ", " + std::to_string(open) + " unfinished";
    }
    return out + parts + ".";
}

std::string ProvisionLine(const ProvisionResult& row) {
    std::string line = row.target.port + "\t" + ProvisionStateName(row.state);
    if (!row.device.empty()) {
        line += "\t" + row.device;
    }
    if (IsFinal(row.state)) {
        line += "\t" + (row.baudRate ? std::to_string(row.baudRate) + " baud" : std::string("-")) +
                "\t" + ProvisionDuration(row.durationMs);
        if (!row.message.empty()) {
            line += "\t" + row.message;
        }
    }
    return line;
}

std::string ProvisionJson(const std::string& setting, const std::vector<ProvisionResult>& rows) {
    std::string out = "{\n  \"setting\": " + JsonString(setting) + ",\n";
    for (ProvisionState state :
         {ProvisionState::Verified, ProvisionState::Downloaded, ProvisionState::Failed}) {
        out += "  \"" + std::string(ProvisionStateName(state)) +
               "\": " + std::to_string(Count(rows, state)) + ",\n";
    }
    out += "  \"readers\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ProvisionResult& row = rows[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"port\": " + JsonString(row.target.port) +
               ", \"device\": " + JsonString(row.device) +
               ", \"baud\": " + std::to_string(row.baudRate) +
               ", \"duration_ms\": " + std::to_string(row.durationMs) +
               ", \"state\": " + JsonString(ProvisionStateName(row.state)) +
               ", \"message\": " + JsonString(row.message) + "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string ProvisionCsv(const std::vector<ProvisionResult>& rows) {
    std::string out = "port,device,baud,duration_ms,state,message\r\n";
    for (const auto& row : rows) {
        out += CsvField(row.target.port) + "," + CsvField(row.device) + "," +
               std::to_string(row.baudRate) + "," + std::to_string(row.durationMs) + "," +
               ProvisionStateName(row.state) + "," + CsvField(row.message) + "\r\n";
    }
    return out;
}

std::string WriteProvisionReport(platform::FileSystem& files, const std::string& path,
                                 const std::string& setting,
                                 const std::vector<ProvisionResult>& rows) {
    const std::string text =
        path.ends_with(".csv") ? ProvisionCsv(rows) : ProvisionJson(setting, rows);
    platform::SystemError error;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (files.writeFileAtomically(path, std::span(bytes, text.size()), error)) {
        return {};
    }
    return "Failed to write the report " + path + ". (" + platform::SystemMessageText(error.code) +
           ")";
}

}  // namespace magtune::app
