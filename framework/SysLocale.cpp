#include "framework/SysLocale.h"

#include <QLocale>

TSysLocale SystemLocaleTraits()
{
    const QLocale l = QLocale::system();
    TSysLocale s;
    s.MiddleEast = l.textDirection() == Qt::RightToLeft;
    switch (l.language()) {
    case QLocale::Chinese:
    case QLocale::Japanese:
    case QLocale::Korean:
        s.FarEast = true;
        break;
    default:
        break;
    }
    return s;
}

TSysLocale SysLocale = SystemLocaleTraits();
