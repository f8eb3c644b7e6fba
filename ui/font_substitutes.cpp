#include "font_substitutes.h"

#include <QFont>
#include <QString>

namespace quillmere {

void InstallFontSubstitutes() {
  const QString target = QStringLiteral("Liberation Sans");
  for (const char* face : {"Arial", "MS Sans Serif", "Tahoma"}) {
    const QString family = QString::fromLatin1(face);
    // Substitution applies only to faces the font database lacks; the
    // substitute list is replaced, not extended, so a fontconfig alias to
    // some other face cannot win.
    QFont::removeSubstitutions(family);
    QFont::insertSubstitution(family, target);
  }
}

}  // namespace quillmere
