#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <QString>

#include "common/Prompter.h"
#include "dataedit/FormulaDialogRules.h"
#include "settings/StringInput.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace magtune::dataedit {

// Pieces shared by the data editing dialogs.

template <class Widget>
Widget* Named(Widget* widget, const char* objectName) {
    widget->setObjectName(objectName);
    return widget;
}

// A control that hides keeps its place, so that the others do not jump about.
void KeepPlaceWhenHidden(QWidget* widget);
// A short box for a number (position, count, offset).
QLineEdit* MakeNumberBox(QWidget* parent, const char* objectName);

QPushButton* MakeButton(QWidget* parent, const char* objectName, const QString& caption,
                        const QString& tip = {});
// An up or down arrow button with the tip "move up" / "move down".
QPushButton* MakeMoveButton(QWidget* parent, const char* objectName, bool up);

// The row of a single-selection list that is selected, or -1.
int SelectedRow(const QListWidget* list);

// Up and down buttons: swaps the texts of the selected row and its neighbour
// (delta -1 up, +1 down) and selects the moved row. Returns the two rows so
// that the caller swaps its records too; nothing when no row is selected or
// the row is already first / last.
std::optional<std::pair<int, int>> MoveSelectedRow(QListWidget* list, int delta);

// A refused OK: its message (when it has one) and the focus on the control
// that the check names.
void ReportRefusal(QWidget* dialog, common::Prompter& prompter, const DialogCheck& check);

// Shows the string input dialog; a text that `check` refuses is reported and
// offered again for correction, so that nothing typed is lost. Returns
// whether a text was accepted (it is then in block.InputText).
using StringCheck = std::function<std::optional<std::string>(std::string_view)>;
bool RunCheckedInput(settings::StringInputRunner& input, common::Prompter& prompter,
                     settings::InputBlock& block, const StringCheck& check);

}  // namespace magtune::dataedit
