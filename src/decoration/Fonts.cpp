#include "decoration/Fonts.h"

#include <QStringList>

namespace vorlune {

QFont YaHeiFont(int pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("微软雅黑"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace vorlune
