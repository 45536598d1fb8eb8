#pragma once

#include <QDialog>

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "settings/SettingStore.h"
#include "settings/StringInput.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace magtune::settings {

// The one dialog in which a key text is typed. It edits the input block:
// on OK the text passes the rule of store.EditGroup and InputLabel, is
// written back with the caret and InputAccepted; key-byte settings are
// stored by the rule itself.
class frmInput : public QDialog {
    Q_OBJECT

  public:
    frmInput(SettingStore& store, InputBlock& block, common::Prompter& prompter,
             common::HelpViewer& help, QWidget* parent = nullptr);

    void setVisible(bool visible) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showDefault();
    void confirm();

    SettingStore& store_;
    InputBlock& block_;
    common::Prompter& prompter_;
    common::HelpViewer& help_;
    int openingCaret_ = 0;  // where the caret stands when the dialog opens

    QLabel* lblInput;
    QLineEdit* txtInput;
    QLabel* lblNotation;
    QPlainTextEdit* txtNotation;
    QLabel* lblASCII;
    QLabel* lblFunction;
    QPushButton* cmdHelp;
    QPushButton* cmdDefault;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune::settings
