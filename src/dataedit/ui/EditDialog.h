#pragma once

#include <QDialog>

namespace magtune {

// Base of the data editing dialogs: they open centred on the screen and,
// each time they become active, put the focus where the dialog says, except
// right after the string input dialog was shown over them (the user was
// working in a match string box then).
class EditDialog : public QDialog {
    Q_OBJECT

  public:
    using QDialog::QDialog;

    void noteInputShown() { inputShown_ = true; }

  protected:
    // The control that gets the focus on activation, or nullptr for none.
    virtual QWidget* activationFocus() const { return nullptr; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void activated();

    bool centred_ = false;
    bool inputShown_ = false;
};

}  // namespace magtune
