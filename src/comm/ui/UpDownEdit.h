#pragma once

#include <QAbstractSpinBox>
#include <optional>

class QLineEdit;

namespace magtune::comm {

// A text box with an up-down beside it. Unlike QSpinBox it keeps whatever
// the user typed (empty or out of range) until the dialog's own rules judge
// it; the arrows step the number within the range.
class UpDownEdit : public QAbstractSpinBox {
    Q_OBJECT

  public:
    explicit UpDownEdit(QWidget* parent = nullptr) : QAbstractSpinBox(parent) {}

    void setRange(int minimum, int maximum);
    void setValue(int value);

    // The text box, for naming and for the typing filter.
    QLineEdit* textBox() const { return lineEdit(); }

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    // The number in the box, or nothing while it is empty or not a number.
    std::optional<int> number() const;

    int minimum_ = 0;
    int maximum_ = 99;
};

}  // namespace magtune::comm
