#pragma once

#include <QDialog>

namespace magtune::dataedit {

// Base of the data editing dialogs: they open centred on the screen and,
// each time they become active, put the focus where the dialog says, except
// right after the string input dialog or a message was shown over them (the
// user was working in a match string box then, or is to correct the box in
// error).
class EditDialog : public QDialog {
    Q_OBJECT

  public:
    using QDialog::QDialog;

    void noteInputShown() { keepFocus_ = true; }
    // The next activation leaves the focus where it is.
    void keepFocusAtNextActivation() { keepFocus_ = true; }

  protected:
    // The control that gets the focus on activation, or nullptr for none.
    virtual QWidget* activationFocus() const { return nullptr; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void activated();

    bool centred_ = false;
    bool keepFocus_ = false;
};

}  // namespace magtune::dataedit
