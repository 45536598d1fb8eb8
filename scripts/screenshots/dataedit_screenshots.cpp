// Renders the formula, match, output string and track sequence dialogs to
// PNG files: magtune_screenshots_dataedit <output folder>.
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QWidget>

#include "ScreenshotSupport.h"
#include "dataedit/ui/frmFmula.h"
#include "dataedit/ui/frmMatch.h"
#include "dataedit/ui/frmOStr.h"
#include "dataedit/ui/frmTrack.h"

namespace {

using namespace magtune;
using namespace magtune::screenshots;

class NoInput : public StringInputRunner {
  public:
    bool run(InputBlock&) override { return false; }
};

PositionSpec number(std::uint8_t value) {
    return {false, SpecKind::Number, value, {}, {}};
}

// IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER
Formula exampleFormula() {
    Formula formula;
    formula.empty = false;
    formula.inputIds[21] = 1;
    formula.minLength = 10;
    formula.maxLength = 40;
    formula.matches.push_back({false, MatchKind::AtPosition, 1, {}, "<d>"});
    formula.outputs.push_back({false, OutputKind::Literal, "ID:", {}, {}});
    formula.outputs.push_back({false, OutputKind::FromOriginal, {}, number(2), number(5)});
    return formula;
}

}  // namespace

int main(int argc, char* argv[]) {
    return RunScreenshots(argc, argv, [](const QDir& folder) {
        SilentPrompter prompter;
        NoHelp help;
        NoInput input;
        bool ok = true;

        Formula formula = exampleFormula();
        frmFmula fmula(formula, input, prompter, help);
        fmula.findChild<QListWidget*>("lstOutput")->setCurrentRow(1);
        ok &= Shown(fmula, folder, QStringLiteral("frmFmula.png"));

        MatchQualifier match = formula.matches[0];
        frmMatch matchDialog(match, input, prompter, help);
        ok &= Shown(matchDialog, folder, QStringLiteral("frmMatch.png"));

        MatchQualifier lastMatch{
            false, MatchKind::LastPosition, 0, {false, OffsetSign::Minus, 2}, "AB"};
        frmMatch lastDialog(lastMatch, input, prompter, help);
        ok &= Shown(lastDialog, folder, QStringLiteral("frmMatch-last.png"));

        OutputString piece = formula.outputs[1];
        frmOStr pieceDialog(piece, input, prompter, help);
        ok &= Shown(pieceDialog, folder, QStringLiteral("frmOStr.png"));

        // O-STR,"="+1,<#>-1: the options with the most controls.
        OutputString afterMatch{
            false,
            OutputKind::FromOriginal,
            {},
            {false, SpecKind::AfterMatch, 0, "=", {false, OffsetSign::Plus, 1}},
            {false, SpecKind::LastPosition, 0, {}, {false, OffsetSign::Minus, 1}}};
        frmOStr afterDialog(afterMatch, input, prompter, help);
        ok &= Shown(afterDialog, folder, QStringLiteral("frmOStr-after-matching.png"));

        TrackOutputSequence track1{{0x31, {}}, {kTrackLiteral, "^"}, {0x32, {}}};
        frmTrack track(1, track1, input, prompter, help);
        ok &= Shown(track, folder, QStringLiteral("frmTrack.png"));

        return ok;
    });
}
