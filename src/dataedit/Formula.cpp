#include "dataedit/Formula.h"

namespace magtune::dataedit {

const std::array<InputIdInfo, 25> InputIdTable = {{
    {0, "Code 39 Full ASCII", InputIdOffer::Barcode},
    {1, "Code 39 Standard", InputIdOffer::Barcode},
    {2, "EAN 13", InputIdOffer::Barcode},
    {3, "UPC A", InputIdOffer::Barcode},
    {4, "EAN 8", InputIdOffer::Barcode},
    {5, "UPC E", InputIdOffer::Barcode},
    {6, "I 2 of 5", InputIdOffer::Barcode},
    {7, "Codabar", InputIdOffer::Barcode},
    {8, "Code 128", InputIdOffer::Barcode},
    {9, "Code 93", InputIdOffer::Barcode},
    {10, "S 2 of 5", InputIdOffer::Barcode},
    {11, "MSI", InputIdOffer::Barcode},
    {12, "EAN 128", InputIdOffer::Barcode},
    {13, "Code 32", InputIdOffer::Barcode},
    {14, "Delta Code", InputIdOffer::Barcode},
    {15, "Label Code", InputIdOffer::Barcode},
    {16, "Plessey Code", InputIdOffer::Barcode},
    {17, "Code 11", InputIdOffer::Barcode},
    {18, "Toshiba Code", InputIdOffer::Barcode},
    {19, "All Scanner Input", InputIdOffer::Barcode},
    {20, "MSR Track 1", InputIdOffer::MagneticStripe},
    {21, "MSR Track 2", InputIdOffer::MagneticStripe},
    {22, "MSR Track 3", InputIdOffer::MagneticStripe},
    {24, "All MSR Input", InputIdOffer::MagneticStripe},
    {27, "All Input", InputIdOffer::Always},
}};

std::vector<InputIdInfo> OfferedInputIds() {
    // This is the magnetic stripe edition: it offers no barcode sources.
    std::vector<InputIdInfo> rows;
    for (const InputIdInfo& info : InputIdTable) {
        if (info.offer != InputIdOffer::Barcode) {
            rows.push_back(info);
        }
    }
    return rows;
}

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string decimal(std::uint8_t value) {
    return std::to_string(static_cast<int>(value));
}

std::string specText(const PositionSpec& spec) {
    switch (spec.kind) {
        case SpecKind::Number:
            return decimal(spec.number);
        case SpecKind::LastPosition:
            if (!spec.offset.absent && spec.offset.sign == OffsetSign::Minus) {
                return "<#>-" + decimal(spec.offset.value);
            }
            return "<#>";
        case SpecKind::AfterMatch: {
            std::string text = quoted(spec.matchString);
            if (!spec.offset.absent) {
                // The memory encoding writes every sign but plus as minus;
                // the text says what the reader will get.
                text += spec.offset.sign == OffsetSign::Plus ? "+" : "-";
                text += decimal(spec.offset.value);
            }
            return text;
        }
        default:
            return {};
    }
}

}  // namespace

std::string MatchText(const MatchQualifier& match) {
    switch (match.kind) {
        case MatchKind::AtPosition:
            return decimal(match.position) + "," + quoted(match.matchString);
        case MatchKind::AnyPosition:
            return "<*>," + quoted(match.matchString);
        case MatchKind::LastPosition: {
            std::string text = "<#>";
            if (!match.lastMinus.absent) {
                text += '-';
                text += decimal(match.lastMinus.value);
            }
            return text + "," + quoted(match.matchString);
        }
        default:
            return {};
    }
}

std::string OutputText(const OutputString& output) {
    if (output.kind == OutputKind::Literal) {
        return quoted(output.literal);
    }
    if (output.kind != OutputKind::FromOriginal) {
        return {};
    }
    const std::string start = specText(output.start);
    const std::string end = specText(output.end);
    if (start.empty() || end.empty()) {
        return {};
    }
    return "O-STR," + start + "," + end;
}

std::string FormulaText(const Formula& formula) {
    if (formula.empty) {
        return {};
    }
    std::string text;
    bool firstId = true;
    for (int id = 0; id < kInputIdCount; ++id) {
        if (formula.inputIds[id] != 1) {
            continue;
        }
        if (firstId) {
            text += "IN_ID,";
            firstId = false;
        }
        text += std::to_string(id) + ",";
    }
    if (formula.minLength != 0 && formula.maxLength != 0) {
        text += "LEN," + decimal(formula.minLength) + "," + decimal(formula.maxLength) + ",";
    }
    if (!formula.matches.empty()) {
        text += "MATCH,";
        for (const MatchQualifier& match : formula.matches) {
            const std::string part = MatchText(match);
            if (!match.empty && !part.empty()) {
                text += part + ",";
            }
        }
    }
    for (const OutputString& output : formula.outputs) {
        const std::string part = OutputText(output);
        if (!part.empty()) {
            text += part + ",";
        }
    }
    return text + "ENTER";
}

}  // namespace magtune::dataedit
