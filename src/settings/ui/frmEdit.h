#pragma once

#include <QDialog>

#include "common/Prompter.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingStore.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace magtune::settings {

// Changes one choice setting: the row named by store.EditGroup and
// store.EditItem, picked from its value texts. The caller runs exec() and
// then asks accepted().
class frmEdit : public QDialog {
    Q_OBJECT

  public:
    frmEdit(SettingStore& store, common::Prompter& prompter, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void selectDefault();
    void confirm();

    SettingStore& store_;
    common::Prompter& prompter_;
    const CatalogueRow* row_;
    bool accepted_ = false;

    QLabel* Label1;
    QLabel* lblName;
    QLabel* label2;
    QComboBox* cboData;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdDefault;
};

}  // namespace magtune::settings
