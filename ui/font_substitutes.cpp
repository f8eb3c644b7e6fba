#include "font_substitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
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

QString InstalledFamily(const QString& family) {
  // Asked once per face of the form, on the thread that builds the windows.
  static QHash<QString, QString> known;
  if (const auto it = known.constFind(family); it != known.cend()) return *it;
  QString drawn = family;
  if (!QFontDatabase::hasFamily(family)) {
    const QStringList substitutes = QFont::substitutes(family);
    if (!substitutes.isEmpty()) drawn = substitutes.first();
  }
  known.insert(family, drawn);
  return drawn;
}

}  // namespace quillmere
