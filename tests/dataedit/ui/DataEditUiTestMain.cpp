#include <QApplication>

namespace magtune::dataedit {
int runFormulaDialogTest(int argc, char** argv);
int runMatchDialogTest(int argc, char** argv);
int runOutputDialogTest(int argc, char** argv);
int runTrackDialogTest(int argc, char** argv);
}  // namespace magtune::dataedit

// One executable for the four dialogs; each test class reports on its own.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using namespace magtune::dataedit;
    int failures = 0;
    for (auto run :
         {runFormulaDialogTest, runMatchDialogTest, runOutputDialogTest, runTrackDialogTest}) {
        failures += run(argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
