#include "skin/theme/Frmthememgr.h"

#include "framework/CheckLst.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"

namespace {

// Finds a component of the stored definition and checks its class.
template <class T>
void Bind(TComponent* root, T*& field, const char* name)
{
    field = dynamic_cast<T*>(root->FindComponent(QString::fromLatin1(name)));
    if (!field)
        throw EClassNotFound(QStringLiteral("Component %1 is missing or of the wrong class").arg(QLatin1String(name)));
}

}  // namespace

TfrmMgr::TfrmMgr(TComponent* AOwner) : TForm(AOwner)
{
    RegisterFrameworkClasses();
    RegisterCheckListClasses();
    RegisterMethod("btn_selClick", &TfrmMgr::btn_selClick);
    RegisterMethod("btn_unselClick", &TfrmMgr::btn_unselClick);

    ReadComponentResource(this, QStringLiteral(":/forms/Frmthememgr.dfm"));

    Bind(this, List, "List");
    Bind(this, btn_sel, "btn_sel");
    Bind(this, btn_unsel, "btn_unsel");
    Bind(this, btn_ok, "btn_ok");
}

void TfrmMgr::btn_selClick(TObject*)
{
    for (int i = 0; i < List->Count(); ++i)
        List->SetChecked(i, true);
}

void TfrmMgr::btn_unselClick(TObject*)
{
    for (int i = 0; i < List->Count(); ++i)
        List->SetChecked(i, false);
}
