#include "comm/ui/UpDownEdit.h"

#include <QLineEdit>
#include <algorithm>

namespace magtune::comm {

void UpDownEdit::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void UpDownEdit::setValue(int value) {
    lineEdit()->setText(QString::number(value));
}

std::optional<int> UpDownEdit::number() const {
    bool ok = false;
    const int value = text().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void UpDownEdit::stepBy(int steps) {
    // An empty or unreadable box starts from the near end of the range.
    const qint64 from = number().value_or(steps > 0 ? minimum_ - 1 : maximum_ + 1);
    setValue(static_cast<int>(std::clamp<qint64>(from + steps, minimum_, maximum_)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled UpDownEdit::stepEnabled() const {
    const std::optional<int> value = number();
    if (!value) {
        return StepUpEnabled | StepDownEnabled;
    }
    StepEnabled enabled = StepNone;
    if (*value < maximum_) {
        enabled |= StepUpEnabled;
    }
    if (*value > minimum_) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

}  // namespace magtune::comm
