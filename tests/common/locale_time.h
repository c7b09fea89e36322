// A time as the status line, the dialogs and the settings file write it under the test's
// locale: "40.3" becomes "40,3" where the separator is a comma.
#pragma once

#include "test_locale.h"

#include <QString>

inline QString LocaleTime(QString time)
{
    return time.replace(QChar('.'), QString::fromLatin1(ExpectedDecimalPoint()));
}
