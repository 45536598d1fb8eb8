#pragma once

namespace magtune::shell {

// The three interface selection dialogs: frmOpen before an upload, frmSave
// before a download, frmSelect before the test pad.
enum class SelectionDialogKind { Upload, Download, TestPad };

// Shows one of them modally. True when it closed with OK (UploadChosen,
// DownloadChosen, TestChosen); the choice is then in CurrentInterface,
// CurrentComIndex (with the port open and configured) and, for an upload,
// DeviceName.
class InterfaceDialogs {
  public:
    virtual ~InterfaceDialogs() = default;
    virtual bool run(SelectionDialogKind kind) = 0;
};

}  // namespace magtune::shell
