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

class NoInput : public settings::StringInputRunner {
  public:
    bool run(settings::InputBlock&) override { return false; }
};

dataedit::PositionSpec number(std::uint8_t value) {
    return {false, dataedit::SpecKind::Number, value, {}, {}};
}

// IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER
dataedit::Formula exampleFormula() {
    dataedit::Formula formula;
    formula.empty = false;
    formula.inputIds[21] = 1;
    formula.minLength = 10;
    formula.maxLength = 40;
    formula.matches.push_back({false, dataedit::MatchKind::AtPosition, 1, {}, "<d>"});
    formula.outputs.push_back({false, dataedit::OutputKind::Literal, "ID:", {}, {}});
    formula.outputs.push_back(
        {false, dataedit::OutputKind::FromOriginal, {}, number(2), number(5)});
    return formula;
}

}  // namespace

int main(int argc, char* argv[]) {
    return screenshots::RunScreenshots(argc, argv, [](const QDir& folder) {
        screenshots::SilentPrompter prompter;
        screenshots::NoHelp help;
        NoInput input;
        bool ok = true;

        dataedit::Formula formula = exampleFormula();
        dataedit::frmFmula fmula(formula, input, prompter, help);
        fmula.findChild<QListWidget*>("lstOutput")->setCurrentRow(1);
        ok &= screenshots::Shown(fmula, folder, QStringLiteral("frmFmula.png"));

        dataedit::MatchQualifier match = formula.matches[0];
        dataedit::frmMatch matchDialog(match, input, prompter, help);
        ok &= screenshots::Shown(matchDialog, folder, QStringLiteral("frmMatch.png"));

        dataedit::MatchQualifier lastMatch{false,
                                           dataedit::MatchKind::LastPosition,
                                           0,
                                           {false, dataedit::OffsetSign::Minus, 2},
                                           "AB"};
        dataedit::frmMatch lastDialog(lastMatch, input, prompter, help);
        ok &= screenshots::Shown(lastDialog, folder, QStringLiteral("frmMatch-last.png"));

        dataedit::OutputString piece = formula.outputs[1];
        dataedit::frmOStr pieceDialog(piece, input, prompter, help);
        ok &= screenshots::Shown(pieceDialog, folder, QStringLiteral("frmOStr.png"));

        // O-STR,"="+1,<#>-1: the options with the most controls.
        dataedit::OutputString afterMatch{
            false,
            dataedit::OutputKind::FromOriginal,
            {},
            {false, dataedit::SpecKind::AfterMatch, 0, "=", {false, dataedit::OffsetSign::Plus, 1}},
            {false,
             dataedit::SpecKind::LastPosition,
             0,
             {},
             {false, dataedit::OffsetSign::Minus, 1}}};
        dataedit::frmOStr afterDialog(afterMatch, input, prompter, help);
        ok &= screenshots::Shown(afterDialog, folder, QStringLiteral("frmOStr-after-matching.png"));

        dataedit::TrackOutputSequence track1{
            {0x31, {}}, {dataedit::kTrackLiteral, "^"}, {0x32, {}}};
        dataedit::frmTrack track(1, track1, input, prompter, help);
        ok &= screenshots::Shown(track, folder, QStringLiteral("frmTrack.png"));

        return ok;
    });
}
