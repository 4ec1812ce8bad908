#include "forms/FormFont.h"

#include <QStringList>

namespace {

constexpr int kFontPoints = 11;

}  // namespace

QFont formFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(kFontPoints);
    return font;
}
