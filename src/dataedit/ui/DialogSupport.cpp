#include "dataedit/ui/DialogSupport.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "dataedit/ui/EditDialog.h"

namespace magtune::dataedit {

void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLineEdit* MakeNumberBox(QWidget* parent, const char* objectName) {
    auto* box = Named(new QLineEdit(parent), objectName);
    KeepPlaceWhenHidden(box);
    box->setMaximumWidth(60);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* objectName, const QString& caption,
                        const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
    }
    return button;
}

QPushButton* MakeMoveButton(QWidget* parent, const char* objectName, bool up) {
    QPushButton* button = MakeButton(parent, objectName, {}, up ? "move up" : "move down");
    button->setIcon(parent->style()->standardIcon(up ? QStyle::SP_ArrowUp : QStyle::SP_ArrowDown));
    return button;
}

int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

std::optional<std::pair<int, int>> MoveSelectedRow(QListWidget* list, int delta) {
    const int row = SelectedRow(list);
    const int other = row + delta;
    if (row < 0 || other < 0 || other >= list->count()) {
        return std::nullopt;
    }
    const QString text = list->item(row)->text();
    list->item(row)->setText(list->item(other)->text());
    list->item(other)->setText(text);
    list->setCurrentRow(other);
    return std::pair{row, other};
}

void ReportRefusal(QWidget* dialog, common::Prompter& prompter, const DialogCheck& check) {
    if (!check.message.empty()) {
        // The message box hands the activation back when it closes; that
        // must not take the focus away from the box in error.
        if (auto* edit = qobject_cast<EditDialog*>(dialog)) {
            edit->keepFocusAtNextActivation();
        }
        prompter.warning(check.message);
    }
    if (!check.focus.empty()) {
        if (auto* control = dialog->findChild<QWidget*>(QString::fromStdString(check.focus))) {
            control->setFocus();
        }
    }
}

bool RunCheckedInput(settings::StringInputRunner& input, common::Prompter& prompter,
                     settings::InputBlock& block, const StringCheck& check) {
    while (input.run(block)) {
        const std::optional<std::string> fault = check(block.InputText);
        if (!fault) {
            return true;
        }
        prompter.warning(*fault);
        block.InputKey = 0;  // the key was applied the first time round
    }
    return false;
}

}  // namespace magtune::dataedit
