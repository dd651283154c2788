#pragma once

#include <QFont>

namespace vorlune {

// "Microsoft YaHei" where the window names it, with installed CJK fonts as fallbacks.
QFont YaHeiFont(int pointSize = 9, bool bold = false);

}  // namespace vorlune
