// Unit Frmthememgr: TfrmMgr, the theme manager's editing dialog (a check list of the form's
// skinned components), read from its stored definition.
#pragma once

#include "framework/Forms.h"

class TButton;
class TCheckListBox;

class TfrmMgr : public TForm {
    Q_OBJECT
public:
    explicit TfrmMgr(TComponent* AOwner);

    TCheckListBox* List = nullptr;
    TButton* btn_sel = nullptr;
    TButton* btn_unsel = nullptr;
    TButton* btn_ok = nullptr;

    // Checks every item of List.
    void btn_selClick(TObject* Sender);
    // Unchecks every item of List.
    void btn_unselClick(TObject* Sender);
};
