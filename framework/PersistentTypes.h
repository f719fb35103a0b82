// Meta-type declarations for published properties that hold nested graphics objects.
#pragma once

#include "framework/Graphics.h"

#include <QMetaType>

Q_DECLARE_METATYPE(TPicture*)
Q_DECLARE_METATYPE(TBitmap*)
