#pragma once

#include <QObject>
#include <memory>

#include "shell/ShellFakes.h"
#include "support/FakePrompter.h"

namespace magtune::shell {

// The interface selection dialogs and the port configuration dialog.
class SelectionDialogsTest : public QObject {
    Q_OBJECT

  public:
    SelectionDialogsTest();
    ~SelectionDialogsTest() override;

  private slots:
    void init();
    void cleanup();
    void captionsAndControls();
    void loadShowsTheRememberedInterface();
    void rs232ReopensTheRememberedPort();
    void portHeldElsewhereIsReportedAtOk();
    void refusedPortsSayWhyAtOk();
    void switchingToUsbClosesThePortAtOk();
    void productNameIsTypedInUpperCase();
    void blankProductNameIsRefused();
    void uploadDialogStartsWithTheOpenDevice();
    void portListShowsTheDeviceBesideIt();
    void simulatedReaderIsOfferedWhileItRuns();
    void aRunningSimulatorIsFound();
    void cancelClosesThePort();
    void propertiesRefuses110Baud();
    void propertiesReportsAFailedRead();
    void propertiesShowsThePortDialog();
    void portDialogEditsTheBlock();
    void portDialogRestoresDefaultsAndCancels();

  private:
    struct Fixture;
    std::unique_ptr<Fixture> f;
};

}  // namespace magtune::shell
