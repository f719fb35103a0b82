// Registration of the framework's component classes and named constants for stored definitions.
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Mask.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/ToolBar.h"

void RegisterFrameworkClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TForm>("TForm");
    RegisterClass<TPanel>("TPanel");
    RegisterClass<TButton>("TButton");
    RegisterClass<TCheckBox>("TCheckBox");
    RegisterClass<TEdit>("TEdit");
    RegisterClass<TMaskEdit>("TMaskEdit");
    RegisterClass<TComboBox>("TComboBox");
    RegisterClass<TLabel>("TLabel");
    RegisterClass<TBevel>("TBevel");
    RegisterClass<TStatusBar>("TStatusBar");
    RegisterClass<TTimer>("TTimer");
    RegisterClass<TGroupBox>("TGroupBox");
    RegisterClass<TImage>("TImage");
    RegisterClass<TMainMenu>("TMainMenu");
    RegisterClass<TPopupMenu>("TPopupMenu");
    RegisterClass<TMenuItem>("TMenuItem");
    RegisterClass<TToolBar>("TToolBar");
    RegisterClass<TToolButton>("TToolButton");

    RegisterIdent(QStringLiteral("fsBold"), fsBold);
    RegisterIdent(QStringLiteral("fsItalic"), fsItalic);
    RegisterIdent(QStringLiteral("fsUnderline"), fsUnderline);
    RegisterIdent(QStringLiteral("fsStrikeOut"), fsStrikeOut);
    RegisterIdent(QStringLiteral("akLeft"), akLeft);
    RegisterIdent(QStringLiteral("akTop"), akTop);
    RegisterIdent(QStringLiteral("akRight"), akRight);
    RegisterIdent(QStringLiteral("akBottom"), akBottom);
    RegisterIdent(QStringLiteral("biSystemMenu"), biSystemMenu);
    RegisterIdent(QStringLiteral("biMinimize"), biMinimize);
    RegisterIdent(QStringLiteral("biMaximize"), biMaximize);
    RegisterIdent(QStringLiteral("biHelp"), biHelp);
    RegisterIdent(QStringLiteral("ebLeft"), ebLeft);
    RegisterIdent(QStringLiteral("ebTop"), ebTop);
    RegisterIdent(QStringLiteral("ebRight"), ebRight);
    RegisterIdent(QStringLiteral("ebBottom"), ebBottom);
    RegisterIdent(QStringLiteral("DEFAULT_CHARSET"), DEFAULT_CHARSET);
    RegisterIdent(QStringLiteral("ANSI_CHARSET"), 0);
    RegisterIdent(QStringLiteral("GB2312_CHARSET"), 134);
    RegisterIdent(QStringLiteral("crDefault"), crDefault);
    RegisterIdent(QStringLiteral("crArrow"), crArrow);
    RegisterIdent(QStringLiteral("crHandPoint"), crHandPoint);
    RegisterIdent(QStringLiteral("crIBeam"), crIBeam);
    RegisterIdent(QStringLiteral("crCross"), crCross);
    RegisterIdent(QStringLiteral("mrNone"), mrNone);
    RegisterIdent(QStringLiteral("mrOk"), mrOk);
    RegisterIdent(QStringLiteral("mrCancel"), mrCancel);
    RegisterIdent(QStringLiteral("mrYes"), mrYes);
    RegisterIdent(QStringLiteral("mrNo"), mrNo);
}
